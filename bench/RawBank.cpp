#include "bench/RawBank.h"
#include "store/Bank.h"

#include <QFile>

#include <sqlcipher/sqlite3.h>

#include <stdexcept>
#include <string>

namespace bench {

namespace {

const QByteArray BankKey = store::BankPassword.toUtf8();

[[noreturn]] void failed(sqlite3* db, const char* what) {
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

} // namespace

RawBank::RawBank(const QString& path) {
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(m_db);
        sqlite3_close_v2(m_db);
        throw std::runtime_error("cannot open " + path.toStdString() + ": " + message);
    }
    sqlite3_key(m_db, BankKey.constData(), int(BankKey.size()));
    // The program's setting, so that both sides of a ratio sync alike.
    exec("PRAGMA synchronous = EXTRA");
}

RawBank::~RawBank() {
    sqlite3_close_v2(m_db);
}

void RawBank::exec(const char* sql) {
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        failed(m_db, sql);
}

RawStatement::RawStatement(RawBank& bank, const QByteArray& sql)
    : m_bank(bank) {
    if (sqlite3_prepare_v2(bank.handle(), sql.constData(), int(sql.size()), &m_stmt, nullptr) !=
        SQLITE_OK)
        failed(bank.handle(), sql.constData());
}

RawStatement::~RawStatement() {
    sqlite3_finalize(m_stmt);
}

void RawStatement::bindInt(int index, std::int64_t value) {
    sqlite3_bind_int64(m_stmt, index, value);
}

void RawStatement::bindText(int index, const QByteArray& text) {
    sqlite3_bind_text(m_stmt, index, text.constData(), int(text.size()), SQLITE_STATIC);
}

bool RawStatement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        failed(m_bank.handle(), "step");
    return false;
}

void RawStatement::reset() {
    sqlite3_reset(m_stmt);
}

std::vector<std::int64_t> selectCategoryRows(RawBank& bank, const std::vector<QByteArray>& names) {
    QByteArray sql = "SELECT rowid FROM QATABLE";
    for (size_t i = 0; i < names.size(); ++i)
        sql += (i == 0 ? " WHERE Category = ?" : " OR Category = ?") + QByteArray::number(i + 1);
    sql += " ORDER BY rowid";
    RawStatement select(bank, sql);
    for (size_t i = 0; i < names.size(); ++i)
        select.bindText(int(i + 1), names[i]);
    std::vector<std::int64_t> rows;
    while (select.step())
        rows.push_back(sqlite3_column_int64(select.get(), 0));
    return rows;
}

std::int64_t readRow(RawStatement& selectByRowid, std::int64_t rowid) {
    sqlite3_stmt* stmt = selectByRowid.get();
    selectByRowid.bindInt(1, rowid);
    std::int64_t bytes = 0;
    if (selectByRowid.step()) {
        for (int i = 0, n = sqlite3_column_count(stmt); i < n; ++i) {
            if (sqlite3_column_type(stmt, i) == SQLITE_TEXT) {
                sqlite3_column_text(stmt, i);
                bytes += sqlite3_column_bytes(stmt, i);
            } else {
                bytes += sqlite3_column_int64(stmt, i) != 0;
            }
        }
    }
    selectByRowid.reset();
    return bytes;
}

} // namespace bench
