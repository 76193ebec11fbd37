#pragma once

#include "decks/Deck.h"
#include "store/Question.h"

#include <QHash>
#include <QSet>

#include <array>
#include <vector>

namespace decks {

// Where the cards of a deck go in our bank: their topic and pre-made sets.
struct Placement {
    std::optional<QString> category;              // for a card no name of its puts in a topic
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

    // Throws DeckError when a --map name is none of the deck's or some cards had no
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
    // A question this deck made, or one of the bank's given to a card of it.
    bool isPlaced(qint64 id) const { return id > m_bankLastId || m_placed.contains(id); }
    // Questions of a text, each with a hash of its answer: a big deck's answers are not kept.
    struct Known {
        qint64 id;
        size_t answer;
    };
    QList<Known> known(const QString& question) const;
    void know(const QString& question, Known known);
    QString nameLines(bool unplacedOnly) const;

    Placement m_placement;
    std::vector<store::Question> m_bank;
    QHash<QString, qint64> m_identities;
    QHash<QString, Known> m_byText;          // the first of each text
    QMultiHash<QString, Known> m_moreByText; // the rare others
    QHash<qint64, size_t> m_byId;            // into m_bank
    QSet<qint64> m_placed;                   // IDs of the bank given to cards of this deck
    qint64 m_lastId = 0;
    qint64 m_bankLastId = 0;
    qint64 m_unplaced = 0;
    std::vector<Counted> m_names;
    QHash<std::pair<int, QString>, size_t> m_nameIndex; // into m_names
    std::vector<bool> m_mapUsed;
    qint64 m_conflicts = 0;
    QString m_firstConflict;
    QStringList m_notes;
    QStringList m_noted;
};

} // namespace decks
