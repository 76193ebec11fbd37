#include "app/launch.h"

#include "app/FrmSplash.h"
#include "app/Look.h"
#include "app/Windows.h"

#include <QApplication>
#include <QFont>
#include <QStyle>

#include <cstdio>
#include <cstdlib>

namespace app {

void applyLook() {
    QApplication::setStyle(new Style);
    QApplication::setPalette(QApplication::style()->standardPalette());
    // The layouts name the fonts of their first desktop; these stand in on every other.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier"), QStringLiteral("Liberation Mono"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    QApplication::setFont(font);
    QApplication::setApplicationName(QStringLiteral("Memvane"));
    // Wayland shells find the name and icon through the menu entry of this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("memvane"));
}

void launch() {
    applyLook();
    showWindow<FrmSplash>();
}

int ended(int status) {
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return status;
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace app
