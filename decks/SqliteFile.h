#pragma once

#include <QString>
#include <QStringList>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace decks {

// A SQLite file of another program, opened read-only through SQLCipher's library without a
// key. Nothing of the file's own runs: only the tables named are read, and they must be
// tables without triggers; Anki's "unicase" collation is ours.
class SqliteFile {
public:
    SqliteFile(const QString& path, const QStringList& tables);

    // One query over the tables named; rows while step() is true.
    class Query {
    public:
        Query(const SqliteFile& file, const char* sql);
        bool step();
        qint64 integer(int column) const;
        QString text(int column) const;
        QByteArray blob(int column) const;

    private:
        struct Finalize {
            void operator()(sqlite3_stmt* statement) const;
        };
        const SqliteFile& m_file;
        std::unique_ptr<sqlite3_stmt, Finalize> m_statement;
    };

private:
    struct Close {
        void operator()(sqlite3* handle) const;
    };
    std::unique_ptr<sqlite3, Close> m_handle;
    QStringList m_tables;

    [[noreturn]] void fail(const QString& doing) const;
    static int authorize(void* self, int action, const char* a, const char* b, const char*,
                         const char*);
};

} // namespace decks
