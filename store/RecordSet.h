#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

namespace store {

class Database;

// An updatable record set (a dynaset): its members are fixed when it opens, in row order;
// field reads always see the stored values.
class RecordSet {
public:
    RecordSet(std::shared_ptr<Database> db, const QString& queryText);

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

    // Null fields read as a null QVariant.
    QVariant field(const QString& name);
    QVariantList fields(const QStringList& names);

    void edit();
    void setField(const QString& name, const QVariant& value);
    void update();

private:
    int columnIndex(const QString& name) const;
    void requireCurrent() const;
    void leave();

    std::shared_ptr<Database> m_db;
    QString m_table;
    QString m_rowId = QStringLiteral("rowid"); // the name that reaches a record's row id
    QStringList m_columns;
    QHash<QString, int> m_columnByName; // lower-case name
    std::vector<qint64> m_rows;
    qint64 m_pos = 0;

    bool m_editing = false;
    std::vector<std::optional<QVariant>> m_edits;
};

} // namespace store
