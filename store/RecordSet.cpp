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

    m_columns = m_db->columns(m_table);
    for (int i = 0; i < int(m_columns.size()); ++i)
        m_columnByName.insert(m_columns[i].toLower(), i);
    if (m_columns.isEmpty())
        throw Error(err::TableNotFound,
                    QStringLiteral("The database engine cannot find the input table or query "
                                   "'%1' in '%2'.")
                        .arg(m_table, m_db->path()));
    m_rowId = m_db->rowIdName(m_table);

    // Names are checked here: the engine would read an unknown quoted name as a text.
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(m_rowId, quoteName(m_table));
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
    sql += QStringLiteral(" ORDER BY ") + m_rowId;

    Statement& select = m_db->statement(sql);
    for (qsizetype i = 0; i < binds.size(); ++i)
        select.bind(int(i + 1), binds[i]);
    while (select.step())
        m_rows.push_back(select.columnInt64(0));
    select.reset();
    m_edits.resize(size_t(m_columns.size()));
}

int RecordSet::columnIndex(const QString& name) const {
    const auto it = m_columnByName.constFind(name.toLower());
    if (it == m_columnByName.constEnd())
        throw Error(err::ItemNotFound,
                    QStringLiteral("Item not found in this collection. There is no field '%1' in "
                                   "table '%2' of '%3'.")
                        .arg(name, m_table, m_db->path()));
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

QVariantList RecordSet::fields(const QStringList& names) {
    QStringList quoted;
    for (const QString& name : names)
        quoted << quoteName(m_columns[columnIndex(name)]);
    requireCurrent();
    // One statement reads them all, straight from the file: what is stored is what is seen.
    Statement& select =
        m_db->statement(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1")
                            .arg(quoted.join(QStringLiteral(", ")), quoteName(m_table), m_rowId));
    select.bind(1, m_rows[size_t(m_pos)]);
    if (!select.step()) {
        select.reset();
        throw Error(err::RecordDeleted, QStringLiteral("Record is deleted."));
    }
    QVariantList values;
    for (int i = 0; i < int(names.size()); ++i)
        values.append(select.column(i));
    select.reset();
    return values;
}

QVariant RecordSet::field(const QString& name) {
    return fields({name}).constFirst();
}

void RecordSet::edit() {
    requireCurrent();
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
    QVariantList values;
    QString assignments;
    for (size_t i = 0; i < m_edits.size(); ++i) {
        if (!m_edits[i])
            continue;
        values.append(*m_edits[i]);
        if (!assignments.isEmpty())
            assignments += QStringLiteral(", ");
        assignments +=
            quoteName(m_columns[qsizetype(i)]) + QStringLiteral(" = ?%1").arg(values.size());
    }
    m_editing = false;
    if (values.isEmpty())
        return; // nothing changed, nothing to write

    Statement& statement = m_db->statement(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?%4")
                                               .arg(quoteName(m_table), assignments, m_rowId)
                                               .arg(values.size() + 1));
    for (qsizetype i = 0; i < values.size(); ++i)
        statement.bind(int(i + 1), values[i]);
    statement.bind(int(values.size() + 1), m_rows[size_t(m_pos)]);
    statement.run();
    if (m_db->changes() == 0)
        throw Error(err::RecordDeleted, QStringLiteral("Record is deleted."));
}

} // namespace store
