#pragma once

#include <QPointer>
#include <QWidget>

#include <concepts>

namespace app {

// Each window exists at most once. window<W>() is the window, created and loaded (but
// not shown) if it is not loaded; showWindow<W>() shows it modeless. Closing a window
// unloads it: the next use builds it afresh from its layout.
namespace detail {
QWidget* find(const QMetaObject& type);
void remember(const QMetaObject& type, QWidget* window);
void forget(const QMetaObject& type, QWidget* window);
} // namespace detail

template <class W> W* loadedWindow() {
    return static_cast<W*>(detail::find(W::staticMetaObject));
}

template <class W> W& window() {
    if (W* existing = loadedWindow<W>())
        return *existing;
    auto* created = new W;
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
    shown.show();
    shown.raise();
    shown.activateWindow();
    return shown;
}

// Called from a window's close event once the close is accepted.
template <class W> void windowClosed(W* closing) {
    detail::forget(W::staticMetaObject, closing);
}

// Destroys every loaded window at once (tests start each case afresh).
void unloadAllWindows();

} // namespace app
