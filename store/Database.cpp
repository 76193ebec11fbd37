#include "store/Database.h"

#include "store/ConnectText.h"
#include "store/Error.h"
#include "store/RecordSet.h"

#include <QFile>
#include <QFileInfo>

#include <sqlcipher/sqlite3.h>

namespace store {

namespace {

constexpr int BusyTimeoutMs = 2000;

void closeHandle(sqlite3* handle) {
    sqlite3_close_v2(handle);
}

} // namespace

Database::Database(const QString& path, const ConnectText& connect, Mode mode)
    : m_path(path) {
    const QFileInfo info(path);
    if (mode == Mode::CreateNew) {
        if (info.exists())
            throw Error(3204, QStringLiteral("Database '%1' already exists.").arg(path));
    } else if (!info.exists() || info.isDir())
        throw Error(err::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    // The engine would take an empty file for a new, empty database.
    else if (info.size() == 0)
        throw Error(err::EngineError,
                    QStringLiteral("Cannot open database '%1'. The file is empty: it is not a "
                                   "question bank.")
                        .arg(path));

    const int flags = mode == Mode::ReadOnly    ? SQLITE_OPEN_READONLY
                      : mode == Mode::CreateNew ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                                                : SQLITE_OPEN_READWRITE;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_handle, flags, nullptr);
    if (rc != SQLITE_OK) {
        closeHandle(m_handle);
        m_handle = nullptr;
        fail(rc);
    }
    try {
        sqlite3_extended_result_codes(m_handle, 1);
        sqlite3_busy_timeout(m_handle, BusyTimeoutMs);
        if (connect.password) {
            const QByteArray& key = *connect.password;
            if (const int keyRc = sqlite3_key(m_handle, key.constData(), int(key.size()));
                keyRc != SQLITE_OK)
                fail(keyRc);
        }
        // The key is only tried on the first read.
        exec("SELECT count(*) FROM sqlite_master");
        exec("PRAGMA synchronous = EXTRA");
    } catch (...) {
        closeHandle(m_handle);
        throw;
    }
}

Database::~Database() {
    m_statements.clear(); // finalized before the connection closes
    closeHandle(m_handle);
}

std::shared_ptr<RecordSet> Database::openRecordSet(const QString& queryText) {
    return std::make_shared<RecordSet>(shared_from_this(), queryText);
}

Statement& Database::statement(const QString& sql) {
    auto it = m_statements.find(sql);
    if (it == m_statements.end())
        it = m_statements.emplace(sql, Statement(*this, sql)).first;
    return it->second;
}

const QStringList& Database::columns(const QString& table) {
    auto it = m_columns.find(table.toLower());
    if (it == m_columns.end()) {
        QStringList names;
        Statement info(*this, QStringLiteral("PRAGMA table_info(\"%1\")")
                                  .arg(QString(table).replace(u'"', QStringLiteral("\"\""))));
        while (info.step())
            names.append(info.column(1).toString());
        it = m_columns.emplace(table.toLower(), names).first;
    }
    return it->second;
}

int Database::changes() const {
    return sqlite3_changes(m_handle);
}

void Database::exec(const char* sql) {
    if (const int rc = sqlite3_exec(m_handle, sql, nullptr, nullptr, nullptr); rc != SQLITE_OK)
        fail(rc);
}

void Database::fail(int resultCode, const QString& context) const {
    const QString file = m_path;
    const QString detail = m_handle ? QString::fromUtf8(sqlite3_errmsg(m_handle))
                                    : QString::fromUtf8(sqlite3_errstr(resultCode));
    const QString about = context.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(context);
    switch (resultCode & 0xff) {
    case SQLITE_NOTADB:
        throw Error(err::NotValidPassword,
                    QStringLiteral("Not a valid password. The file '%1' was made with another "
                                   "password, or it is not a question bank.")
                        .arg(file));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw Error(err::Locked,
                    QStringLiteral("Couldn't update; currently locked by another program. The "
                                   "file '%1' is in use.")
                        .arg(file));
    case SQLITE_READONLY:
        throw Error(err::ReadOnly,
                    QStringLiteral("Cannot update. Database or object is read-only. The file "
                                   "'%1' cannot be written.")
                        .arg(file));
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        throw Error(3051, QStringLiteral("The database engine cannot open the file '%1'. You may "
                                         "need permission to read and write it.")
                              .arg(file));
    case SQLITE_FULL:
        throw Error(3026, QStringLiteral("Not enough space on disk for '%1'.").arg(file));
    case SQLITE_NOMEM:
        throw Error(err::OutOfMemory, QStringLiteral("Out of memory"));
    case SQLITE_CORRUPT:
    case SQLITE_IOERR:
    case SQLITE_FORMAT:
    default:
        throw Error(err::EngineError,
                    QStringLiteral("Cannot open database '%1'. It may not be a question bank, or "
                                   "the file may be damaged: %2%3")
                        .arg(file, detail, about));
    }
}

Database::Transaction::Transaction(Database& db)
    : m_db(db) {
    m_db.exec("BEGIN IMMEDIATE");
}

Database::Transaction::~Transaction() {
    if (m_open)
        sqlite3_exec(m_db.m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Database::Transaction::commit() {
    m_db.exec("COMMIT");
    m_open = false;
}

} // namespace store
