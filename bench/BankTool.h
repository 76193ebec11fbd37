#pragma once

#include <QString>

namespace bench {

// Runs memvane-bank create and import as processes of their own on a CSV of a million questions
// (written once into folder and kept there) and prints a Markdown section of their peak memory
// beside the CSV's size, with wall and CPU times.
void printBankTool(const QString& folder);

// Runs memvane-bank print in the cards layout as a process of its own on the shipped bank of
// 300 questions and on generated banks of 8,192 and 32,767 (kept in folder), and prints a
// Markdown section of wall and CPU times, time per card and peak memory: linear in cards, the
// peak not growing with the pages.
void printPrinting(const QString& folder);

// Runs memvane-bank import on generated decks of other programs (a KVTML deck of 1,332 cards,
// Anki text of 100,000 and 200,000, Anki packages of 30,000 and 60,000 notes) and prints a Markdown
// section of their time and peak memory beside the deck's size, and how both grow with it.
void printDeckImport(const QString& folder);

} // namespace bench
