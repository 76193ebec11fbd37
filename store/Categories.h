#pragma once

#include <QString>

#include <array>

namespace store {

// How many topic categories the study book has: one box each in the Options window.
inline constexpr int CategoryCount = 15;

// The topic categories of the study book, in its order, as the Category field holds them.
const std::array<QString, CategoryCount>& categories();

} // namespace store
