#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace store {

// How many topic categories the study book has: one box each in the Options window.
inline constexpr int CategoryCount = 15;

// The topic categories of the study book, in its order, as the Category field holds them.
const std::array<QString, CategoryCount>& categories();

// The category closest to text, to suggest in its place: one equal to it but for case, then
// one that holds it or is held by it, then the nearest in spelling.
QString closestCategory(const QString& text);

// The same among any words: the one to suggest for a word an option does not know.
QString closestOf(const QString& text, const QStringList& words);

} // namespace store
