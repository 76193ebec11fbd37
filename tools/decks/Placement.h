#pragma once

#include "store/Question.h"
#include "tools/decks/Deck.h"

#include <QHash>
#include <QSet>

#include <array>
#include <vector>

namespace decks {

// Where the cards of a deck go in our bank: their topic and pre-made sets.
struct Placement {
    std::optional<QString> category;              // every card without a mapped name
    std::vector<std::pair<QString, QString>> map; // lesson, deck or tag name to a topic
    std::array<int, 3> sets{};                    // BASICS, TOUGH, FINAL
};

// One of the fifteen topics, exactly as written; throws store::BankError suggesting the closest
// one otherwise.
QString topic(const QString& text, const QString& given);

// Turns cards into questions of a bank: new questions get IDs after the bank's largest, a card
// the bank has already (by its identity, or else by its question text) keeps its question's ID.
class Placer {
public:
    Placer(Placement placement, const std::vector<store::Question>& bank,
           QHash<QString, qint64> identities);

    // The question the card becomes; nullopt when it has no topic or repeats an earlier card.
    std::optional<store::Question> place(const Card& card, DeckReport& report);

    // Throws store::BankError when some cards had no topic.
    void finish() const;

    // Categories of our own CSV that are none of the fifteen, each with its suggestion.
    const QStringList& notes() const { return m_notes; }

private:
    std::optional<QString> topicOf(const std::vector<Name>& names) const;

    Placement m_placement;
    const std::vector<store::Question>& m_bank;
    QHash<QString, qint64> m_identities;
    QHash<QString, qint64> m_byText;
    QHash<qint64, size_t> m_byId; // into m_bank
    QSet<qint64> m_placed;        // IDs of the bank given to cards of this deck
    qint64 m_lastId = 0;
    qint64 m_bankLastId = 0;
    int m_unplaced = 0;
    QStringList m_unplacedNames;
    QStringList m_notes;
    QSet<QString> m_noted;
};

} // namespace decks
