#include "viewer/CardFields.h"

#include "store/MarkFields.h"
#include "store/RecordSet.h"
#include "ui_FrmMain.h"

#include <algorithm>
#include <array>
#include <span>

namespace viewer {

QString cardText(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

namespace {

// Text that needs no shaping (Latin and the like, without combining marks) is laid out
// without it, which halves the cost of showing a card; other scripts keep it.
void setCardText(QPlainTextEdit* box, const QString& text) {
    const bool plain =
        std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x0300; });
    QFont font = box->font();
    const auto strategy = plain ? QFont::PreferNoShaping : QFont::PreferDefault;
    if (font.styleStrategy() != strategy) {
        font.setStyleStrategy(strategy);
        box->setFont(font);
    }
    box->setPlainText(text);
}

} // namespace

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
