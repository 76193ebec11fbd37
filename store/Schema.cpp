#include "store/Schema.h"

#include "store/BankError.h"
#include "store/BankTable.h"
#include "store/Database.h"
#include "store/OpenBank.h"
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

void createQuestionTable(Database& db) {
    db.exec(createBankTableSql().toUtf8().constData());
}

void createIndexes(Database& db) {
    db.exec(createBankIndexSql().toUtf8().constData());
    addStartIndex(db);
}

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

bool addStartIndex(Database& db) {
    if (plainIndex(db, BankTableName, StartIndexColumns))
        return false;
    Statement owner(db, QStringLiteral("SELECT type, tbl_name FROM sqlite_master WHERE name = ?1 "
                                       "COLLATE NOCASE"));
    owner.bind(1, StartIndexName);
    if (owner.step()) {
        if (owner.column(0).toString() != u"index" ||
            owner.column(1).toString().compare(BankTableName, Qt::CaseInsensitive) != 0)
            throw BankError(QStringLiteral("'%1' in '%2' is the name of another %3, so the "
                                           "start-up index cannot take it.")
                                .arg(StartIndexName, db.path(), owner.column(0).toString()));
        owner.reset();
        db.exec(
            QStringLiteral("DROP INDEX %1").arg(quoteName(StartIndexName)).toUtf8().constData());
    }
    QStringList quoted;
    for (const QString& column : StartIndexColumns)
        quoted << quoteName(column);
    db.exec(QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                .arg(quoteName(StartIndexName), quoteName(BankTableName),
                     quoted.join(QStringLiteral(", ")))
                .toUtf8()
                .constData());
    return true;
}

bool hasStartIndex(const QString& path) {
    const auto db = openBank(path, Database::Mode::ReadOnly);
    return plainIndex(*db, BankTableName, StartIndexColumns).has_value();
}

bool addStartIndex(const QString& path) {
    const auto db = openBank(path, Database::Mode::ReadWrite);
    Database::Transaction writing(*db);
    const bool added = addStartIndex(*db);
    writing.commit();
    return added;
}

} // namespace store
