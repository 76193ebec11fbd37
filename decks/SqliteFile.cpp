#include "decks/SqliteFile.h"

#include "decks/Deck.h"

#include <QFile>

#include <sqlcipher/sqlite3.h>

namespace decks {

namespace {

// Longest text or blob a row may hold: no card needs more.
constexpr int LongestValue = 32 << 20;

int compareUnicase(void*, int leftSize, const void* left, int rightSize, const void* right) {
    const QString a = QString::fromUtf8(static_cast<const char*>(left), leftSize);
    const QString b = QString::fromUtf8(static_cast<const char*>(right), rightSize);
    return a.compare(b, Qt::CaseInsensitive);
}

} // namespace

void SqliteFile::Close::operator()(sqlite3* handle) const {
    sqlite3_close_v2(handle);
}

void SqliteFile::Query::Finalize::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

void SqliteFile::fail(const QString& doing) const {
    throw DeckError(QString(), QStringLiteral("the collection cannot be read: %1 (SQLite: %2)")
                                   .arg(doing, QString::fromUtf8(sqlite3_errmsg(m_handle.get()))));
}

int SqliteFile::authorize(void* self, int action, const char* a, const char*, const char*,
                          const char*) {
    const auto* file = static_cast<const SqliteFile*>(self);
    switch (action) {
    case SQLITE_SELECT:
        return SQLITE_OK;
    case SQLITE_READ:
        return file->m_tables.contains(QString::fromUtf8(a)) ? SQLITE_OK : SQLITE_DENY;
    default:
        return SQLITE_DENY;
    }
}

SqliteFile::SqliteFile(const QString& path, const QStringList& tables)
    : m_tables(tables) {
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || !file.read(16).startsWith("SQLite format 3"))
            throw DeckError(QString(), QStringLiteral("its collection is not a SQLite file"));
    }
    sqlite3* handle = nullptr;
    const int opened = sqlite3_open_v2(QFile::encodeName(path).constData(), &handle,
                                       SQLITE_OPEN_READONLY | SQLITE_OPEN_PRIVATECACHE, nullptr);
    m_handle.reset(handle);
    if (opened != SQLITE_OK)
        fail(QStringLiteral("opening it"));
    sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, LongestValue);
    int off = 0;
    sqlite3_db_config(handle, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, &off);
    if (sqlite3_create_collation(handle, "unicase", SQLITE_UTF8, nullptr, compareUnicase) !=
            SQLITE_OK ||
        sqlite3_exec(handle, "PRAGMA query_only = 1", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QStringLiteral("preparing to read it"));

    // What each name is, before anything reads it.
    {
        Query kinds(*this, "SELECT type, name, tbl_name FROM sqlite_master");
        QStringList found;
        while (kinds.step()) {
            const QString type = kinds.text(0);
            const QString name = kinds.text(1);
            if (!tables.contains(name) && !tables.contains(kinds.text(2)))
                continue;
            if (type == u"trigger")
                throw DeckError(QString(),
                                QStringLiteral("its collection has a trigger '%1' on '%2': "
                                               "memvane-bank runs nothing of a package")
                                    .arg(name, kinds.text(2)));
            if (tables.contains(name)) {
                if (type != u"table")
                    throw DeckError(QString(),
                                    QStringLiteral("in its collection '%1' is a %2, not a table")
                                        .arg(name, type));
                found << name;
            }
        }
        for (const QString& table : tables) {
            if (!found.contains(table))
                throw DeckError(QString(),
                                QStringLiteral("its collection has no table '%1'").arg(table));
        }
    }
    sqlite3_set_authorizer(handle, authorize, this);
}

SqliteFile::Query::Query(const SqliteFile& file, const char* sql)
    : m_file(file) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(file.m_handle.get(), sql, -1, &statement, nullptr) != SQLITE_OK)
        file.fail(QStringLiteral("reading its tables"));
    m_statement.reset(statement);
}

bool SqliteFile::Query::step() {
    const int result = sqlite3_step(m_statement.get());
    if (result == SQLITE_ROW)
        return true;
    if (result != SQLITE_DONE)
        m_file.fail(QStringLiteral("reading its rows"));
    return false;
}

qint64 SqliteFile::Query::integer(int column) const {
    return sqlite3_column_int64(m_statement.get(), column);
}

QString SqliteFile::Query::text(int column) const {
    const auto* text =
        reinterpret_cast<const char*>(sqlite3_column_text(m_statement.get(), column));
    return QString::fromUtf8(text, sqlite3_column_bytes(m_statement.get(), column));
}

QByteArray SqliteFile::Query::blob(int column) const {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(m_statement.get(), column));
    return QByteArray(data, sqlite3_column_bytes(m_statement.get(), column));
}

} // namespace decks
