#include "store/Database.h"

#include "store/ConnectText.h"
#include "store/Error.h"
#include "store/RecordSet.h"
#include "store/SqlName.h"

#include <QFile>
#include <QFileInfo>

#include <sqlcipher/sqlite3.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace store {

namespace {

constexpr int BusyTimeoutMs = 2000;

void closeHandle(sqlite3* handle) {
    sqlite3_close_v2(handle);
}

bool allowed(const QString& path, int how) {
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), how, AT_EACCESS) == 0;
}

QString folderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

// Says why a bank cannot be used before the engine gives its vaguer reasons.
void checkBankFile(const QString& path, Database::Mode mode) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        if (errno == EACCES)
            throw Error(err::BankNotFound,
                        QStringLiteral("Cannot reach the file '%1'. You may not open the folder "
                                       "'%2' that holds it.")
                            .arg(path, folderOf(path)));
        throw Error(err::BankNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    }
    if (S_ISDIR(info.st_mode))
        throw Error(err::BankNotFound,
                    QStringLiteral("'%1' is a folder, not a question bank file.").arg(path));
    if (!S_ISREG(info.st_mode))
        throw Error(err::EngineError,
                    QStringLiteral("Cannot open database '%1'. It is not a file: it is not a "
                                   "question bank.")
                        .arg(path));
    // The engine would take an empty file for a new, empty database.
    if (info.st_size == 0)
        throw Error(err::EngineError,
                    QStringLiteral("Cannot open database '%1'. The file is empty: it is not a "
                                   "question bank.")
                        .arg(path));
    if (!allowed(path, R_OK))
        throw Error(err::CannotOpen,
                    QStringLiteral("The database engine cannot open the file '%1'. You may not "
                                   "read it.")
                        .arg(path));
    // Every write makes its journal beside the bank.
    if (mode == Database::Mode::ReadWrite && !allowed(folderOf(path), W_OK | X_OK))
        throw Error(err::CannotOpen,
                    QStringLiteral("The database engine cannot write in the folder "
                                   "'%1' that holds '%2'. You may need permission "
                                   "to write there.")
                        .arg(folderOf(path), path));
}

} // namespace

Database::Database(const QString& path, const ConnectText& connect, Mode mode)
    : m_path(path) {
    if (mode == Mode::CreateNew) {
        if (QFileInfo::exists(path))
            throw Error(err::BankExists, QStringLiteral("Database '%1' already exists.").arg(path));
    } else
        checkBankFile(path, mode);

    // A connection is used by one thread only, so it takes no lock of its own on every step
    // and every column read.
    const int flags = SQLITE_OPEN_NOMUTEX |
                      (mode == Mode::ReadOnly    ? SQLITE_OPEN_READONLY
                       : mode == Mode::CreateNew ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                                                 : SQLITE_OPEN_READWRITE);
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_handle, flags, nullptr);
    if (rc != SQLITE_OK) {
        closeHandle(m_handle);
        m_handle = nullptr;
        fail(rc);
    }
    try {
        sqlite3_extended_result_codes(m_handle, 1);
        sqlite3_busy_timeout(m_handle, BusyTimeoutMs);
        requireCipher();
        if (connect.password) {
            const QByteArray& key = *connect.password;
            if (const int keyRc = sqlite3_key(m_handle, key.constData(), int(key.size()));
                keyRc != SQLITE_OK)
                fail(keyRc);
        }
        // The key is only tried on the first read.
        exec("SELECT count(*) FROM sqlite_master");
        // A commit returns only once the journal's removal is on disk as well: a power cut
        // right after it cannot bring the journal back and undo the write.
        exec("PRAGMA synchronous = EXTRA");
        refuseCode();
    } catch (...) {
        m_statements.clear();
        closeHandle(m_handle);
        throw;
    }
    m_opened = true;
}

void Database::requireCipher() {
    // Plain SQLite takes no key and would read and write the bank unencrypted.
    Statement version(*this, QStringLiteral("PRAGMA cipher_version"));
    if (!version.step() || version.column(0).toString().isEmpty())
        throw Error(err::EngineError,
                    QStringLiteral("The database engine is not SQLCipher. Memvane never reads or "
                                   "writes a question bank unencrypted."));
}

void Database::refuseCode() {
    // The engine is old and a crafted file is what reaches it: a bank holds data only, never
    // a trigger or a virtual table whose code would run inside the program.
    Statement code(*this, QStringLiteral("SELECT type, name FROM sqlite_master WHERE type = "
                                         "'trigger' OR (type = 'table' AND rootpage = 0)"));
    QStringList found;
    while (code.step())
        found << QStringLiteral("%1 '%2'").arg(code.column(0).toString() ==
                                                       QStringLiteral("trigger")
                                                   ? QStringLiteral("a trigger")
                                                   : QStringLiteral("a virtual table"),
                                               code.column(1).toString());
    if (!found.isEmpty())
        throw Error(err::EngineError,
                    QStringLiteral("Cannot open database '%1'. It holds %2; a question bank may "
                                   "hold nothing but tables of data.")
                        .arg(m_path, found.join(QStringLiteral(", "))));
}

Database::~Database() {
    m_statements.clear(); // finalized before the connection closes
    closeHandle(m_handle);
}

std::shared_ptr<RecordSet> Database::openRecordSet(const QString& queryText) {
    return std::make_shared<RecordSet>(shared_from_this(), queryText);
}

std::shared_ptr<RecordSet> Database::openRecordSet(const QString& queryText,
                                                   const SetEveryRecord& coming) {
    return std::make_shared<RecordSet>(shared_from_this(), queryText,
                                       std::make_unique<NotedRecords>(coming));
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
        Statement info(*this, QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(table)));
        while (info.step())
            names.append(info.column(1).toString());
        it = m_columns.emplace(table.toLower(), names).first;
    }
    return it->second;
}

int Database::changes() const {
    return sqlite3_changes(m_handle);
}

int Database::totalChanges() const {
    return sqlite3_total_changes(m_handle);
}

qint64 Database::dataVersion() {
    Statement& version = statement(QStringLiteral("PRAGMA data_version"));
    const Statement::Use reading(version);
    if (!version.step())
        fail(SQLITE_ERROR, QStringLiteral("PRAGMA data_version"));
    return version.columnInt64(0);
}

void Database::exec(const char* sql) {
    if (const int rc = sqlite3_exec(m_handle, sql, nullptr, nullptr, nullptr); rc != SQLITE_OK)
        fail(rc);
}

QString Database::goneDescription() const {
    int moved = 0;
    if (!m_opened ||
        sqlite3_file_control(m_handle, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK ||
        !moved)
        return {};
    return QFileInfo::exists(m_path)
               ? QStringLiteral("The question bank '%1' was replaced by another file while "
                                "Memvane was running.")
                     .arg(m_path)
               : QStringLiteral("The question bank '%1' was deleted or moved while Memvane was "
                                "running.")
                     .arg(m_path);
}

void Database::fail(int resultCode, const QString& context) const {
    const QString file = m_path;
    const QString detail = m_handle ? QString::fromUtf8(sqlite3_errmsg(m_handle))
                                    : QString::fromUtf8(sqlite3_errstr(resultCode));
    const QString about = context.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(context);
    int number = err::EngineError;
    QString description;
    switch (resultCode & 0xff) {
    case SQLITE_NOTADB:
        number = err::NotValidPassword;
        description = QStringLiteral("Not a valid password. The file '%1' was made with another "
                                     "password, or it is not a question bank.")
                          .arg(file);
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        number = err::Locked;
        description = QStringLiteral("Couldn't update; currently locked by another program. The "
                                     "file '%1' is in use.")
                          .arg(file);
        break;
    case SQLITE_READONLY:
        number = err::ReadOnly;
        description = QStringLiteral("Cannot update. Database or object is read-only. The file "
                                     "'%1' cannot be written.")
                          .arg(file);
        break;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        number = err::CannotOpen;
        description = allowed(folderOf(file), W_OK | X_OK)
                          ? QStringLiteral("The database engine cannot open the file '%1'. You "
                                           "may need permission to read and write it.")
                                .arg(file)
                          : QStringLiteral("The database engine cannot write in the folder '%1' "
                                           "that holds '%2'. You may need permission to write "
                                           "there.")
                                .arg(folderOf(file), file);
        break;
    case SQLITE_FULL:
        number = err::DiskFull;
        description = QStringLiteral("Not enough space on disk for '%1'.").arg(file);
        break;
    case SQLITE_NOMEM:
        number = err::OutOfMemory;
        description = QStringLiteral("Out of memory");
        break;
    case SQLITE_CORRUPT:
    case SQLITE_IOERR:
    case SQLITE_FORMAT:
    default:
        description = QStringLiteral("Cannot open database '%1'. It may not be a question bank, "
                                     "or the file may be damaged: %2%3")
                          .arg(file, detail, about);
        break;
    }
    // The engine reads a bank swapped under it as read-only or as another password.
    if (const QString gone = goneDescription(); !gone.isEmpty())
        description = gone;
    throw Error(number, description);
}

QString Database::rowIdName(const QString& table) {
    const QString key = table.toLower();
    if (const auto it = m_rowIds.find(key); it != m_rowIds.end())
        return it->second;
    const auto refuse = [&](const QString& why) {
        return Error(err::NotSupported,
                     QStringLiteral("Operation is not supported for this type of object. '%1' in "
                                    "'%2' %3, so Memvane cannot tell its records apart.")
                         .arg(table, m_path, why));
    };

    Statement kind(*this,
                   QStringLiteral("SELECT type FROM sqlite_master WHERE name = ?1 COLLATE NOCASE"));
    kind.bind(1, table);
    if (kind.step() && kind.column(0).toString() == QStringLiteral("view"))
        throw refuse(QStringLiteral("is a view, not a table"));

    const QStringList& names = columns(table);
    QString name;
    for (const QString& candidate :
         {QStringLiteral("rowid"), QStringLiteral("oid"), QStringLiteral("_rowid_")}) {
        if (!names.contains(candidate, Qt::CaseInsensitive)) {
            name = candidate;
            break;
        }
    }
    if (name.isEmpty())
        throw refuse(QStringLiteral("has columns named rowid, oid and _rowid_"));

    // A table made WITHOUT ROWID has no row id under any name.
    const QByteArray probe =
        QStringLiteral("SELECT %1 FROM %2").arg(name, quoteName(table)).toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const int rc =
        sqlite3_prepare_v2(m_handle, probe.constData(), int(probe.size()), &stmt, nullptr);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_OK)
        throw refuse(QStringLiteral("was made WITHOUT ROWID"));
    m_rowIds.emplace(key, name);
    return name;
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
