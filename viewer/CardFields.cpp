#include "viewer/CardFields.h"

#include "store/MarkFields.h"
#include "store/RecordSet.h"
#include "ui_FrmMain.h"

#include <QCoreApplication>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <span>

namespace viewer {

QString cardText(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

namespace {

// A run with no space longer than this has no word to wrap at: laid out word by word, its
// cost grows with the square of its length (a 1 MB run took half a minute).
constexpr qsizetype LongestWord = 4096;
// A paragraph this long is laid out once and the layout kept: the cursor, a click or a
// repaint would otherwise lay the whole of it out again.
constexpr qsizetype LongParagraph = 1 << 16;

bool hasLongRun(const QString& text) {
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > LongestWord)
            return true;
    }
    return false;
}

void setCardText(QPlainTextEdit* box, const QString& text) {
    // Text that needs no shaping (Latin and the like, without combining marks) is laid out
    // without it, which halves the cost of showing a card; other scripts keep it.
    const bool plain =
        std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x0300; });
    QFont font = box->font();
    const auto strategy = plain ? QFont::PreferNoShaping : QFont::PreferDefault;
    const auto wrap =
        hasLongRun(text) ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
    const bool large = text.size() >= LongParagraph;
    // A box never shown yet (the hidden answer) has a placeholder size: it would lay the
    // text out narrow now and again when shown. Its real size first.
    if (box->testAttribute(Qt::WA_PendingResizeEvent)) {
        QResizeEvent resize(box->size(), QSize());
        QCoreApplication::sendEvent(box, &resize);
        box->setAttribute(Qt::WA_PendingResizeEvent, false);
    }
    // A new font or wrap mode lays out what the box holds: the old card goes first, as it
    // may be the huge one.
    if (large || font.styleStrategy() != strategy || box->wordWrapMode() != wrap)
        box->clear();
    if (font.styleStrategy() != strategy) {
        font.setStyleStrategy(strategy);
        box->setFont(font);
    }
    if (box->wordWrapMode() != wrap)
        box->setWordWrapMode(wrap);
    QTextDocument* document = box->document();
    const bool undo = document->isUndoRedoEnabled();
    if (!large) {
        // The box's own setPlainText lays a new paragraph out twice, to select it and for the
        // text; a paragraph that keeps its layout while its text is replaced is laid out once.
        document->setUndoRedoEnabled(false);
        QTextCursor all(document);
        all.select(QTextCursor::Document);
        all.insertText(text);
        document->setUndoRedoEnabled(undo);
        document->setModified(false);
        box->setTextCursor(QTextCursor(document));
        return;
    }
    document->firstBlock().layout()->setCacheEnabled(true);
    document->setUndoRedoEnabled(false);
    QTextCursor(document).insertText(text);
    document->setUndoRedoEnabled(undo);
    for (QTextBlock block = document->firstBlock().next(); block.isValid(); block = block.next())
        if (block.length() >= LongParagraph)
            block.layout()->setCacheEnabled(true);
    box->moveCursor(QTextCursor::Start);
}

// With nothing to scroll, the slider fills the groove whatever the page step; a card of another
// number of lines changes only that step, and would repaint the bar for nothing.
class StillScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

protected:
    void sliderChange(SliderChange change) override {
        if (change == SliderStepsChange && minimum() == maximum())
            return;
        QScrollBar::sliderChange(change);
    }
};

} // namespace

void prepareCardBox(QPlainTextEdit* box) {
    box->setVerticalScrollBar(new StillScrollBar(Qt::Vertical));
    QTextDocument* document = box->document();
    // The layout runs just after this signal. Huge texts have their own handling, and
    // keeping every paragraph of one would cost more memory than shaping saves.
    QObject::connect(document, &QTextDocument::contentsChange, box,
                     [document](int from, int, int added) {
                         if (document->characterCount() >= LongParagraph)
                             return;
                         const QTextBlock end = document->findBlock(from + added).next();
                         for (QTextBlock block = document->findBlock(from);
                              block.isValid() && block != end; block = block.next())
                             block.layout()->setCacheEnabled(true);
                     });
}

void writeCard(Ui::FrmMain& ui, store::RecordSet& cards, const QString& markField) {
    const std::optional<QString> mark = store::markFieldName(markField);
    const std::array<int, 4> columns = {
        cards.columnIndex(QStringLiteral("Question")), cards.columnIndex(QStringLiteral("Answer")),
        cards.columnIndex(QStringLiteral("Category")), mark ? cards.columnIndex(*mark) : 0};
    const QVariantList values = cards.fields(std::span(columns).first(mark ? 4 : 3));
    setCardText(ui.Question, cardText(values[0]));
    setCardText(ui.Answer, cardText(values[1]));
    if (mark)
        ui.Mark->setChecked(store::isYes(values[3]));
    ui.Category->setText(cardText(values[2]));
}

} // namespace viewer
