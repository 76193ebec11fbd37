#include "store/RecordSet.h"

#include "store/Database.h"
#include "store/Error.h"
#include "store/PlainIndex.h"
#include "store/QueryText.h"
#include "store/SqlName.h"
#include "store/Statement.h"

#include <algorithm>
#include <utility>

namespace store {

namespace {

[[noreturn]] void noCurrentRecord() {
    throw Error(err::NoCurrentRecord, QStringLiteral("No current record."));
}

} // namespace

RecordSet::RecordSet(std::shared_ptr<Database> db, const QString& queryText,
                     std::unique_ptr<MemberReader> reader)
    : m_db(std::move(db))
    , m_reader(std::move(reader)) {
    const Query query = Query::parse(queryText);
    m_table = query.table;

    m_columns = m_db->columns(m_table);
    for (int i = 0; i < int(m_columns.size()); ++i) {
        m_columnByName.insert(m_columns[i], i);
        m_columnByName.insert(m_columns[i].toLower(), i);
    }
    if (m_columns.isEmpty())
        throw Error(err::TableNotFound,
                    QStringLiteral("The database engine cannot find the input table or query "
                                   "'%1' in '%2'.")
                        .arg(m_table, m_db->path()));
    m_rowId = m_db->rowIdName(m_table);

    // The reader's fields come from the index where there is one: the same pages that give
    // the members, read once.
    std::vector<int> extra;
    std::optional<QString> index;
    if (m_reader) {
        const QStringList wanted = m_reader->fields();
        QStringList names;
        for (const QString& name : wanted) {
            const std::optional<int> column = findColumn(name);
            if (!column)
                break;
            extra.push_back(*column);
            names << m_columns[*column];
        }
        if (!names.isEmpty() && names.size() == wanted.size())
            index = plainIndex(*m_db, m_table, names);
        if (index)
            m_reader->start(*m_db, extra);
    }

    // Names are checked here: the engine would read an unknown quoted name as a text.
    QString sql = m_rowId;
    if (index) {
        for (int column : extra)
            sql += QStringLiteral(", ") + quoteName(m_columns[column]);
    }
    sql = QStringLiteral("SELECT %1 FROM %2").arg(sql, quoteName(m_table));
    if (index)
        sql += QStringLiteral(" INDEXED BY ") + quoteName(*index);
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

    // No ORDER BY: the engine may then walk a small index instead of every page of the table,
    // and sorting the row ids here costs less than either.
    Statement& select = m_db->statement(sql);
    {
        const Statement::Use selecting(select);
        for (qsizetype i = 0; i < binds.size(); ++i)
            select.bind(int(i + 1), binds[i]);
        while (select.step()) {
            const qint64 row = select.columnInt64(0);
            m_rows.append(row);
            if (index)
                m_reader->member(row, select);
        }
    }
    m_rows.sort();
    m_edits.resize(size_t(m_columns.size()));
}

bool RecordSet::ColumnsLess::operator()(std::span<const int> a, std::span<const int> b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
}

std::optional<int> RecordSet::findColumn(const QString& name) const {
    auto it = m_columnByName.constFind(name);
    if (it == m_columnByName.constEnd())
        it = m_columnByName.constFind(name.toLower());
    if (it == m_columnByName.constEnd())
        return std::nullopt;
    return *it;
}

int RecordSet::columnIndex(const QString& name) const {
    if (const std::optional<int> column = findColumn(name))
        return *column;
    throw Error(err::ItemNotFound,
                QStringLiteral("Item not found in this collection. There is no field '%1' in "
                               "table '%2' of '%3'.")
                    .arg(name, m_table, m_db->path()));
}

void RecordSet::requireColumn(int column) const {
    if (column < 0 || column >= int(m_columns.size()))
        throw Error(err::ItemNotFound,
                    QStringLiteral("Item not found in this collection. There is no field %1 in "
                                   "table '%2' of '%3'.")
                        .arg(column)
                        .arg(m_table, m_db->path()));
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

Statement& RecordSet::readStatement(std::span<const int> columns) {
    auto it = m_reads.find(columns);
    if (it == m_reads.end()) {
        QStringList quoted;
        for (int column : columns)
            quoted << quoteName(m_columns[column]);
        // Straight from the file on every read: what is stored is what is seen.
        Statement& select = m_db->statement(
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1")
                .arg(quoted.join(QStringLiteral(", ")), quoteName(m_table), m_rowId));
        it = m_reads.emplace(std::vector<int>(columns.begin(), columns.end()), &select).first;
    }
    return *it->second;
}

Statement& RecordSet::updateStatement(std::span<const int> columns) {
    auto it = m_updates.find(columns);
    if (it == m_updates.end()) {
        QStringList assignments;
        for (int i = 0; i < int(columns.size()); ++i)
            assignments << quoteName(m_columns[columns[size_t(i)]]) +
                               QStringLiteral(" = ?%1").arg(i + 1);
        Statement& update = m_db->statement(
            QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?%4")
                .arg(quoteName(m_table), assignments.join(QStringLiteral(", ")), m_rowId)
                .arg(columns.size() + 1));
        it = m_updates.emplace(std::vector<int>(columns.begin(), columns.end()), &update).first;
    }
    return *it->second;
}

QVariantList RecordSet::fields(std::span<const int> columns) {
    for (int column : columns)
        requireColumn(column);
    requireCurrent();
    Statement& select = readStatement(columns);
    const Statement::Use reading(select);
    select.bindInt64(1, m_rows[size_t(m_pos)]);
    if (!select.step())
        throw Error(err::RecordDeleted, QStringLiteral("Record is deleted."));
    QVariantList values;
    values.reserve(qsizetype(columns.size()));
    for (int i = 0; i < int(columns.size()); ++i)
        values.append(select.column(i));
    return values;
}

QVariant RecordSet::field(int column) {
    return fields(std::span(&column, 1)).constFirst();
}

void RecordSet::edit() {
    requireCurrent();
    std::fill(m_edits.begin(), m_edits.end(), std::nullopt);
    m_editing = true;
}

void RecordSet::setField(int column, const QVariant& value) {
    requireColumn(column);
    if (!m_editing)
        throw Error(err::UpdateWithoutEdit,
                    QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    m_edits[size_t(column)] = value;
}

// Runs an update whose values are bound; the row id goes last.
void RecordSet::writeRow(Statement& statement, qint64 rowId) {
    statement.bindInt64(statement.parameterCount(), rowId);
    while (statement.step()) {
    }
    if (m_db->changes() == 0)
        throw Error(err::RecordDeleted, QStringLiteral("Record is deleted."));
}

void RecordSet::update() {
    if (!m_editing)
        throw Error(err::UpdateWithoutEdit,
                    QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    requireCurrent();
    m_editing = false;
    m_edited.clear();
    for (size_t i = 0; i < m_edits.size(); ++i) {
        if (m_edits[i])
            m_edited.push_back(int(i));
    }
    if (m_edited.empty())
        return; // nothing changed, nothing to write

    Statement& statement = updateStatement(m_edited);
    const Statement::Use writing(statement);
    for (size_t i = 0; i < m_edited.size(); ++i)
        statement.bind(int(i + 1), *m_edits[size_t(m_edited[i])]);
    writeRow(statement, m_rows[size_t(m_pos)]);
}

void RecordSet::setEveryRecord(const QString& field, const QString& source,
                               const std::function<qint64(const QVariant&)>& valueOf) {
    leave();
    if (m_rows.empty())
        return;
    // Errors come in the order a record-by-record edit meets them: the source field, then
    // the first record's value, then the field written.
    const int from = columnIndex(source);
    const std::optional<int> to = findColumn(field);
    if (to && m_reader) {
        const std::optional<std::vector<qint64>> listed =
            std::exchange(m_reader, nullptr)->membersToSet(*to, from);
        if (listed) {
            setListedRecords(*to, from, *listed, valueOf);
            return;
        }
    }
    // An index on exactly the two columns holds all the scan needs, at a fraction of the
    // table's pages; what the bank has is read, as a name proves nothing. The engine gives
    // the index's rows back in row order, sorting them where the index's order is another.
    const std::optional<QString> index =
        to ? plainIndex(*m_db, m_table, {m_columns[from], m_columns[*to]}) : std::nullopt;
    Statement& scan = m_db->statement(
        QStringLiteral("SELECT %1, %2, %3 FROM %4%5 ORDER BY %1")
            .arg(m_rowId, quoteName(m_columns[from]),
                 to ? quoteName(m_columns[*to]) : QStringLiteral("NULL"), quoteName(m_table),
                 index ? QStringLiteral(" INDEXED BY ") + quoteName(*index) : QString()));
    const Statement::Use scanning(scan);
    // A record written while the scan reads an index may come back once more: its row id
    // is then behind the next member's, and it is passed over like a record added since the
    // set opened, which is no member.
    bool row = scan.step();
    qint64 scanned = row ? scan.columnInt64(0) : 0;
    for (m_pos = 0; m_pos < qint64(m_rows.size()); ++m_pos) {
        const qint64 rowId = m_rows[size_t(m_pos)];
        while (row && scanned < rowId) {
            row = scan.step();
            scanned = row ? scan.columnInt64(0) : 0;
        }
        if (!row || scanned != rowId)
            throw Error(err::RecordDeleted, QStringLiteral("Record is deleted."));
        const qint64 value =
            scan.columnIsInteger(1) ? scan.columnInt64(1) : valueOf(scan.column(1));
        if (!to)
            columnIndex(field); // reports the missing field
        // Writing the number stores that integer unless the column's type makes a text or a
        // real of it, and such a column never holds an integer: so only a record that holds
        // the very integer is left alone.
        if (!(scan.columnIsInteger(2) && scan.columnInt64(2) == value))
            writeNumber(*to, value, rowId);
        row = scan.step();
        scanned = row ? scan.columnInt64(0) : 0;
    }
}

void RecordSet::setListedRecords(int field, int source, const std::vector<qint64>& rows,
                                 const std::function<qint64(const QVariant&)>& valueOf) {
    const int columns[] = {source, field};
    Statement& read = readStatement(columns);
    for (const qint64 rowId : rows) {
        m_pos = qint64(m_rows.position(rowId));
        qint64 value = 0;
        bool holds = false;
        {
            const Statement::Use reading(read);
            read.bindInt64(1, rowId);
            if (!read.step())
                throw Error(err::RecordDeleted, QStringLiteral("Record is deleted."));
            value = read.columnIsInteger(0) ? read.columnInt64(0) : valueOf(read.column(0));
            holds = read.columnIsInteger(1) && read.columnInt64(1) == value;
        }
        if (!holds)
            writeNumber(field, value, rowId);
    }
    m_pos = qint64(m_rows.size());
}

void RecordSet::writeNumber(int column, qint64 value, qint64 rowId) {
    Statement& update = updateStatement(std::span(&column, 1));
    const Statement::Use writing(update);
    update.bindInt64(1, value);
    writeRow(update, rowId);
}

} // namespace store
