#include "app/Look.h"

#include <QApplication>
#include <QWidget>

namespace app {

namespace {

void apply(QWidget* widget) {
    const QVariant pixels = widget->property("pixelSize");
    if (pixels.isValid()) {
        QFont font = widget->font();
        font.setPixelSize(pixels.toInt());
        widget->setFont(font);
    }
}

} // namespace

void applyPixelFonts(QWidget* window) {
    // The window first: its controls inherit its size unless they name their own.
    apply(window);
    for (QWidget* child : window->findChildren<QWidget*>())
        apply(child);
}

void useDesktopColours(QWidget* control) {
    QPalette desktop = QApplication::palette(control);
    // Every role counts as set, so nothing is inherited from the window.
    desktop.setResolveMask(~QPalette::ResolveMask(0));
    control->setPalette(desktop);
}

} // namespace app
