#pragma once

#include "store/RowIds.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace store {

class Database;
class Statement;

// An updatable record set (a dynaset): its members are fixed when it opens, in row order;
// field reads always see the stored values. Fields are addressed by their column index;
// each read or update of a set of columns runs one statement, prepared once for the set.
class RecordSet {
public:
    // Reads more of each member in the pass that finds the members, where the table has an
    // index on exactly the fields it asks for: that pass then reads the index, the same pages
    // that give the members, once. It may then spare setEveryRecord the members it knows
    // hold their number.
    class MemberReader {
    public:
        virtual ~MemberReader() = default;
        // The fields to read beside each member's row id, by name.
        virtual QStringList fields() const = 0;
        // The index is found; the members follow, in no order. columns: the fields' columns.
        virtual void start(Database& db, std::span<const int> columns) = 0;
        // One member: its row id, and the fields from column 1 of row on.
        virtual void member(qint64 rowId, const Statement& row) = 0;
        // Asked once, by the first setEveryRecord that has its field: the members it must
        // visit, in row order, every other one holding its number already; none when it
        // must visit every member.
        virtual std::optional<std::vector<qint64>> membersToSet(int field, int source) = 0;
    };

    RecordSet(std::shared_ptr<Database> db, const QString& queryText,
              std::unique_ptr<MemberReader> reader = nullptr);

    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();

    bool bof() const { return m_rows.empty() || m_pos < 0; }
    bool eof() const { return m_rows.empty() || m_pos >= qint64(m_rows.size()); }
    bool hasCurrent() const { return !bof() && !eof(); }

    int recordCount() const { return int(m_rows.size()); }
    int absolutePosition() const { return hasCurrent() ? int(m_pos) : -1; }
    void setAbsolutePosition(int position);

    // The column of a field, its name matched regardless of case.
    int columnIndex(const QString& name) const;

    // Null fields read as a null QVariant.
    QVariant field(int column);
    QVariant field(const QString& name) { return field(columnIndex(name)); }
    // Several fields of the current record, in the order asked, read by one statement.
    QVariantList fields(std::span<const int> columns);

    void edit();
    void setField(int column, const QVariant& value);
    void setField(const QString& name, const QVariant& value) {
        setField(columnIndex(name), value);
    }
    void update();

    // Leaves the bank as editing every record in turn would, setting field to the whole
    // number that the record's source field holds, or that valueOf makes of a source that is
    // not an integer, with the set past its last record; but a record whose field already
    // holds that number is not written. valueOf may throw: then the records after it are
    // neither read nor written. The caller holds the write transaction.
    void setEveryRecord(const QString& field, const QString& source,
                        const std::function<qint64(const QVariant&)>& valueOf);

private:
    // Column lists compared by value, so a lookup needs no list of its own.
    struct ColumnsLess {
        using is_transparent = void;
        bool operator()(std::span<const int> a, std::span<const int> b) const;
    };

    std::optional<int> findColumn(const QString& name) const;
    void requireColumn(int column) const;
    void requireCurrent() const;
    void leave();
    Statement& readStatement(std::span<const int> columns);
    Statement& updateStatement(std::span<const int> columns);
    void writeRow(Statement& statement, qint64 rowId);
    void writeNumber(int column, qint64 value, qint64 rowId);
    void setListedRecords(int field, int source, const std::vector<qint64>& rows,
                          const std::function<qint64(const QVariant&)>& valueOf);

    std::shared_ptr<Database> m_db;
    QString m_table;
    QString m_rowId = QStringLiteral("rowid"); // the name that reaches a record's row id
    QStringList m_columns;
    QHash<QString, int> m_columnByName; // as the table spells it, and in lower case
    RowIds m_rows;
    qint64 m_pos = 0;

    std::unique_ptr<MemberReader> m_reader;

    // Statements live in the connection's cache; these find them without building SQL.
    std::map<std::vector<int>, Statement*, ColumnsLess> m_reads;
    std::map<std::vector<int>, Statement*, ColumnsLess> m_updates;

    bool m_editing = false;
    std::vector<std::optional<QVariant>> m_edits;
    std::vector<int> m_edited; // columns of the pending update, ascending
};

} // namespace store
