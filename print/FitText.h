#pragma once

#include <QFont>
#include <QRectF>
#include <QString>
#include <QTextLayout>

#include <memory>

class QPaintDevice;
class QPainter;

namespace print {

// A card's text as lines: its line breaks kept, tabs as blanks.
QString cardText(const QString& text);

// Text laid out in a box: word-wrapped, in the largest size from maxPoints down to minPoints
// (half-point steps) at which all of it fits with every word whole. At minPoints a word wider
// than the box is broken across lines, and the text is cut with an ellipsis if it still does
// not fit.
class FittedText {
public:
    FittedText(const QString& text, QFont font, QSizeF box, double maxPoints, double minPoints,
               Qt::Alignment alignment, QPaintDevice* device);

    bool cut() const { return m_cut; }
    bool broken() const { return m_broken; }
    double height() const { return m_height; }
    // Draws the text at the top of box, or in its middle.
    void draw(QPainter& painter, const QRectF& box, bool middle) const;

private:
    // Lays out text at size points, as far as the box's height or the first line wider than
    // the box; true when all of it fits.
    bool layOut(const QString& text, double points);
    void cutToFit(const QString& text);

    QFont m_font;
    QSizeF m_box;
    QTextOption m_option;
    QPaintDevice* m_device;
    std::unique_ptr<QTextLayout> m_layout;
    double m_height = 0;
    double m_points = 0;
    bool m_cut = false;
    bool m_tooWide = false; // of the last layout: a word wider than the box
    bool m_broken = false;
};

} // namespace print
