#include "print/CardSet.h"

#include "store/BankTable.h"
#include "store/Database.h"
#include "store/OpenBank.h"
#include "store/RecordSet.h"

namespace print {

CardSet::CardSet(const QString& bank, const QString& query)
    : m_db(store::openBank(bank, store::Database::Mode::ReadOnly))
    , m_set(m_db->openRecordSet(query)) {
    const store::BankColumn read[] = {store::BankColumn::Id, store::BankColumn::Question,
                                      store::BankColumn::Answer, store::BankColumn::Category};
    for (size_t i = 0; i < m_columns.size(); ++i)
        m_columns[i] = m_set->columnIndex(store::bankColumnName(read[i]));
}

CardSet::~CardSet() = default;

int CardSet::count() const {
    return m_set->recordCount();
}

Card CardSet::card(int position) {
    m_set->setAbsolutePosition(position);
    const QVariantList fields = m_set->fields(m_columns);
    return {fields[0].toLongLong(), fields[1].toString(), fields[2].toString(),
            fields[3].toString()};
}

} // namespace print
