#pragma once

#include <QString>
#include <QStringList>

namespace store {

// The question table of every bank: its name, its columns in the order a new bank has them,
// and their types.
inline const QString BankTableName = QStringLiteral("QATABLE");
const QStringList& bankColumns();
// "ID INTEGER PRIMARY KEY NOT NULL, "Index" INTEGER, Question TEXT, ...", for CREATE TABLE.
QString bankColumnDefinitions();
// CREATE TABLE QATABLE (...) as the bank tool makes it.
QString createBankTableSql();

} // namespace store
