#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace bench {

// The baseline: the SQLCipher C API on the bank file, with none of the program around it.
class RawBank {
public:
    // Opens with the bank's key; the key is derived on the first statement, as in the program.
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

// The rowids that the category query selects, stepping every row.
std::vector<std::int64_t> selectCategoryRows(RawBank& bank, const std::vector<QByteArray>& names);

// Reads every column of one row as the engine hands it out; returns the bytes read.
std::int64_t readRow(RawStatement& selectByRowid, std::int64_t rowid);

} // namespace bench
