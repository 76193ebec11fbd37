#pragma once

#include <QString>

#include <array>

namespace store {

// The fifteen topic categories of the study book, in its order, as the Category field holds
// them.
const std::array<QString, 15>& categories();

} // namespace store
