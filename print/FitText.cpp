#include "print/FitText.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace print {

QString cardText(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    lines.replace(u'\n', QChar::LineSeparator);
    lines.replace(u'\t', u' ');
    return lines;
}

FittedText::FittedText(const QString& text, QFont font, QSizeF box, double maxPoints,
                       double minPoints, Qt::Alignment alignment, QPaintDevice* device)
    : m_font(std::move(font))
    , m_box(box)
    , m_device(device) {
    m_option.setAlignment(alignment);
    m_option.setWrapMode(QTextOption::WordWrap);
    m_option.setTextDirection(Qt::LayoutDirectionAuto);
    if (layOut(text, maxPoints))
        return;
    // The half-point steps between the sizes; the largest that fits wins. The best layout so
    // far is kept rather than made again.
    int low = -1;                                            // fits; -1 while none does
    int high = int(std::round((maxPoints - minPoints) * 2)); // does not fit
    std::unique_ptr<QTextLayout> best;
    double bestHeight = 0;
    while (high - low > 1) {
        const int middle = (low + high) / 2;
        if (layOut(text, minPoints + middle / 2.0)) {
            low = middle;
            best = std::move(m_layout);
            bestHeight = m_height;
        } else {
            high = middle;
        }
    }
    if (low < 0) {
        // The last layout tried was at the smallest size.
        if (m_tooWide) {
            m_broken = true;
            m_option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            if (layOut(text, minPoints))
                return;
        }
        cutToFit(text);
        return;
    }
    m_layout = std::move(best);
    m_height = bestHeight;
    m_points = minPoints + low / 2.0;
}

bool FittedText::layOut(const QString& text, double points) {
    m_points = points;
    m_font.setPointSizeF(points);
    m_layout = std::make_unique<QTextLayout>(text, m_font, m_device);
    m_layout->setTextOption(m_option);
    m_layout->setCacheEnabled(true);
    m_layout->beginLayout();
    double y = 0;
    bool fits = true;
    m_tooWide = false;
    for (;;) {
        QTextLine line = m_layout->createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(m_box.width());
        // Only as much is laid out as could be shown: a long text costs no more than a short
        // one. Word wrap leaves a word wider than the box whole, running past its edge.
        m_tooWide = y + line.height() <= m_box.height() && line.naturalTextWidth() > m_box.width();
        if (m_tooWide || y + line.height() > m_box.height()) {
            fits = false;
            break;
        }
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    m_layout->endLayout();
    m_height = y;
    return fits;
}

void FittedText::cutToFit(const QString& text) {
    m_cut = true;
    // The lines that fit at the smallest size stay; the last of them ends in an ellipsis.
    for (int keep = m_layout->lineCount() - 1; keep >= 0; --keep) {
        const int start = keep > 0 ? m_layout->lineAt(keep).textStart() : 0;
        QString rest = text.mid(start, 4096);
        rest.replace(QChar::LineSeparator, u' ');
        const QFontMetricsF metrics(m_font, m_device);
        QString last = metrics.elidedText(rest, Qt::ElideRight, m_box.width() * 0.98);
        if (!last.endsWith(QChar(0x2026)))
            last += QChar(0x2026);
        if (layOut(text.left(start) + last, m_points))
            return;
    }
    layOut(QString(QChar(0x2026)), m_points);
}

void FittedText::draw(QPainter& painter, const QRectF& box, bool middle) const {
    const double top = middle ? box.top() + (box.height() - m_height) / 2 : box.top();
    m_layout->draw(&painter, QPointF(box.left(), top));
}

} // namespace print
