#pragma once

#include "print/Paper.h"

#include <QPainter>
#include <QPdfWriter>
#include <QRectF>
#include <QString>
#include <QStringList>

class QIODevice;

namespace print {

// Millimetres: what printers leave unprinted at the paper's edges, and the band inside it
// that holds the cut marks around the cards.
constexpr double Margin = 10;
constexpr double MarkBand = 5;

// A card's size in millimetres, the long side across.
struct CardSize {
    double width = 0;
    double height = 0;
};

// The card sizes by name: index (3x5 in), a7, a8, business.
const QStringList& cardSizeNames();

// One of cardSizeNames(); throws PrintError for any other name.
CardSize cardSize(const QString& name);

// The edge a duplex printer turns the sheet over.
enum class Flip { Long, Short };

// Cards of one size in rows and columns, centred on the page, touching one another so that one
// cut parts two cards. Millimetres from the page's top left corner.
struct Grid {
    int columns = 0;
    int rows = 0;
    double cellWidth = 0;
    double cellHeight = 0;
    QRectF area;

    int perPage() const { return columns * rows; }
    // Row by row, from the top left.
    QRectF cell(int index) const;
};

// As many cards as fit within the margins and the mark band, the cards turned upright when
// more fit that way. With columns set, exactly that many across.
Grid cardGrid(const Paper& paper, CardSize card, int columns = 0);

// Where the back of the card at front lies on the back page: mirrored across the edge the
// sheet turns over, then shifted by offset (millimetres, as the back page is printed).
QRectF backOf(const QRectF& front, const Paper& paper, Flip flip, QPointF offset);

// A PDF of portrait pages drawn in millimetres, fonts in points.
class Canvas {
public:
    Canvas(QIODevice* device, const Paper& paper, const QString& title);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    QPainter& painter() { return m_painter; }
    QPaintDevice* device() { return &m_writer; }
    const Paper& paper() const { return m_paper; }

    double units(double mm) const { return mm * m_unitsPerMm; }
    QRectF units(const QRectF& mm) const;
    QPointF units(QPointF mm) const { return mm * m_unitsPerMm; }
    QSizeF units(QSizeF mm) const { return mm * m_unitsPerMm; }

    // The page being drawn is done; the next begins.
    void newPage();
    int pages() const { return m_pages; }
    // Writes the end of the file; false when the device failed.
    bool finish();

    // Thin marks in the band around the grid, on the lines along which the cards are cut;
    // none on the line after column foldAfter, which is folded.
    void cutMarks(const Grid& grid, int foldAfter = -1);
    // A dashed line from a to b.
    void dashedLine(QPointF a, QPointF b);

private:
    Paper m_paper;
    QPdfWriter m_writer;
    QPainter m_painter;
    double m_unitsPerMm = 1;
    int m_pages = 1;
};

} // namespace print
