#include "store/Schema.h"

#include "store/BankError.h"
#include "store/BankTable.h"
#include "store/Database.h"
#include "store/OpenBank.h"
#include "store/SqlName.h"
#include "store/Statement.h"

namespace store {

void createQuestionTable(Database& db) {
    db.exec(createBankTableSql().toUtf8().constData());
}

void createIndexes(Database& db) {
    db.exec(createBankIndexSql().toUtf8().constData());
    addStartIndex(db);
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
