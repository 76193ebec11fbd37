#include "app/Windows.h"

#include "app/ProgramFolder.h"
#include "app/ProgramState.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHash>
#include <QMainWindow>

namespace app {

namespace {

QHash<const QMetaObject*, QPointer<QWidget>>& loaded() {
    static QHash<const QMetaObject*, QPointer<QWidget>> windows;
    return windows;
}

} // namespace

namespace detail {

QWidget* find(const QMetaObject& type) {
    return loaded().value(&type);
}

void remember(const QMetaObject& type, QWidget* window) {
    loaded().insert(&type, window);
}

void forget(const QMetaObject& type, QWidget* window) {
    auto it = loaded().find(&type);
    if (it != loaded().end() && it.value() == window)
        loaded().erase(it);
}

} // namespace detail

QWidget* dialogParent() {
    for (QWidget* window : loaded()) {
        if (qobject_cast<QMainWindow*>(window))
            return window;
    }
    return nullptr;
}

void unloadAllWindows() {
    const auto windows = loaded().values();
    loaded().clear();
    for (QWidget* window : windows)
        delete window;
}

void resetProgram() {
    unloadAllWindows();
    state() = {};
    setProgramFolder({});
    // Windows closed earlier delete themselves later; no event loop may come to run that.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace app
