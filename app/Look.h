#pragma once

#include <QProxyStyle>

class QWidget;

namespace app {

// Layouts give font sizes in pixels (the "pixelSize" property), so that they hold on a
// screen of any resolution; this applies them to a window and its controls.
void applyPixelFonts(QWidget* window);

// Gives a control the desktop's own colours where its window has colours of its own (the
// menu bar, the text boxes and their scroll bars).
void useDesktopColours(QWidget* control);

// Fusion, but for what the layouts draw their own way: a command button marked "graphical"
// has a flat face in its background colour, and a frame has its caption in its top edge,
// a visible etched border and nothing painted inside it.
class Style : public QProxyStyle {
public:
    Style();

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget = nullptr) const override;
    void drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& palette,
                      bool enabled, const QString& text,
                      QPalette::ColorRole textRole = QPalette::NoRole) const override;
};

} // namespace app
