#include "app/Look.h"

#include <QApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
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

bool graphical(const QWidget* widget) {
    return widget && widget->property("graphical").toBool();
}

QColor mix(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

// Two-pixel edges in the desktop's 3-D colours: raised, or sunken while pressed.
void drawEdges(QPainter* p, const QRect& r, bool sunken) {
    const QPalette desktop = QApplication::palette();
    const QColor outerLit = desktop.color(QPalette::Light);
    const QColor outerShade = desktop.color(QPalette::Shadow);
    const QColor innerLit = desktop.color(QPalette::Midlight);
    const QColor innerShade = desktop.color(QPalette::Dark);
    const auto frame = [p](const QRect& box, const QColor& topLeft, const QColor& bottomRight) {
        p->setPen(topLeft);
        p->drawLine(box.topLeft(), box.topRight());
        p->drawLine(box.topLeft(), box.bottomLeft());
        p->setPen(bottomRight);
        p->drawLine(box.bottomLeft(), box.bottomRight());
        p->drawLine(box.topRight(), box.bottomRight());
    };
    if (sunken) {
        frame(r, outerShade, outerLit);
        frame(r.adjusted(1, 1, -1, -1), innerShade, innerLit);
    } else {
        frame(r, outerLit, outerShade);
        frame(r.adjusted(1, 1, -1, -1), innerLit, innerShade);
    }
}

void drawGraphicalButton(const QStyle* style, const QStyleOptionButton& button, QPainter* p) {
    const bool enabled = button.state & QStyle::State_Enabled;
    const bool down = button.state & (QStyle::State_Sunken | QStyle::State_On);
    QColor face = button.palette.color(QPalette::Active, QPalette::Button);
    if (!enabled)
        face = mix(face, QApplication::palette().color(QPalette::Disabled, QPalette::Button));

    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->fillRect(button.rect, face);
    drawEdges(p, button.rect, down);

    QRect caption = button.rect.adjusted(2, 2, -2, -2);
    if (down)
        caption.translate(1, 1);
    style->drawItemText(p, caption, Qt::AlignCenter | Qt::TextShowMnemonic, button.palette, enabled,
                        button.text, QPalette::ButtonText);

    if (button.state & QStyle::State_HasFocus) {
        QPen dots(button.palette.color(QPalette::Active, QPalette::ButtonText), 0);
        dots.setDashPattern({1, 1});
        p->setPen(dots);
        p->setBrush(Qt::NoBrush);
        p->drawRect(button.rect.adjusted(3, 3, -4, -4));
    }
    p->restore();
}

// The top border runs through the middle of the caption line, whether or not there is a
// caption.
int frameTop(const QStyleOptionComplex* option) {
    return option->fontMetrics.height() / 2;
}

QRect frameCaption(const QStyleOptionGroupBox* box) {
    if (box->text.isEmpty())
        return {};
    const int width = box->fontMetrics.horizontalAdvance(box->text);
    return QRect(box->rect.left() + 6, box->rect.top(), width + 4, box->fontMetrics.height());
}

// True when nothing drawn inside area can reach the part of the device being painted. A
// change to one control repaints what overlaps it, often a sliver of a neighbour; drawing
// all of the neighbour for that sliver costs more than the change itself.
bool outsidePaintedRegion(const QPainter* painter, const QRegion& area) {
    const QPaintEngine* engine = painter->paintEngine();
    if (!engine)
        return false;
    const QRegion painted = engine->systemClip();
    if (painted.isEmpty()) // no clip: the whole device is being painted
        return false;
    const QTransform& toDevice = painter->deviceTransform();
    if (toDevice.type() > QTransform::TxTranslate)
        return false;
    return !painted.intersects(toDevice.map(area));
}

// Text stays inside its rectangle, or is clipped to it when it overflows; the margin covers
// glyphs whose ink reaches past their metrics.
bool textOutsidePaintedRegion(const QPainter* painter, const QRect& rect) {
    constexpr int InkMargin = 2;
    return outsidePaintedRegion(painter,
                                rect.adjusted(-InkMargin, -InkMargin, InkMargin, InkMargin));
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

Style::Style()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

void Style::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                        const QWidget* widget) const {
    if (element == CE_PushButton && graphical(widget)) {
        if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
            drawGraphicalButton(proxy(), *button, painter);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void Style::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                               QPainter* painter, const QWidget* widget) const {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QPalette desktop = QApplication::palette();
    const QRect border = subControlRect(CC_GroupBox, box, SC_GroupBoxFrame, widget);
    const QRect caption = subControlRect(CC_GroupBox, box, SC_GroupBoxLabel, widget);
    painter->save();
    // The etched lines are two pixels wide; inside them a frame paints nothing.
    if (!outsidePaintedRegion(painter, QRegion(border) - QRegion(border.adjusted(2, 2, -2, -2)))) {
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setClipRegion(QRegion(box->rect) - QRegion(caption));
        painter->setBrush(Qt::NoBrush);
        painter->setPen(desktop.color(QPalette::Dark));
        painter->drawRect(border.adjusted(0, 0, -2, -2));
        painter->setPen(desktop.color(QPalette::Light));
        painter->drawRect(border.adjusted(1, 1, -1, -1));
        painter->setClipping(false);
    }
    if (!caption.isEmpty())
        proxy()->drawItemText(painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic,
                              box->palette, box->state & State_Enabled, box->text,
                              QPalette::WindowText);
    painter->restore();
}

QRect Style::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                            SubControl part, const QWidget* widget) const {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box)
        return QProxyStyle::subControlRect(control, option, part, widget);
    const QRect border = box->rect.adjusted(0, frameTop(box), 0, 0);
    switch (part) {
    case SC_GroupBoxFrame:
        return border;
    case SC_GroupBoxLabel:
        return frameCaption(box);
    case SC_GroupBoxContents:
        return border.adjusted(2, 2, -2, -2);
    default:
        return QProxyStyle::subControlRect(control, option, part, widget);
    }
}

void Style::drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& palette,
                         bool enabled, const QString& text, QPalette::ColorRole textRole) const {
    if (textOutsidePaintedRegion(painter, rect))
        return;
    QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
}

} // namespace app
