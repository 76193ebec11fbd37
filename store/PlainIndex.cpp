#include "store/PlainIndex.h"

#include "store/Database.h"
#include "store/SqlName.h"
#include "store/Statement.h"

namespace store {

namespace {

// An index's key terms as "name desc collation", one per key column; an expression's has
// no name.
QStringList keyTerms(Database& db, const QString& index) {
    Statement info(db, QStringLiteral("PRAGMA index_xinfo(%1)").arg(quoteName(index)));
    QStringList terms;
    while (info.step()) {
        if (info.columnInt64(5) == 0)
            continue; // the row id the index keeps beside its keys
        terms << QStringLiteral("%1 %2 %3")
                     .arg(info.column(2).toString().toLower(), info.column(3).toString(),
                          info.column(4).toString().toUpper());
    }
    return terms;
}

} // namespace

std::optional<QString> plainIndex(Database& db, const QString& table, const QStringList& columns) {
    QStringList wanted;
    for (const QString& column : columns)
        wanted << QStringLiteral("%1 0 BINARY").arg(column.toLower());
    QStringList candidates;
    {
        Statement list(db, QStringLiteral("PRAGMA index_list(%1)").arg(quoteName(table)));
        while (list.step()) {
            if (list.columnInt64(4) == 0) // not partial
                candidates << list.column(1).toString();
        }
    }
    for (const QString& index : candidates) {
        if (keyTerms(db, index) == wanted)
            return index;
    }
    return std::nullopt;
}

} // namespace store
