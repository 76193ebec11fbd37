#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace store {

class Database;

// The name of an index of table whose keys are exactly columns (names matched regardless of
// case), in that order, each a plain column, ascending, in binary collation, over every row;
// none when the table has no such index, whatever the names of the others.
std::optional<QString> plainIndex(Database& db, const QString& table, const QStringList& columns);

} // namespace store
