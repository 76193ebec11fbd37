#pragma once

#include <QString>
#include <QWidget>

#include <stdexcept>
#include <string>

namespace automation {

// A control of a window found by its layout name, as any automation finds it: windows keep
// their controls to themselves. A missing control, or one of another kind, is an error.
template <class T> T* control(const QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        throw std::runtime_error(std::string("no control named ") + name + " in " +
                                 window.objectName().toStdString());
    return found;
}

} // namespace automation
