#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <initializer_list>
#include <vector>

namespace store {

// The question table of every bank: its name, its columns in the order a new bank has them,
// and their types.
inline const QString BankTableName = QStringLiteral("QATABLE");
// The columns in table order; every statement that names columns of the table names them
// through this.
enum class BankColumn {
    Id,
    Index,
    Question,
    Answer,
    Category,
    Basics,
    Tough,
    Final,
    Mark1,
    Mark2,
    Mark3,
    Mark4,
    Mark5,
    Mark6,
};

// The pre-made set field n, from 0 (BASICS), and the mark field n, from 0 (Mark1).
constexpr BankColumn setColumn(int n) {
    return BankColumn(int(BankColumn::Basics) + n);
}
constexpr BankColumn markColumn(int n) {
    return BankColumn(int(BankColumn::Mark1) + n);
}
// The pre-made set fields, BASICS, TOUGH and FINAL, in the order of Question::sets.
const std::array<QString, 3>& premadeSetFields();
const QStringList& bankColumns();
QString bankColumnName(BankColumn column);
// The columns' names quoted, in table order: "ID", "Index", "Question", ...
QString bankColumnList();

// Some columns in the order a statement names them: the SQL that lists them, and where each
// one stands, as a column read and as a parameter bound.
class BankColumns {
public:
    BankColumns(std::initializer_list<BankColumn> columns);
    // Every column, in table order: as bankColumnList() and bankColumnPlaceholders() name them.
    static const BankColumns& all();

    // "Question", "Answer", ...
    QString list() const;
    // "Question" = ?2, "Answer" = ?3, ... with the parameters from first on.
    QString assignments(int first) const;
    // Its column in a row read, from 0.
    int at(BankColumn column) const;
    // Its parameter, the first column's being first.
    int parameter(BankColumn column, int first = 1) const { return first + at(column); }

private:
    std::vector<BankColumn> m_columns;
};
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

// The start-up reads ID and Index of every record. With an index on exactly those two it reads
// the index alone, not every page of the table.
extern const QString StartIndexName;
extern const QStringList StartIndexColumns;

// The identity another program gave a question (Anki's guid), with its question's ID: the table
// made beside the questions when a deck brings them.
inline const QString DeckCardsTableName = QStringLiteral("DECKCARDS");
// CREATE TABLE IF NOT EXISTS DECKCARDS (Identity TEXT PRIMARY KEY, ID INTEGER NOT NULL) ...
QString createDeckCardsTableSql();

} // namespace store
