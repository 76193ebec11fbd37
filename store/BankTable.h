#pragma once

#include <QString>
#include <QStringList>

namespace store {

// The question table of every bank: its name, its columns in the order a new bank has them,
// and their types.
inline const QString BankTableName = QStringLiteral("QATABLE");
const QStringList& bankColumns();
// The columns' names quoted, in table order: "ID", "Index", "Question", ...
QString bankColumnList();
// Whether ID is the table's key, as the bank tool makes it, or a plain integer that may repeat
// or be null, as another tool may leave it.
enum class IdColumn { Key, Plain };
// One column as CREATE TABLE defines it: "Question" TEXT.
QString bankColumnDefinition(const QString& column, IdColumn id = IdColumn::Key);
// "ID" INTEGER PRIMARY KEY NOT NULL, "Index" INTEGER, "Question" TEXT, ..., for CREATE TABLE.
QString bankColumnDefinitions(IdColumn id = IdColumn::Key);
// ?1, ?2, ... ?14: a value for every column, for INSERT.
QString bankColumnPlaceholders();
// CREATE TABLE QATABLE (...) as the bank tool makes it.
QString createBankTableSql();
// The index on Category that the bank tool adds, so that card sets by category read the
// index rather than every page of the file.
QString createBankIndexSql();

} // namespace store
