#pragma once

#include <QString>

#include <array>
#include <memory>

namespace store {
class Database;
class RecordSet;
} // namespace store

namespace print {

struct Card {
    qint64 id = 0;
    QString question;
    QString answer;
    QString topic;
};

// The cards of a query over a bank, in the order the program shows them; read one at a time.
class CardSet {
public:
    CardSet(const QString& bank, const QString& query);
    ~CardSet();
    CardSet(const CardSet&) = delete;
    CardSet& operator=(const CardSet&) = delete;

    int count() const;
    // The card at a position from 0.
    Card card(int position);

private:
    std::shared_ptr<store::Database> m_db;
    std::shared_ptr<store::RecordSet> m_set;
    std::array<int, 4> m_columns{};
};

} // namespace print
