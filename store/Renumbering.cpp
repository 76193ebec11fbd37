#include "store/Renumbering.h"

#include "store/Database.h"
#include "store/Statement.h"

#include <algorithm>
#include <utility>

namespace store {

NotedRecords::NotedRecords(SetEveryRecord coming)
    : m_coming(std::move(coming)) {}

QStringList NotedRecords::fields() const {
    return {m_coming.source, m_coming.field};
}

void NotedRecords::start(Database& db, std::span<const int> columns) {
    m_db = &db;
    m_unsettled = Unsettled{columns[1], columns[0], {}, db.dataVersion(), db.totalChanges()};
}

void NotedRecords::member(qint64 rowId, const Statement& row) {
    if (m_unsettled && !(row.columnIsInteger(1) && row.columnIsInteger(2) &&
                         row.columnInt64(1) == row.columnInt64(2))) {
        if (m_unsettled->rows.size() == MostNotedRows)
            m_unsettled.reset();
        else
            m_unsettled->rows.push_back(rowId);
    }
}

std::optional<std::vector<qint64>> NotedRecords::membersToSet(int field, int source) {
    std::optional<Unsettled> noted = std::exchange(m_unsettled, std::nullopt);
    // Another connection's commit or a write through this one may have changed any record.
    if (!noted || noted->field != field || noted->source != source ||
        noted->dataVersion != m_db->dataVersion() || noted->changes != m_db->totalChanges())
        return std::nullopt;
    // Every other member held its number when the set opened, and still does.
    std::sort(noted->rows.begin(), noted->rows.end());
    return std::move(noted->rows);
}

} // namespace store
