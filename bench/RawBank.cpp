#include "bench/RawBank.h"
#include "store/BankPassword.h"
#include "store/Renumbering.h"

#include <QFile>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace bench {

const QByteArray SelectAllRows = "SELECT rowid FROM \"QATABLE\"";
const QByteArray SelectCard =
    "SELECT \"Question\", \"Answer\", \"Category\", \"Mark1\" FROM \"QATABLE\" WHERE rowid = ?1";
const QByteArray UpdateMark = "UPDATE \"QATABLE\" SET \"Mark1\" = ?1 WHERE rowid = ?2";

namespace {

const QByteArray BankKey = store::BankPassword.toUtf8();

[[noreturn]] void failed(sqlite3* db, const char* what) {
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

} // namespace

QByteArray selectCategoryRows(int categories) {
    QByteArray sql = SelectAllRows;
    for (int i = 1; i <= categories; ++i)
        sql +=
            (i == 1 ? " WHERE \"Category\" = ?" : " OR \"Category\" = ?") + QByteArray::number(i);
    return sql;
}

RawBank::RawBank(const QString& path) {
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(m_db);
        sqlite3_close_v2(m_db);
        throw std::runtime_error("cannot open " + path.toStdString() + ": " + message);
    }
    sqlite3_busy_timeout(m_db, 2000);
    sqlite3_key(m_db, BankKey.constData(), int(BankKey.size()));
    exec("SELECT count(*) FROM sqlite_master");
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

std::vector<std::int64_t> rowIds(RawStatement& select) {
    std::vector<std::int64_t> rows;
    while (select.step())
        rows.push_back(sqlite3_column_int64(select.get(), 0));
    select.reset();
    if (!std::is_sorted(rows.begin(), rows.end()))
        std::sort(rows.begin(), rows.end());
    return rows;
}

std::int64_t renumber(RawBank& bank) {
    bank.exec("BEGIN IMMEDIATE");
    std::int64_t written = 0;
    {
        RawStatement scan(bank, "SELECT rowid, \"ID\", \"Index\" FROM \"QATABLE\" ORDER BY rowid");
        RawStatement update(bank, "UPDATE \"QATABLE\" SET \"Index\" = ?1 WHERE rowid = ?2");
        sqlite3_stmt* row = scan.get();
        while (scan.step()) {
            if (sqlite3_column_type(row, 1) != SQLITE_INTEGER)
                throw std::runtime_error("an ID that is not an integer");
            const std::int64_t id = sqlite3_column_int64(row, 1);
            if (sqlite3_column_type(row, 2) == SQLITE_INTEGER && sqlite3_column_int64(row, 2) == id)
                continue;
            update.bindInt(1, id);
            update.bindInt(2, sqlite3_column_int64(row, 0));
            update.step();
            update.reset();
            ++written;
        }
    }
    bank.exec("COMMIT");
    return written;
}

namespace {

std::int64_t dataVersion(RawBank& bank) {
    RawStatement version(bank, "PRAGMA data_version");
    version.step();
    return sqlite3_column_int64(version.get(), 0);
}

} // namespace

std::vector<std::int64_t> startUp(RawBank& bank) {
    bool indexed = false;
    {
        RawStatement index(bank, "PRAGMA index_xinfo(\"QATABLE_ID_Index\")");
        indexed = index.step();
    }
    if (!indexed) {
        RawStatement all(bank, SelectAllRows);
        std::vector<std::int64_t> rows = rowIds(all);
        renumber(bank);
        return rows;
    }
    const std::int64_t version = dataVersion(bank);
    std::vector<std::int64_t> rows;
    std::vector<std::int64_t> unsettled;
    bool tooMany = false;
    {
        RawStatement scan(bank, "SELECT rowid, \"ID\", \"Index\" FROM \"QATABLE\" INDEXED BY "
                                "\"QATABLE_ID_Index\"");
        sqlite3_stmt* row = scan.get();
        while (scan.step()) {
            rows.push_back(sqlite3_column_int64(row, 0));
            if (!tooMany && !(sqlite3_column_type(row, 1) == SQLITE_INTEGER &&
                              sqlite3_column_type(row, 2) == SQLITE_INTEGER &&
                              sqlite3_column_int64(row, 1) == sqlite3_column_int64(row, 2))) {
                tooMany = unsettled.size() == store::NotedRecords::MostNotedRows;
                unsettled.push_back(rows.back());
            }
        }
    }
    if (!std::is_sorted(rows.begin(), rows.end()))
        std::sort(rows.begin(), rows.end());
    std::sort(unsettled.begin(), unsettled.end());
    bank.exec("BEGIN IMMEDIATE");
    if (tooMany || dataVersion(bank) != version) {
        bank.exec("ROLLBACK");
        renumber(bank);
        return rows;
    }
    {
        RawStatement read(bank, "SELECT \"ID\", \"Index\" FROM \"QATABLE\" WHERE rowid = ?1");
        RawStatement update(bank, "UPDATE \"QATABLE\" SET \"Index\" = ?1 WHERE rowid = ?2");
        sqlite3_stmt* fields = read.get();
        for (const std::int64_t rowId : unsettled) {
            read.bindInt(1, rowId);
            if (!read.step() || sqlite3_column_type(fields, 0) != SQLITE_INTEGER)
                throw std::runtime_error("an ID that is not an integer");
            const std::int64_t id = sqlite3_column_int64(fields, 0);
            const bool holds = sqlite3_column_type(fields, 1) == SQLITE_INTEGER &&
                               sqlite3_column_int64(fields, 1) == id;
            read.reset();
            if (holds)
                continue;
            update.bindInt(1, id);
            update.bindInt(2, rowId);
            update.step();
            update.reset();
        }
    }
    bank.exec("COMMIT");
    return rows;
}

std::int64_t readCard(RawStatement& selectCard, std::int64_t rowId) {
    sqlite3_stmt* stmt = selectCard.get();
    selectCard.bindInt(1, rowId);
    if (!selectCard.step())
        throw std::runtime_error("no such card");
    for (int i = 0; i < 3; ++i)
        sqlite3_column_text(stmt, i); // the texts as the engine hands them out
    const std::int64_t mark = sqlite3_column_int64(stmt, 3);
    selectCard.reset();
    return mark;
}

CardTexts readCardTexts(RawStatement& selectCard, std::int64_t rowId) {
    sqlite3_stmt* stmt = selectCard.get();
    selectCard.bindInt(1, rowId);
    if (!selectCard.step())
        throw std::runtime_error("no such card");
    const auto text = [stmt](int column) {
        const auto* utf8 = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return QString::fromUtf8(utf8, sqlite3_column_bytes(stmt, column));
    };
    CardTexts card{text(0), text(2)};
    sqlite3_column_text(stmt, 1);
    sqlite3_column_int64(stmt, 3);
    selectCard.reset();
    return card;
}

void writeMark(RawStatement& updateMark, std::int64_t rowId, std::int64_t mark) {
    updateMark.bindInt(1, mark);
    updateMark.bindInt(2, rowId);
    updateMark.step();
    updateMark.reset();
}

} // namespace bench
