#pragma once

#include <QCloseEvent>
#include <QPointer>
#include <QWidget>

#include <concepts>
#include <stdexcept>

namespace app {

// Each window exists at most once. window<W>() is the window, created and loaded (but
// not shown) if it is not loaded; showWindow<W>() shows it modeless, restored, raised and
// active. Closing a window unloads it: the next use builds it afresh from its layout.
namespace detail {
QWidget* find(const QMetaObject& type);
void remember(const QMetaObject& type, QWidget* window);
void forget(const QMetaObject& type, QWidget* window);
} // namespace detail

template <class W> W* loadedWindow() {
    return static_cast<W*>(detail::find(W::staticMetaObject));
}

// The base of every window: a close that is accepted unloads it.
template <class Base> class Window : public Base {
public:
    using Base::Base;

protected:
    void closeEvent(QCloseEvent* event) override {
        Base::closeEvent(event);
        if (event->isAccepted())
            detail::forget(*this->metaObject(), this);
    }
};

template <class W> W& window() {
    if (W* existing = loadedWindow<W>())
        return *existing;
    auto* created = new W;
    // The registry keys on the class's own meta-object; a class without Q_OBJECT would
    // share its base's and be mistaken for another window.
    if (created->metaObject() != &W::staticMetaObject) {
        delete created;
        throw std::logic_error("a window class lacks Q_OBJECT");
    }
    created->setAttribute(Qt::WA_DeleteOnClose);
    detail::remember(W::staticMetaObject, created);
    if constexpr (requires { created->Form_Load(); }) {
        try {
            created->Form_Load();
        } catch (...) {
            detail::forget(W::staticMetaObject, created);
            delete created;
            throw;
        }
    }
    return *created;
}

template <class W> W& showWindow() {
    W& shown = window<W>();
    // One that is already open may be minimised: showing it brings it back up.
    if (shown.isMinimized())
        shown.setWindowState(shown.windowState() & ~Qt::WindowMinimized);
    shown.show();
    shown.raise();
    shown.activateWindow();
    return shown;
}

// The window that dialogs stand over, so that they take no task-bar entry of their own: the
// loaded main window, if there is one.
QWidget* dialogParent();

// Destroys every loaded window at once.
void unloadAllWindows();

// Unloads every window and clears the program state: a fresh run in the same process, for
// tests and the benchmark.
void resetProgram();

} // namespace app
