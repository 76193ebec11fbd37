#pragma once

#include <QString>
#include <QVariant>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace store {

class Database;

// Owns one prepared statement; finalized when the owner goes.
class Statement {
public:
    Statement(const Database& db, const QString& sql);

    Statement(Statement&&) noexcept = default;
    Statement& operator=(Statement&&) noexcept = default;

    // One use of a statement that is kept for reuse: whatever ends the use, a throw included,
    // the statement is reset and its bindings cleared.
    class Use {
    public:
        explicit Use(Statement& statement)
            : m_statement(statement) {}
        ~Use() { m_statement.reset(); }
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;

    private:
        Statement& m_statement;
    };

    void bind(int index, const QVariant& value);
    void bindInt64(int index, qint64 value);
    int parameterCount() const;
    // Steps once; true while a row is available.
    bool step();
    // Runs a statement that returns no rows, then makes it ready to run again.
    void run();
    void reset();

    QVariant column(int column) const;
    qint64 columnInt64(int column) const;
    bool columnIsInteger(int column) const;

private:
    struct Finalize {
        void operator()(sqlite3_stmt* stmt) const;
    };

    const Database* m_db;
    std::unique_ptr<sqlite3_stmt, Finalize> m_stmt;
};

} // namespace store
