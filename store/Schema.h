#pragma once

#include "store/BankTable.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace store {

class Database;

// The question table, as every bank is made.
void createQuestionTable(Database& db);

// The indexes every bank is made with: Category, for card sets by category, and the start-up
// index below. Made after the questions are in.
void createIndexes(Database& db);

// The name of an index of table whose keys are exactly columns (names matched regardless of
// case), in that order, each a plain column, ascending, in binary collation, over every row;
// none when the table has no such index, whatever the names of the others.
std::optional<QString> plainIndex(Database& db, const QString& table, const QStringList& columns);

// Whether the bank at path has the start-up index, under any name.
bool hasStartIndex(const QString& path);

// Gives the bank the start-up index unless it has one; an index of its name on other terms is
// replaced. Returns whether it was made. The caller holds the write transaction.
bool addStartIndex(Database& db);
// The same on the bank at path, in a transaction of its own.
bool addStartIndex(const QString& path);

} // namespace store
