#pragma once

#include <QString>
#include <QVariant>

#include <array>
#include <optional>

namespace store {

// The six mark fields, one per custom set, in the order every picker compares them.
const std::array<QString, 6>& markFields();

// The mark field that name is, compared exactly and case-sensitively with "Mark1" to "Mark6".
std::optional<QString> markFieldName(const QString& name);

// A yes/no value as the card-set queries read it: null and 0 are no, any other value yes.
bool isYes(const QVariant& value);

} // namespace store
