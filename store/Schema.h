#pragma once

#include "store/BankTable.h"
#include "store/PlainIndex.h"

#include <QString>

namespace store {

class Database;

// The question table, as every bank is made.
void createQuestionTable(Database& db);

// The indexes every bank is made with: Category, for card sets by category, and the start-up
// index of BankTable.h. Made after the questions are in.
void createIndexes(Database& db);

// Whether the bank at path has the start-up index, under any name.
bool hasStartIndex(const QString& path);

// Gives the bank the start-up index unless it has one; an index of its name on other terms is
// replaced. Returns whether it was made. The caller holds the write transaction.
bool addStartIndex(Database& db);
// The same on the bank at path, in a transaction of its own.
bool addStartIndex(const QString& path);

} // namespace store
