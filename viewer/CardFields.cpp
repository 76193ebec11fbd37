#include "viewer/CardFields.h"

#include "store/RecordSet.h"
#include "ui_FrmMain.h"

#include <algorithm>
#include <array>

namespace viewer {

QString cardText(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

bool isYes(const QVariant& value) {
    if (value.isNull())
        return false; // as the engine's "= YES" sees it
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Bool:
        return value.toLongLong() != 0;
    case QMetaType::Double:
        return value.toDouble() != 0.0;
    default:
        return true;
    }
}

std::optional<QString> markFieldName(const QString& markField) {
    static const std::array<QString, 6> names = {QStringLiteral("Mark1"), QStringLiteral("Mark2"),
                                                 QStringLiteral("Mark3"), QStringLiteral("Mark4"),
                                                 QStringLiteral("Mark5"), QStringLiteral("Mark6")};
    for (const QString& name : names) {
        if (markField == name)
            return name;
    }
    return std::nullopt;
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
    const std::optional<QString> mark = markFieldName(markField);
    QStringList names = {QStringLiteral("Question"), QStringLiteral("Answer"),
                         QStringLiteral("Category")};
    if (mark)
        names << *mark;
    const QVariantList values = cards.fields(names);
    setCardText(ui.Question, cardText(values[0]));
    setCardText(ui.Answer, cardText(values[1]));
    if (mark)
        ui.Mark->setChecked(isYes(values[3]));
    ui.Category->setText(cardText(values[2]));
}

} // namespace viewer
