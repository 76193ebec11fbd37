#include "print/Layouts.h"

#include "print/CardSet.h"
#include "print/FitText.h"
#include "print/FontCoverage.h"
#include "print/PrintError.h"

#include <QPen>

#include <algorithm>

#include <vector>

namespace print {

namespace {

// More than any card or row of a list can show at the smallest size.
constexpr qsizetype MaxCharacters = 10000;
constexpr double MaxPoints = 16;
constexpr double MinPoints = 6;
constexpr double SmallPoints = 6.5;
constexpr double ListPoints = 10;
constexpr double Padding = 3;  // mm inside a card
constexpr double Footer = 3.5; // mm of the topic and ID line
constexpr double ListNumber = 12;
constexpr double ListPadding = 1.5;
constexpr double ListTitle = 7;
constexpr double ListTitlePoints = 11;
constexpr double ListHeader = 7;
constexpr double HiddenAnswerRow = 12; // room to write an answer in

QFont textFont(const QString& text = {}) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    // No ligatures in alphabets that need no shaping, so that a search finds "fi" as two
    // letters; other scripts are shaped as they need (Qt 6.4 would not join Arabic).
    const auto plain = [](char32_t c) {
        switch (QChar::script(c)) {
        case QChar::Script_Common:
        case QChar::Script_Inherited:
        case QChar::Script_Latin:
        case QChar::Script_Greek:
        case QChar::Script_Cyrillic:
            return true;
        default:
            return false;
        }
    };
    const QList<uint> characters = text.toUcs4();
    if (std::all_of(characters.begin(), characters.end(), plain))
        font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// Refuses a card whose printed texts are longer than any card or row shows.
void checkLength(const Card& card, bool withAnswer) {
    for (const auto& [what, text] :
         {std::pair{"question", &card.question}, std::pair{"answer", &card.answer},
          std::pair{"topic", &card.topic}}) {
        if ((withAnswer || text != &card.answer) && text->size() > MaxCharacters)
            throw PrintError(QStringLiteral("card %1: its %2 has %3 characters, more than "
                                            "any card shows (%4); nothing was written")
                                 .arg(card.id)
                                 .arg(QString::fromLatin1(what))
                                 .arg(text->size())
                                 .arg(MaxCharacters));
    }
}

// One card's texts, checked and laid out where they go; notes what the reader is not shown.
class CardPainter {
public:
    CardPainter(Canvas& canvas, Report& report)
        : m_canvas(canvas)
        , m_report(report) {}

    // Checks the texts of a card that are printed, before any of it is drawn.
    void check(const Card& card, bool withAnswer = true) {
        checkLength(card, withAnswer);
        for (const auto& [what, text] :
             {std::pair{"question", &card.question}, std::pair{"answer", &card.answer},
              std::pair{"topic", &card.topic}}) {
            if (!withAnswer && text == &card.answer)
                continue;
            for (const char32_t c : m_fonts.missing(*text))
                m_report.notes << QStringLiteral("card %1: no installed font has %2 (in its %3)")
                                      .arg(card.id)
                                      .arg(characterName(c), QString::fromLatin1(what));
        }
        ++m_report.cards;
    }

    // The text in the largest size that fits the box (mm), in its middle, or at its top.
    double text(const Card& card, const char* what, const QString& text, const QRectF& box,
                double maxPoints, double minPoints, Qt::Alignment alignment, bool middle) {
        const QRectF units = m_canvas.units(box);
        const FittedText fitted(cardText(text), textFont(text), units.size(), maxPoints, minPoints,
                                alignment, m_canvas.device());
        if (fitted.broken())
            m_report.notes << QStringLiteral("card %1: its %2 has a word too long for a line at "
                                             "%3 pt, broken across lines")
                                  .arg(card.id)
                                  .arg(QString::fromLatin1(what))
                                  .arg(minPoints);
        if (fitted.cut())
            m_report.notes << QStringLiteral("card %1: its %2 is cut to fit (at %3 pt)")
                                  .arg(card.id)
                                  .arg(QString::fromLatin1(what))
                                  .arg(minPoints);
        fitted.draw(m_canvas.painter(), units, middle);
        return fitted.height() / m_canvas.units(1.0);
    }

    void front(const Card& card, const QRectF& cell) {
        const QRectF inner = cell.adjusted(Padding, Padding, -Padding, -Padding);
        text(card, "question", card.question, inner.adjusted(0, 0, 0, -Footer - 1), MaxPoints,
             MinPoints, Qt::AlignHCenter, true);
        QPainter& p = m_canvas.painter();
        p.save();
        QFont small = textFont();
        small.setPointSizeF(SmallPoints);
        p.setFont(small);
        p.setPen(Qt::darkGray);
        const QRectF footer =
            m_canvas.units(QRectF(inner.left(), inner.bottom() - Footer, inner.width(), Footer));
        const QString id = QStringLiteral("ID %1").arg(card.id);
        const QFontMetricsF metrics(small, m_canvas.device());
        const double idWidth = metrics.horizontalAdvance(id) + m_canvas.units(2.0);
        p.drawText(footer, Qt::AlignRight | Qt::AlignBottom, id);
        p.drawText(footer.adjusted(0, 0, -idWidth, 0), Qt::AlignLeft | Qt::AlignBottom,
                   metrics.elidedText(cardText(card.topic).replace(QChar::LineSeparator, u' '),
                                      Qt::ElideRight, footer.width() - idWidth));
        p.restore();
    }

    void back(const Card& card, const QRectF& cell) {
        text(card, "answer", card.answer, cell.adjusted(Padding, Padding, -Padding, -Padding),
             MaxPoints, MinPoints, Qt::AlignHCenter, true);
    }

private:
    Canvas& m_canvas;
    Report& m_report;
    FontCoverage m_fonts;
};

// Fronts on one page, backs behind them on the next: a sheet to print on both sides.
void cutOutCards(CardSet& cards, const Settings& settings, Canvas& canvas, CardPainter& painter) {
    const Grid grid = cardGrid(canvas.paper(), settings.card);
    std::vector<Card> sheet;
    for (int first = 0; first < cards.count(); first += grid.perPage()) {
        if (first > 0)
            canvas.newPage();
        sheet.clear();
        for (int i = first; i < std::min(cards.count(), first + grid.perPage()); ++i) {
            sheet.push_back(cards.card(i));
            painter.check(sheet.back());
        }
        canvas.cutMarks(grid);
        for (size_t i = 0; i < sheet.size(); ++i)
            painter.front(sheet[i], grid.cell(int(i)));
        canvas.newPage();
        for (size_t i = 0; i < sheet.size(); ++i)
            painter.back(sheet[i],
                         backOf(grid.cell(int(i)), canvas.paper(), settings.flip, settings.offset));
    }
}

// Question and answer side by side, a fold line between them: one side of the sheet.
void foldOverCards(CardSet& cards, const Settings& settings, Canvas& canvas, CardPainter& painter) {
    const Grid grid = cardGrid(canvas.paper(), settings.card, 2);
    for (int i = 0; i < cards.count(); ++i) {
        const int row = i % grid.rows;
        if (row == 0) {
            if (i > 0)
                canvas.newPage();
            canvas.cutMarks(grid, 1);
            const double middle = grid.area.center().x();
            canvas.dashedLine(QPointF(middle, grid.area.top() - MarkBand + 1),
                              QPointF(middle, grid.area.bottom() + MarkBand - 1));
        }
        const Card card = cards.card(i);
        painter.check(card);
        painter.front(card, grid.cell(row * 2));
        painter.back(card, grid.cell(row * 2 + 1));
    }
}

// A numbered table of questions and answers, its title, page number and header on every page.
void questionList(CardSet& cards, const Settings& settings, Canvas& canvas, CardPainter& painter) {
    const Paper& paper = canvas.paper();
    const double left = Margin;
    const double right = paper.width() - Margin;
    const double bottom = paper.height() - Margin;
    const double textWidth = (right - left - ListNumber) / 2;
    const double columns[] = {left, left + ListNumber, left + ListNumber + textWidth, right};
    const double top = Margin + ListTitle + ListHeader;
    const double tallest = bottom - top - 2 * ListPadding;
    QPainter& p = canvas.painter();
    QFont font = textFont();
    font.setPointSizeF(ListPoints);
    QFont bold = font;
    bold.setBold(true);
    const auto rule = [&](double y, double width, Qt::GlobalColor colour) {
        p.save();
        p.setPen(QPen(colour, canvas.units(width)));
        p.drawLine(canvas.units(QPointF(left, y)), canvas.units(QPointF(right, y)));
        p.restore();
    };
    const auto cellBox = [&](int column, double y, double height) {
        return QRectF(columns[column] + ListPadding, y + ListPadding,
                      columns[column + 1] - columns[column] - 2 * ListPadding, height);
    };
    const auto rowHeight = [&](const QString& text) {
        return FittedText(cardText(text), textFont(text),
                          canvas.units(QSizeF(textWidth - 2 * ListPadding, tallest)), ListPoints,
                          ListPoints, Qt::AlignLeft, canvas.device())
                   .height() /
               canvas.units(1.0);
    };

    // Every row is laid out before any is drawn, so that each page can tell how many there are.
    std::vector<double> heights;
    std::vector<int> pageStarts = {0};
    double y = top;
    for (int i = 0; i < cards.count(); ++i) {
        const Card card = cards.card(i);
        checkLength(card, !settings.hideAnswers);
        heights.push_back(std::max(rowHeight(card.question), settings.hideAnswers
                                                                 ? HiddenAnswerRow
                                                                 : rowHeight(card.answer)) +
                          2 * ListPadding);
        if (y + heights.back() > bottom && i > 0) {
            pageStarts.push_back(i);
            y = top;
        }
        y += heights.back();
    }
    pageStarts.push_back(cards.count());

    QFont titleFont = bold;
    titleFont.setPointSizeF(ListTitlePoints);
    const auto pageHead = [&](int page, int pages) {
        const QString number = QStringLiteral("Page %1 of %2").arg(page).arg(pages);
        const QRectF box = canvas.units(
            QRectF(left + ListPadding, Margin, right - left - 2 * ListPadding, ListTitle - 2));
        p.setFont(font);
        p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, number);
        const double titleWidth = box.width() - canvas.units(5.0) -
                                  QFontMetricsF(font, canvas.device()).horizontalAdvance(number);
        p.setFont(titleFont);
        p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetricsF(titleFont, canvas.device())
                       .elidedText(settings.title, Qt::ElideRight, titleWidth));
        p.setFont(bold);
        const char* titles[] = {"#", "Question", "Answer"};
        for (int c = 0; c < 3; ++c)
            p.drawText(canvas.units(cellBox(c, Margin + ListTitle, ListHeader - 2 * ListPadding)),
                       Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(titles[c]));
        rule(top, 0.3, Qt::black);
    };
    const int pages = int(pageStarts.size()) - 1;
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            canvas.newPage();
        pageHead(page + 1, pages);
        y = top;
        for (int i = pageStarts[size_t(page)]; i < pageStarts[size_t(page) + 1]; ++i) {
            const Card card = cards.card(i);
            painter.check(card, !settings.hideAnswers);
            const double height = heights[size_t(i)];
            p.setFont(font);
            p.drawText(canvas.units(cellBox(0, y, height)), Qt::AlignLeft | Qt::AlignTop,
                       QString::number(i + 1));
            painter.text(card, "question", card.question, cellBox(1, y, tallest), ListPoints,
                         ListPoints, Qt::AlignLeft, false);
            if (!settings.hideAnswers)
                painter.text(card, "answer", card.answer, cellBox(2, y, tallest), ListPoints,
                             ListPoints, Qt::AlignLeft, false);
            y += height;
            rule(y, 0.1, Qt::gray);
        }
    }
}

} // namespace

void drawCards(CardSet& cards, const Settings& settings, Canvas& canvas, Report& report) {
    CardPainter painter(canvas, report);
    switch (settings.layout) {
    case Layout::Cards:
        cutOutCards(cards, settings, canvas, painter);
        break;
    case Layout::Fold:
        foldOverCards(cards, settings, canvas, painter);
        break;
    case Layout::List:
        questionList(cards, settings, canvas, painter);
        break;
    }
}

} // namespace print
