#pragma once

#include <QString>

#include <array>

namespace selection {

// The topic categories of the study book, in the order of the category boxes; each equals
// a Category value of the question bank.
const std::array<QString, 15>& categoryCaptions();

} // namespace selection
