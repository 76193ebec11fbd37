#include "store/MarkFields.h"

namespace store {

const std::array<QString, 6>& markFields() {
    static const std::array<QString, 6> names = {QStringLiteral("Mark1"), QStringLiteral("Mark2"),
                                                 QStringLiteral("Mark3"), QStringLiteral("Mark4"),
                                                 QStringLiteral("Mark5"), QStringLiteral("Mark6")};
    return names;
}

std::optional<QString> markFieldName(const QString& name) {
    for (const QString& field : markFields()) {
        if (name == field)
            return field;
    }
    return std::nullopt;
}

bool isYes(const QVariant& value) {
    if (value.isNull())
        return false; // as the engine's "<> 0" sees it
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

} // namespace store
