#include "print/Sheet.h"

#include "print/PrintError.h"

#include <QPen>

#include <cmath>

namespace print {

namespace {

constexpr int Resolution = 1200; // dots per inch
constexpr double MarkGap = 1;    // mm between a card and its marks
constexpr double MarkLength = 3.5;

Grid fit(const Paper& paper, double width, double height, int columns) {
    const double across = paper.width() - 2 * (Margin + MarkBand);
    const double down = paper.height() - 2 * (Margin + MarkBand);
    Grid grid;
    grid.cellWidth = width;
    grid.cellHeight = height;
    grid.columns = int(std::floor(across / width));
    if (columns > 0)
        grid.columns = grid.columns >= columns ? columns : 0;
    grid.rows = int(std::floor(down / height));
    if (grid.columns < 1 || grid.rows < 1)
        return {};
    const double w = grid.columns * width;
    const double h = grid.rows * height;
    grid.area = QRectF((paper.width() - w) / 2, (paper.height() - h) / 2, w, h);
    return grid;
}

} // namespace

const QStringList& cardSizeNames() {
    static const QStringList names = {QStringLiteral("index"), QStringLiteral("a7"),
                                      QStringLiteral("a8"), QStringLiteral("business")};
    return names;
}

CardSize cardSize(const QString& name) {
    static const CardSize sizes[] = {{127.0, 76.2}, {105, 74}, {74, 52}, {85, 55}};
    if (const qsizetype at = cardSizeNames().indexOf(name); at >= 0)
        return sizes[at];
    throw PrintError(
        QStringLiteral("unknown card '%1': choose index, a7, a8 or business").arg(name));
}

QRectF Grid::cell(int index) const {
    return QRectF(area.left() + (index % columns) * cellWidth,
                  area.top() + (index / columns) * cellHeight, cellWidth, cellHeight);
}

Grid cardGrid(const Paper& paper, CardSize card, int columns) {
    const Grid across = fit(paper, card.width, card.height, columns);
    const Grid upright = fit(paper, card.height, card.width, columns);
    const Grid& best = upright.perPage() > across.perPage() ? upright : across;
    if (best.perPage() == 0)
        throw PrintError(QStringLiteral("a card of %1 x %2 mm does not fit on %3 paper")
                             .arg(card.width)
                             .arg(card.height)
                             .arg(paper.name));
    return best;
}

QRectF backOf(const QRectF& front, const Paper& paper, Flip flip, QPointF offset) {
    QRectF back = front;
    if (flip == Flip::Long)
        back.moveLeft(paper.width() - front.right());
    else
        back.moveTop(paper.height() - front.bottom());
    return back.translated(offset);
}

Canvas::Canvas(QIODevice* device, const Paper& paper, const QString& title)
    : m_paper(paper)
    , m_writer(device) {
    m_writer.setResolution(Resolution);
    m_writer.setPageLayout(QPageLayout(paper.size, QPageLayout::Portrait, QMarginsF()));
    m_writer.setTitle(title);
    m_writer.setCreator(QStringLiteral("memvane-bank"));
    m_unitsPerMm = Resolution / 25.4;
    m_painter.begin(&m_writer);
}

QRectF Canvas::units(const QRectF& mm) const {
    return QRectF(units(mm.topLeft()), units(mm.bottomRight()));
}

void Canvas::newPage() {
    m_writer.newPage();
    ++m_pages;
}

bool Canvas::finish() {
    return m_painter.end();
}

void Canvas::cutMarks(const Grid& grid, int foldAfter) {
    m_painter.save();
    m_painter.setPen(QPen(Qt::black, units(0.15)));
    const QRectF& a = grid.area;
    const double near = MarkGap;
    const double far = MarkGap + MarkLength;
    for (int c = 0; c <= grid.columns; ++c) {
        if (c == foldAfter + 1)
            continue;
        const double x = a.left() + c * grid.cellWidth;
        m_painter.drawLine(units(QPointF(x, a.top() - far)), units(QPointF(x, a.top() - near)));
        m_painter.drawLine(units(QPointF(x, a.bottom() + near)),
                           units(QPointF(x, a.bottom() + far)));
    }
    for (int r = 0; r <= grid.rows; ++r) {
        const double y = a.top() + r * grid.cellHeight;
        m_painter.drawLine(units(QPointF(a.left() - far, y)), units(QPointF(a.left() - near, y)));
        m_painter.drawLine(units(QPointF(a.right() + near, y)), units(QPointF(a.right() + far, y)));
    }
    m_painter.restore();
}

void Canvas::dashedLine(QPointF a, QPointF b) {
    m_painter.save();
    QPen pen(Qt::gray, units(0.2), Qt::DashLine);
    m_painter.setPen(pen);
    m_painter.drawLine(units(a), units(b));
    m_painter.restore();
}

} // namespace print
