#pragma once

#include "store/Question.h"

#include <QString>
#include <QStringList>

#include <array>

namespace store {

// The pre-made sets as the user knows them, in the order of the BASICS, TOUGH and FINAL fields.
const std::array<QString, 3>& premadeSetNames();

// "Custom Set 3" for the set of Mark3; n from 1 to 6.
QString customSetName(int n);

// The pre-made and custom sets a question is in, by name, in field order.
QStringList setNames(const Question& question);

} // namespace store
