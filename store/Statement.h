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

    void bind(int index, const QVariant& value);
    // Steps once; true while a row is available.
    bool step();
    // Runs a statement that returns no rows, then makes it ready to run again.
    void run();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QVariant column(int column) const;
    qint64 columnInt64(int column) const;

private:
    struct Finalize {
        void operator()(sqlite3_stmt* stmt) const;
    };

    const Database* m_db;
    std::unique_ptr<sqlite3_stmt, Finalize> m_stmt;
};

} // namespace store
