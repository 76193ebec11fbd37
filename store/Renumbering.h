#pragma once

#include "store/RecordSet.h"

#include <QString>

#include <optional>
#include <vector>

namespace store {

// A setEveryRecord(field, source) that will follow the opening of a set, as the start-up's
// renumbering of Index from ID does.
struct SetEveryRecord {
    QString field;
    QString source;
};

// Where the table has an index on exactly source and field, the pass that finds the members
// notes which of them do not hold their number yet; the setEveryRecord that follows then visits
// only those, unless the bank changed in between.
class NotedRecords : public RecordSet::MemberReader {
public:
    explicit NotedRecords(SetEveryRecord coming);
    // Past this many records to write, noting them costs more than it saves: setEveryRecord
    // then reads the table again, as a first start on a large bank does.
    static constexpr size_t MostNotedRows = 4096;

    QStringList fields() const override;
    void start(Database& db, std::span<const int> columns) override;
    void member(qint64 rowId, const Statement& row) override;
    std::optional<std::vector<qint64>> membersToSet(int field, int source) override;

private:
    SetEveryRecord m_coming;
    Database* m_db = nullptr;

    // The members that did not hold their number when the set opened, and what tells whether
    // the bank has changed since.
    struct Unsettled {
        int field = 0;
        int source = 0;
        std::vector<qint64> rows;
        qint64 dataVersion = 0;
        int changes = 0;
    };
    std::optional<Unsettled> m_unsettled;
};

} // namespace store
