#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace bench {

// The baseline: the SQLCipher C API on the bank file, with none of the program around it,
// sending the statements the program sends.
class RawBank {
public:
    // Opens with the bank's key and the program's connection settings; the key is derived
    // on the first read, as in the program.
    explicit RawBank(const QString& path);
    ~RawBank();
    RawBank(const RawBank&) = delete;
    RawBank& operator=(const RawBank&) = delete;

    void exec(const char* sql);
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// A prepared statement, finalized on scope exit.
class RawStatement {
public:
    RawStatement(RawBank& bank, const QByteArray& sql);
    ~RawStatement();
    RawStatement(const RawStatement&) = delete;
    RawStatement& operator=(const RawStatement&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    void bindInt(int index, std::int64_t value);
    void bindText(int index, const QByteArray& text);
    bool step(); // true while a row is available
    void reset();

private:
    RawBank& m_bank;
    sqlite3_stmt* m_stmt = nullptr;
};

// The program's statements, as its record set spells them.
extern const QByteArray SelectAllRows;         // every row id of the table
extern const QByteArray SelectCard;            // Question, Answer, Category, Mark1 of one row
extern const QByteArray UpdateMark;            // Mark1 of one row
QByteArray selectCategoryRows(int categories); // WHERE Category = ?1 OR ... = ?n

// The row ids a prepared query gives, in row order as a record set holds them.
std::vector<std::int64_t> rowIds(RawStatement& select);

// Leaves Index = ID in every record, writing only the records where it differs, in one
// transaction that takes the write lock first. Throws on an ID that is not an integer.
// Returns the records written.
std::int64_t renumber(RawBank& bank);

// Start-up as the program does it: where the bank has the index on ID and Index (found here by
// the name the bank tool gives it, QATABLE_ID_Index, not by its columns), one pass over
// it gives the row ids and the records whose Index is not the integer ID, and only those are
// written, in one transaction that takes the write lock first; without the index, with too
// many to write or with the bank changed in between, rowIds and renumber. Returns the row ids.
std::vector<std::int64_t> startUp(RawBank& bank);

// Reads the four fields of a card; returns its Mark1.
std::int64_t readCard(RawStatement& selectCard, std::int64_t rowId);

// Reads the four fields of a card as readCard does, and gives its question and category as a
// window would show them.
struct CardTexts {
    QString question;
    QString category;
};
CardTexts readCardTexts(RawStatement& selectCard, std::int64_t rowId);

// One autocommit update of Mark1.
void writeMark(RawStatement& updateMark, std::int64_t rowId, std::int64_t mark);

} // namespace bench
