#pragma once

#include "store/Question.h"
#include "tools/decks/Deck.h"

#include <QHash>

#include <array>
#include <vector>

namespace decks {

// Where the cards of a deck go in our bank: their topic and pre-made sets.
struct Placement {
    std::optional<QString> category;              // every card without a mapped name
    std::vector<std::pair<QString, QString>> map; // lesson, deck or tag name to a topic, in order
    std::array<int, 3> sets{};                    // BASICS, TOUGH, FINAL
};

// Turns cards into questions of a bank: new questions get IDs after the bank's largest, a card
// the bank has already (by its identity, or else by its question text) keeps its question's ID.
// A card whose names several --map give different topics goes to the first --map's.
class Placer {
public:
    Placer(Placement placement, std::vector<store::Question> bank,
           QHash<QString, qint64> identities);

    // The question the card becomes; nullopt when it has no topic or repeats an earlier card.
    std::optional<store::Question> place(const Card& card, DeckReport& report);

    // Throws store::BankError when a --map name is none of the deck's or some cards had no
    // topic, listing the names.
    void finish() const;

    // What is worth a look: categories of our own CSV that are none of the fifteen, cards whose
    // names were mapped to different topics.
    QStringList notes() const;

    // Every name of the deck's cards, one a line: `  lesson "Animals": 12 cards`.
    QString names() const;

private:
    struct Counted {
        Name name;
        qint64 cards = 0;
        qint64 unplaced = 0;
    };
    std::optional<QString> topicOf(const Card& card);
    void count(const Card& card, bool placed);
    bool isPlaced(qint64 id) const { return m_placedAt.contains(id); }
    QString answerOf(qint64 id) const;
    QString nameLines(bool unplacedOnly) const;

    Placement m_placement;
    std::vector<store::Question> m_bank;
    QHash<QString, qint64> m_identities;
    QHash<QString, QList<qint64>> m_byText;
    QHash<qint64, size_t> m_byId;      // into m_bank
    QHash<qint64, QString> m_answers;  // of the questions this deck made
    QHash<qint64, QString> m_placedAt; // IDs given to cards of this deck, and where
    qint64 m_lastId = 0;
    qint64 m_bankLastId = 0;
    qint64 m_unplaced = 0;
    std::vector<Counted> m_names;
    QHash<QString, size_t> m_nameIndex; // into m_names
    std::vector<bool> m_mapUsed;
    qint64 m_conflicts = 0;
    QString m_firstConflict;
    QStringList m_notes;
    QStringList m_noted;
};

} // namespace decks
