#pragma once

#include "store/Renumbering.h"
#include "store/Statement.h"

#include <QString>
#include <QStringList>

#include <map>

#include <memory>

struct sqlite3;

namespace store {

class RecordSet;
struct ConnectText;

// An open question bank: one SQLCipher connection, closed when the last owner lets go.
class Database : public std::enable_shared_from_this<Database> {
public:
    enum class Mode { ReadWrite, ReadOnly, CreateNew };

    // Opens an existing bank; CreateNew makes a new, empty file and refuses an existing one.
    Database(const QString& path, const ConnectText& connect, Mode mode);
    ~Database();

    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const { return m_path; }
    sqlite3* handle() const { return m_handle; }

    std::shared_ptr<RecordSet> openRecordSet(const QString& queryText);
    // A set opened knowing the setEveryRecord to come; see NotedRecords.
    std::shared_ptr<RecordSet> openRecordSet(const QString& queryText,
                                             const SetEveryRecord& coming);

    // A prepared statement for sql, made once and kept for the life of the connection; each
    // use goes through a Statement::Use, which leaves it ready for the next.
    Statement& statement(const QString& sql);

    // The column names of a table, read once; empty when there is no such table.
    const QStringList& columns(const QString& table);

    // The first of rowid, oid and _rowid_ that no column of the table shadows. A view, a
    // table made WITHOUT ROWID and one whose columns take all three names are refused.
    QString rowIdName(const QString& table);

    // Runs SQL that takes no parameters and returns no rows.
    void exec(const char* sql);

    // Rows changed by the last write.
    int changes() const;
    // Rows changed through this connection since it opened.
    int totalChanges() const;
    // Differs from an earlier reading when another connection has changed the bank since.
    qint64 dataVersion();

    // Raises the error that matches an engine result code.
    [[noreturn]] void fail(int resultCode, const QString& context = {}) const;

    // Groups writes: all or none reach the file. Rolled back unless committed.
    class Transaction {
    public:
        explicit Transaction(Database& db);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void commit();

    private:
        Database& m_db;
        bool m_open = true;
    };

private:
    QString m_path;
    sqlite3* m_handle = nullptr;
    std::map<QString, Statement> m_statements;
    std::map<QString, QStringList> m_columns;
    std::map<QString, QString> m_rowIds;
    bool m_opened = false;

    void requireCipher();
    void refuseCode();

    // What to say instead of the engine's words when the file was swapped under the
    // connection; empty when it was not.
    QString goneDescription() const;
};

} // namespace store
