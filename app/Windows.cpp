#include "app/Windows.h"

#include <QHash>

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

void unloadAllWindows() {
    const auto windows = loaded().values();
    loaded().clear();
    for (QWidget* window : windows)
        delete window;
}

} // namespace app
