#include "store/RecordSet.h"

#include "store/Database.h"
#include "store/Error.h"
#include "store/QueryText.h"

namespace store {

namespace {

QString quoteName(const QString& name) {
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

[[noreturn]] void noCurrentRecord() {
    throw Error(err::NoCurrentRecord, QStringLiteral("No current record."));
}

} // namespace

RecordSet::RecordSet(std::shared_ptr<Database> db, const QString& queryText)
    : m_db(std::move(db)) {
    const Query query = Query::parse(queryText);
    m_table = query.table;

    Statement info(*m_db, QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(m_table)));
    while (info.step()) {
        const QString name = info.column(1).toString();
        m_columnByName.insert(name.toLower(), int(m_columns.size()));
        m_columns.append(name);
    }
    if (m_columns.isEmpty())
        throw Error(err::TableNotFound,
                    QStringLiteral("The database engine cannot find the input table or query "
                                   "'%1' in '%2'.")
                        .arg(m_table, m_db->path()));

    // Names are checked here: the engine would read an unknown quoted name as a text.
    QString sql = QStringLiteral("SELECT rowid FROM %1").arg(quoteName(m_table));
    QVariantList binds;
    for (size_t i = 0; i < query.conditions.size(); ++i) {
        const Condition& term = query.conditions[i];
        const QString column = quoteName(m_columns[columnIndex(term.field)]);
        sql += i == 0 ? QStringLiteral(" WHERE ") : QStringLiteral(" OR ");
        switch (term.kind) {
        case Condition::Kind::True:
            sql += column + QStringLiteral(" <> 0");
            break;
        case Condition::Kind::False:
            sql += column + QStringLiteral(" = 0");
            break;
        case Condition::Kind::Equals:
            binds.append(term.value);
            sql += column + QStringLiteral(" = ?%1").arg(binds.size());
            break;
        }
    }
    sql += QStringLiteral(" ORDER BY rowid");

    Statement select(*m_db, sql);
    for (qsizetype i = 0; i < binds.size(); ++i)
        select.bind(int(i + 1), binds[i]);
    while (select.step())
        m_rows.push_back(select.columnInt64(0));
    m_edits.resize(size_t(m_columns.size()));
}

int RecordSet::columnIndex(const QString& name) const {
    const auto it = m_columnByName.constFind(name.toLower());
    if (it == m_columnByName.constEnd())
        throw Error(err::ItemNotFound,
                    QStringLiteral("Item not found in this collection. There is no field '%1' in "
                                   "table '%2'.")
                        .arg(name, m_table));
    return *it;
}

void RecordSet::requireCurrent() const {
    if (!hasCurrent())
        noCurrentRecord();
}

void RecordSet::leave() {
    // Moving away drops an edit that was not updated.
    m_editing = false;
}

void RecordSet::moveFirst() {
    if (m_rows.empty())
        noCurrentRecord();
    leave();
    m_pos = 0;
}

void RecordSet::moveLast() {
    if (m_rows.empty())
        noCurrentRecord();
    leave();
    m_pos = qint64(m_rows.size()) - 1;
}

void RecordSet::moveNext() {
    if (eof())
        noCurrentRecord();
    leave();
    ++m_pos;
}

void RecordSet::movePrevious() {
    if (bof())
        noCurrentRecord();
    leave();
    --m_pos;
}

void RecordSet::setAbsolutePosition(int position) {
    if (position < 0 || position >= recordCount())
        throw Error(err::InvalidArgument,
                    QStringLiteral("Invalid argument. Position %1 is not in a set of %2 records.")
                        .arg(position)
                        .arg(recordCount()));
    leave();
    m_pos = position;
}

void RecordSet::load() {
    const qint64 row = m_rows[size_t(m_pos)];
    const quint64 generation = m_db->generation();
    if (row == m_loadedRow && m_loadedGeneration == generation)
        return;
    if (!m_select)
        m_select.emplace(
            *m_db, QStringLiteral("SELECT * FROM %1 WHERE rowid = ?1").arg(quoteName(m_table)));
    m_select->bind(1, row);
    if (!m_select->step()) {
        m_select->reset();
        throw Error(err::RecordDeleted, QStringLiteral("Record is deleted."));
    }
    m_values.resize(size_t(m_columns.size()));
    for (int i = 0; i < int(m_values.size()); ++i)
        m_values[size_t(i)] = m_select->column(i);
    m_select->reset();
    m_loadedRow = row;
    m_loadedGeneration = generation;
}

QVariant RecordSet::field(const QString& name) {
    const int column = columnIndex(name);
    requireCurrent();
    load();
    return m_values[size_t(column)];
}

void RecordSet::edit() {
    requireCurrent();
    load(); // a record deleted meanwhile fails here, not at update
    std::fill(m_edits.begin(), m_edits.end(), std::nullopt);
    m_editing = true;
}

void RecordSet::setField(const QString& name, const QVariant& value) {
    const int column = columnIndex(name);
    if (!m_editing)
        throw Error(err::UpdateWithoutEdit,
                    QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    m_edits[size_t(column)] = value;
}

void RecordSet::update() {
    if (!m_editing)
        throw Error(err::UpdateWithoutEdit,
                    QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    requireCurrent();
    QString key;
    QVariantList values;
    QString assignments;
    for (size_t i = 0; i < m_edits.size(); ++i) {
        if (!m_edits[i])
            continue;
        key += QString::number(i) + u',';
        values.append(*m_edits[i]);
        if (!assignments.isEmpty())
            assignments += QStringLiteral(", ");
        assignments +=
            quoteName(m_columns[qsizetype(i)]) + QStringLiteral(" = ?%1").arg(values.size());
    }
    m_editing = false;
    if (values.isEmpty())
        return; // nothing changed, nothing to write

    auto it = m_updates.find(key);
    if (it == m_updates.end()) {
        const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                                .arg(quoteName(m_table), assignments)
                                .arg(values.size() + 1);
        it = m_updates.emplace(key, Statement(*m_db, sql)).first;
    }
    Statement& statement = it->second;
    for (qsizetype i = 0; i < values.size(); ++i)
        statement.bind(int(i + 1), values[i]);
    statement.bind(int(values.size() + 1), m_rows[size_t(m_pos)]);
    m_db->wrote();
    statement.run();
}

} // namespace store
