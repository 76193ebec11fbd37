#include "print/TestPage.h"

#include "print/Sheet.h"

#include <QPen>

namespace print {

namespace {

constexpr double ScaleMm = 10; // each way from the middle

void words(Canvas& canvas, double top, const QString& text, double points) {
    QPainter& p = canvas.painter();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    p.setFont(font);
    const double width = canvas.paper().width() - 2 * (Margin + MarkBand);
    p.drawText(canvas.units(QRectF(Margin + MarkBand, top, width, 40)),
               Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text);
}

} // namespace

void drawTestPage(Canvas& canvas) {
    QPainter& p = canvas.painter();
    const QPointF middle(canvas.paper().width() / 2, canvas.paper().height() / 2);
    words(canvas, Margin + MarkBand, QStringLiteral("memvane-bank test page: front"), 14);
    words(canvas, Margin + MarkBand + 12,
          QStringLiteral("Print this file on both sides of one sheet, turned over the same edge "
                         "as the cards (--flip). Then read its back."),
          10);
    p.setPen(QPen(Qt::black, canvas.units(0.25)));
    p.drawLine(canvas.units(middle - QPointF(ScaleMm, 0)),
               canvas.units(middle + QPointF(ScaleMm, 0)));
    p.drawLine(canvas.units(middle - QPointF(0, ScaleMm)),
               canvas.units(middle + QPointF(0, ScaleMm)));
    p.drawEllipse(canvas.units(middle), canvas.units(3.0), canvas.units(3.0));

    canvas.newPage();
    words(canvas, Margin + MarkBand, QStringLiteral("memvane-bank test page: back"), 14);
    words(canvas, Margin + MarkBand + 12,
          QStringLiteral("Hold the sheet to the light with this side towards you. Where the "
                         "cross of the front falls on these scales is the offset of the backs: "
                         "print with --offset X,Y (millimetres; right and down are positive)."),
          10);
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPointSizeF(6);
    p.setFont(small);
    p.setPen(QPen(Qt::black, canvas.units(0.1)));
    for (int mm = -int(ScaleMm); mm <= int(ScaleMm); ++mm) {
        const double tick = mm % 5 == 0 ? 2.5 : 1.2;
        const QPointF x = middle + QPointF(mm, 0);
        const QPointF y = middle + QPointF(0, mm);
        p.drawLine(canvas.units(x - QPointF(0, tick)), canvas.units(x + QPointF(0, tick)));
        p.drawLine(canvas.units(y - QPointF(tick, 0)), canvas.units(y + QPointF(tick, 0)));
        // Each quarter around the middle holds one scale's labels, so that none runs into
        // another: those across below right and above left, those down below left and above
        // right.
        if (mm % 5 == 0 && mm != 0) {
            const bool positive = mm > 0;
            p.drawText(canvas.units(QRectF(x.x() - 3, x.y() + (positive ? 3 : -6), 6, 3)),
                       Qt::AlignCenter, QString::number(mm));
            p.drawText(canvas.units(QRectF(y.x() + (positive ? -9 : 3), y.y() - 1.5, 6, 3)),
                       (positive ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                       QString::number(mm));
        }
    }
    p.drawLine(canvas.units(middle - QPointF(ScaleMm, 0)),
               canvas.units(middle + QPointF(ScaleMm, 0)));
    p.drawLine(canvas.units(middle - QPointF(0, ScaleMm)),
               canvas.units(middle + QPointF(0, ScaleMm)));
}

} // namespace print
