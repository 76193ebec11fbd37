#pragma once

#include <QString>

namespace bench {

// Runs memvane-bank create and import as processes of their own on a CSV of a million questions
// (written once into folder and kept there) and prints a Markdown section of their peak memory
// beside the CSV's size, with wall and CPU times.
void printBankTool(const QString& folder);

} // namespace bench
