#include "tools/decks/Placement.h"

#include "store/BankError.h"
#include "store/Categories.h"
#include "store/SetNames.h"

#include <algorithm>

namespace decks {

namespace {

bool isTopic(const QString& text) {
    const auto& all = store::categories();
    return std::find(all.begin(), all.end(), text) != all.end();
}

// A name as our export writes topics and sets, in Anki's tags with _ for each blank.
QString plainName(const QString& name) {
    return name.trimmed().replace(u'_', u' ');
}

// The sets that names give by name: pre-made sets always, custom sets (marks) when asked.
void takeSets(const std::vector<Name>& names, store::Question& q, bool marks) {
    for (const Name& name : names) {
        const QString plain = plainName(name.text);
        for (size_t i = 0; i < q.sets.size(); ++i) {
            if (plain.compare(store::premadeSetNames()[i], Qt::CaseInsensitive) == 0)
                q.sets[i] = 1;
        }
        for (size_t i = 0; marks && i < q.marks.size(); ++i) {
            if (plain.compare(store::customSetName(int(i) + 1), Qt::CaseInsensitive) == 0)
                q.marks[i] = 1;
        }
    }
}

} // namespace

QString topic(const QString& text, const QString& given) {
    if (isTopic(text))
        return text;
    throw store::BankError(QStringLiteral("%1: '%2' is not one of the fifteen topics; did you "
                                          "mean '%3'?")
                               .arg(given, text, store::closestCategory(text)));
}

Placer::Placer(Placement placement, const std::vector<store::Question>& bank,
               QHash<QString, qint64> identities)
    : m_placement(std::move(placement))
    , m_bank(bank)
    , m_identities(std::move(identities)) {
    for (size_t i = 0; i < bank.size(); ++i) {
        const store::Question& q = bank[i];
        m_byId.insert(q.id, i);
        if (q.question && !m_byText.contains(*q.question))
            m_byText.insert(*q.question, q.id);
        m_lastId = std::max(m_lastId, q.id);
    }
    m_bankLastId = m_lastId;
}

std::optional<QString> Placer::topicOf(const std::vector<Name>& names) const {
    for (const Name& named : names) {
        const QString& name = named.text;
        for (const auto& [from, to] : m_placement.map) {
            if (from.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
                return to;
        }
        if (isTopic(name.trimmed()))
            return name.trimmed();
        if (isTopic(plainName(name)))
            return plainName(name);
    }
    return m_placement.category;
}

std::optional<store::Question> Placer::place(const Card& card, DeckReport& report) {
    if (card.own) {
        store::Question q = *card.own;
        // Its own topic, a mapped one, or the default for a row without a topic of ours.
        if (const auto placed = topicOf(card.names))
            q.category = placed;
        if (q.category && !isTopic(*q.category) && !m_noted.contains(*q.category)) {
            m_noted.insert(*q.category);
            m_notes << QStringLiteral("Category '%1' (first at %2) is none of the fifteen "
                                      "topics, so its questions show under no topic; did you "
                                      "mean '%3'?")
                           .arg(*q.category, card.where, store::closestCategory(*q.category));
        }
        for (size_t i = 0; i < 3; ++i)
            q.sets[i] |= m_placement.sets[i];
        return q;
    }
    const std::optional<QString> category = topicOf(card.names);
    if (!category) {
        if (m_unplaced++ < 1000) {
            const QString name = card.names.empty() ? QStringLiteral("(no lesson, deck or tag)")
                                                    : card.names.front().text;
            if (!m_unplacedNames.contains(name))
                m_unplacedNames << name;
        }
        return std::nullopt;
    }
    std::optional<qint64> id;
    if (!card.identity.isEmpty() && m_identities.contains(card.identity))
        id = m_identities.value(card.identity);
    else if (m_byText.contains(card.question))
        id = m_byText.value(card.question);
    // A question made from this deck, or one of the bank's given to a card before.
    if (id && (*id > m_bankLastId || m_placed.contains(*id))) {
        report.skipped.emplace_back(card.where,
                                    QStringLiteral("the same question as a card before it"));
        return std::nullopt;
    }
    store::Question q;
    const bool known = id && m_byId.contains(*id);
    if (known) {
        q = m_bank[m_byId.value(*id)];
    } else {
        q.id = id.value_or(++m_lastId);
        m_byText.insert(card.question, q.id);
    }
    q.question = card.question;
    q.answer = card.answer;
    q.category = category;
    q.identity = card.identity;
    if (!card.identity.isEmpty())
        m_identities.insert(card.identity, q.id);
    for (size_t i = 0; i < 3; ++i)
        q.sets[i] |= m_placement.sets[i];
    // A question the bank has keeps its marks.
    takeSets(card.names, q, !known);
    if (q.id <= m_bankLastId)
        m_placed.insert(q.id);
    return q;
}

void Placer::finish() const {
    if (m_unplaced == 0)
        return;
    throw store::BankError(
        QStringLiteral("%1 cards have no topic: no lesson, deck or tag of theirs is one of the "
                       "fifteen topics (%2%3); --map \"NAME=TOPIC\" maps a name to a topic, "
                       "--category TOPIC gives the rest one. Nothing was written.")
            .arg(m_unplaced)
            .arg(m_unplacedNames.mid(0, 5).join(QStringLiteral(", ")),
                 m_unplacedNames.size() > 5 ? QStringLiteral(", …") : QString()));
}

} // namespace decks
