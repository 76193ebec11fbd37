#include "viewer/CardFields.h"

#include "store/RecordSet.h"
#include "ui_FrmMain.h"

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

std::optional<bool> storedMark(store::RecordSet& cards, const QString& markField) {
    const std::optional<QString> name = markFieldName(markField);
    if (!name)
        return std::nullopt;
    return isYes(cards.field(*name));
}

void writeCard(Ui::FrmMain& ui, store::RecordSet& cards, const QString& markField) {
    ui.Question->setPlainText(cardText(cards.field(QStringLiteral("Question"))));
    ui.Answer->setPlainText(cardText(cards.field(QStringLiteral("Answer"))));
    if (const std::optional<bool> marked = storedMark(cards, markField))
        ui.Mark->setChecked(*marked);
    ui.Category->setText(cardText(cards.field(QStringLiteral("Category"))));
}

} // namespace viewer
