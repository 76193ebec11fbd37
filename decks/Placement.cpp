#include "decks/Placement.h"

#include "store/Categories.h"
#include "store/Counted.h"
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

bool matches(const QString& from, const Name& name) {
    return from.compare(name.text.trimmed(), Qt::CaseInsensitive) == 0;
}

} // namespace

Placer::Placer(Placement placement, std::vector<store::Question> bank,
               QHash<QString, qint64> identities)
    : m_placement(std::move(placement))
    , m_bank(std::move(bank))
    , m_identities(std::move(identities))
    , m_mapUsed(m_placement.map.size()) {
    for (size_t i = 0; i < m_bank.size(); ++i) {
        const store::Question& q = m_bank[i];
        m_byId.insert(q.id, i);
        if (q.question)
            know(*q.question, {q.id, qHash(q.answer.value_or(QString()))});
        m_lastId = std::max(m_lastId, q.id);
    }
    m_bankLastId = m_lastId;
}

std::optional<QString> Placer::topicOf(const Card& card) {
    std::optional<QString> chosen;
    QString chosenBy;
    bool conflict = false;
    for (size_t i = 0; i < m_placement.map.size(); ++i) {
        const QString& from = m_placement.map[i].first;
        const QString& to = m_placement.map[i].second;
        const auto name = std::find_if(card.names.begin(), card.names.end(),
                                       [&](const Name& n) { return matches(from, n); });
        if (name == card.names.end())
            continue;
        m_mapUsed[i] = true;
        const QString by =
            QStringLiteral("%1 \"%2\" to %3").arg(kindText(name->kind), name->text, to);
        if (!chosen) {
            chosen = to;
            chosenBy = by;
        } else if (*chosen != to && !conflict) {
            conflict = true;
            if (m_conflicts++ == 0)
                m_firstConflict = QStringLiteral("%1: %2, not %3").arg(card.where, chosenBy, by);
        }
    }
    if (chosen)
        return chosen;
    for (const Name& name : card.names) {
        if (isTopic(name.text.trimmed()))
            return name.text.trimmed();
        if (isTopic(plainName(name.text)))
            return plainName(name.text);
    }
    return m_placement.category;
}

void Placer::count(const Card& card, bool placed) {
    for (auto name = card.names.begin(); name != card.names.end(); ++name) {
        // A card counts once for a name it has twice.
        if (std::find(card.names.begin(), name, *name) != name)
            continue;
        const std::pair<int, QString> key{int(name->kind), name->text};
        auto it = m_nameIndex.find(key);
        if (it == m_nameIndex.end()) {
            it = m_nameIndex.insert(key, m_names.size());
            m_names.push_back({Name{name->kind, name->text.trimmed()}});
        }
        Counted& counted = m_names[*it];
        ++counted.cards;
        if (!placed)
            ++counted.unplaced;
    }
}

QList<Placer::Known> Placer::known(const QString& question) const {
    QList<Known> all;
    if (const auto first = m_byText.find(question); first != m_byText.end()) {
        all << *first;
        // values() gives the latest first.
        QList<Known> more = m_moreByText.values(question);
        std::reverse(more.begin(), more.end());
        all << more;
    }
    return all;
}

void Placer::know(const QString& question, Known known) {
    if (m_byText.contains(question))
        m_moreByText.insert(question, known);
    else
        m_byText.insert(question, known);
}

std::optional<store::Question> Placer::place(const Card& card, DeckReport& report) {
    const std::optional<QString> category = topicOf(card);
    if (card.own) {
        count(card, true);
        store::Question q = *card.own;
        // Its own topic, a mapped one, or the default for a row without a topic of ours.
        if (category)
            q.category = category;
        if (q.category && !isTopic(*q.category) && !m_noted.contains(*q.category)) {
            m_noted << *q.category;
            m_notes << QStringLiteral("Category '%1' (first at %2) is none of the fifteen "
                                      "topics, so its questions show under no topic; did you "
                                      "mean '%3'?")
                           .arg(*q.category, card.where, store::closestCategory(*q.category));
        }
        for (size_t i = 0; i < 3; ++i)
            q.sets[i] |= m_placement.sets[i];
        return q;
    }
    count(card, category.has_value());
    if (!category) {
        ++m_unplaced;
        return std::nullopt;
    }
    std::optional<qint64> id;
    if (!card.identity.isEmpty() && m_identities.contains(card.identity)) {
        id = m_identities.value(card.identity);
        if (isPlaced(*id)) {
            report.skipped.emplace_back(card.where,
                                        QStringLiteral("the same card as one before it"));
            return std::nullopt;
        }
    } else {
        // The same question and answer first, then a question of the bank whose answer changed;
        // the same question with another answer is a card of its own.
        const QList<Known> sameText = known(card.question);
        const size_t answer = qHash(card.answer);
        for (const Known& same : sameText) {
            if (same.answer != answer)
                continue;
            if (isPlaced(same.id)) {
                report.skipped.emplace_back(
                    card.where, QStringLiteral("the same question and answer as a card before it"));
                return std::nullopt;
            }
            id = same.id;
            break;
        }
        for (qsizetype i = 0; !id && i < sameText.size(); ++i) {
            if (!isPlaced(sameText[i].id))
                id = sameText[i].id;
        }
    }
    store::Question q;
    const bool inBank = id && m_byId.contains(*id);
    if (inBank) {
        q = m_bank[m_byId.value(*id)];
    } else {
        q.id = id.value_or(++m_lastId);
        know(card.question, {q.id, qHash(card.answer)});
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
    takeSets(card.names, q, !inBank);
    if (q.id <= m_bankLastId)
        m_placed.insert(q.id);
    return q;
}

QString Placer::nameLines(bool unplacedOnly) const {
    QString text;
    for (const Counted& counted : m_names) {
        const qint64 n = unplacedOnly ? counted.unplaced : counted.cards;
        if (n > 0)
            text += QStringLiteral("  %1 \"%2\": %3\n")
                        .arg(kindText(counted.name.kind), counted.name.text,
                             store::counted(n, QStringLiteral("card"), QStringLiteral("cards")));
    }
    return text;
}

QString Placer::names() const {
    return nameLines(false);
}

void Placer::finish() const {
    for (size_t i = 0; i < m_mapUsed.size(); ++i) {
        if (m_mapUsed[i])
            continue;
        const QString& name = m_placement.map[i].first;
        throw DeckError(
            QString(),
            m_names.empty()
                ? QStringLiteral("--map: no card of the deck has a lesson, deck or tag, so none "
                                 "is named '%1'. Nothing was written.")
                      .arg(name)
                : QStringLiteral("--map: no lesson, deck or tag of the deck is named '%1'; its "
                                 "names are:\n%2Nothing was written.")
                      .arg(name, nameLines(false)));
    }
    if (m_unplaced == 0)
        return;
    const QString names = nameLines(true);
    throw DeckError(
        QString(),
        QStringLiteral("%1 no topic: no lesson, deck or tag of theirs is one of the fifteen "
                       "topics, and no --map or --category gives one. %2--map \"NAME=TOPIC\" "
                       "maps a name to a topic, --category TOPIC gives the rest one. Nothing was "
                       "written.")
            .arg(store::counted(m_unplaced, QStringLiteral("card has"),
                                QStringLiteral("cards have")),
                 names.isEmpty() ? QStringLiteral("They have no names. ")
                                 : QStringLiteral("Their names:\n") + names));
}

QStringList Placer::notes() const {
    QStringList notes = m_notes;
    if (m_conflicts > 0)
        notes << QStringLiteral("%1 names that --map puts in different topics; the first --map "
                                "given won (first at %2).")
                     .arg(store::counted(m_conflicts, QStringLiteral("card has"),
                                         QStringLiteral("cards have")),
                          m_firstConflict);
    return notes;
}

} // namespace decks
