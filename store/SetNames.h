#pragma once

#include <QString>

#include <array>

namespace store {

// The pre-made sets as the user knows them, in the order of the BASICS, TOUGH and FINAL fields.
const std::array<QString, 3>& premadeSetNames();

// "Custom Set 3" for the set of Mark3; n from 1 to 6.
QString customSetName(int n);

} // namespace store
