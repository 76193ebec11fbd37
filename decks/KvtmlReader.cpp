#include "decks/KvtmlReader.h"

#include "decks/KvtmlWriter.h"

#include <QHash>
#include <QIODevice>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>
#include <deque>
#include <map>

namespace decks {

namespace {

// Only the two sides a card is made of are kept: a deck may have many entries.
struct Entry {
    QString key; // the entry's id, or its place in a KVTML 1 file
    int line = 0;
    QString question;
    QString answer;
    QStringList lessons;  // the innermost first
    QStringList sets;     // of our own export
    QStringList pictures; // of the translations on the card
    QStringList sounds;
};

// What a translation holds, by KvtmlSide::Part.
using Parts = std::array<QString, 4>;

// How many entries hold each part of an identifier's translation.
using PartCounts = std::map<int, std::array<int, 4>>;

QString withPictures(QString text, const QStringList& pictures) {
    for (const QString& picture : pictures) {
        if (!text.isEmpty())
            text += u' ';
        text += QStringLiteral("[picture: %1]").arg(picture);
    }
    return text;
}

class Kvtml {
public:
    Kvtml(QIODevice& file, std::pair<KvtmlSide, KvtmlSide> sides)
        : m_xml(&file)
        , m_sides(sides) {}

    std::deque<Entry> read();
    const PartCounts& counts() const { return m_counts; }

private:
    [[noreturn]] void fail(const QString& reason) const {
        throw DeckError(lineText(int(m_xml.lineNumber())), reason);
    }
    bool next(); // to the next start element below the current one; false at its end
    QString directText();
    void readEntries2();
    void readEntry2();
    void readTranslation2(Entry& e, int side);
    void readLessons2(const QStringList& outer, QStringList Entry::*into);
    void readEarlyLesson();
    void readKvtml1();
    Entry* entry(const QString& key);

    void keep(Entry& e, int side, const Parts& parts, const QStringList& pictures,
              const QStringList& sounds);

    QXmlStreamReader m_xml;
    std::pair<KvtmlSide, KvtmlSide> m_sides;
    PartCounts m_counts;
    std::deque<Entry> m_entries;
    QHash<QString, size_t> m_byKey;
    // Our own export keeps a card's line breaks; KDE's programs write none and fold white space.
    bool m_ours = false;
};

// Text nodes directly under the current element; what is nested deeper (a conjugation, a
// comparison) is not the element's text.
QString Kvtml::directText() {
    QString text;
    while (!m_xml.atEnd()) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            text += m_xml.text();
            break;
        case QXmlStreamReader::StartElement:
            m_xml.skipCurrentElement();
            break;
        case QXmlStreamReader::EndElement:
            return m_ours ? text.trimmed() : text.simplified();
        default:
            break;
        }
    }
    return m_ours ? text.trimmed() : text.simplified();
}

bool Kvtml::next() {
    while (!m_xml.atEnd()) {
        const auto token = m_xml.readNext();
        if (token == QXmlStreamReader::StartElement)
            return true;
        if (token == QXmlStreamReader::EndElement)
            return false;
        if (token == QXmlStreamReader::DTD && !m_xml.entityDeclarations().isEmpty())
            fail(QStringLiteral("the file declares entities of its own, which memvane-bank does "
                                "not expand (a few lines of them can grow without bound)"));
    }
    return false;
}

Entry* Kvtml::entry(const QString& key) {
    const auto it = m_byKey.constFind(key);
    return it == m_byKey.cend() ? nullptr : &m_entries[*it];
}

void Kvtml::readEntry2() {
    Entry e;
    e.key = m_xml.attributes().value(QLatin1String("id")).toString();
    e.line = int(m_xml.lineNumber());
    while (next()) {
        if (m_xml.name() != u"translation") {
            m_xml.skipCurrentElement();
            continue;
        }
        bool ok = false;
        const int side = m_xml.attributes().value(QLatin1String("id")).toInt(&ok);
        if (ok)
            readTranslation2(e, side);
        else
            m_xml.skipCurrentElement();
    }
    if (entry(e.key))
        fail(QStringLiteral("entry %1 is there twice").arg(e.key));
    m_byKey.insert(e.key, m_entries.size());
    m_entries.push_back(std::move(e));
}

// A translation's picture goes on the side that shows its text, or else on the first side of
// its identifier; its sound is counted with the card.
void Kvtml::keep(Entry& e, int side, const Parts& parts, const QStringList& pictures,
                 const QStringList& sounds) {
    auto& counts = m_counts[side];
    for (size_t p = 0; p < parts.size(); ++p)
        counts[p] += parts[p].isEmpty() ? 0 : 1;
    const bool question = m_sides.first.identifier == side;
    const bool answer = m_sides.second.identifier == side;
    if (!question && !answer)
        return;
    if (question)
        e.question = parts[m_sides.first.part];
    if (answer)
        e.answer = parts[m_sides.second.part];
    QString& shown = question && (m_sides.first.part == KvtmlSide::Text || !answer ||
                                  m_sides.second.part != KvtmlSide::Text)
                         ? e.question
                         : e.answer;
    shown = withPictures(shown, pictures);
    e.pictures += pictures;
    e.sounds += sounds;
}

void Kvtml::readTranslation2(Entry& e, int side) {
    Parts parts;
    QStringList pictures;
    QStringList sounds;
    while (next()) {
        const auto name = m_xml.name();
        if (name == u"text")
            parts[KvtmlSide::Text] = directText();
        else if (name == u"comment")
            parts[KvtmlSide::Comment] = directText();
        else if (name == u"paraphrase")
            parts[KvtmlSide::Paraphrase] = directText();
        else if (name == u"example")
            parts[KvtmlSide::Example] = directText();
        else if (name == u"image")
            pictures << directText();
        else if (name == u"sound")
            sounds << directText();
        else
            m_xml.skipCurrentElement();
    }
    pictures.removeAll(QString());
    sounds.removeAll(QString());
    keep(e, side, parts, pictures, sounds);
}

void Kvtml::readEntries2() {
    while (next()) {
        if (m_xml.name() == u"entry")
            readEntry2();
        else
            m_xml.skipCurrentElement();
    }
}

// <container><name/> <entry id=""/> <container>…</container></container>, nested to any depth.
// Our export's sets are containers of the same kind, under <sets>.
void Kvtml::readLessons2(const QStringList& outer, QStringList Entry::*into) {
    QStringList path = outer;
    bool named = false;
    while (next()) {
        const auto name = m_xml.name();
        if (name == u"name" && !named) {
            path.prepend(directText());
            named = true;
        } else if (name == u"container") {
            readLessons2(path, into);
        } else if (name == u"entry") {
            if (Entry* e = entry(m_xml.attributes().value(QLatin1String("id")).toString()))
                (e->*into).append(path);
            m_xml.skipCurrentElement();
        } else if (name == u"lesson") {
            readEarlyLesson();
        } else {
            m_xml.skipCurrentElement();
        }
    }
}

// The early 2.0 files: <lesson><name/><entryid>N</entryid>…</lesson>.
void Kvtml::readEarlyLesson() {
    QString lesson;
    QStringList members;
    while (next()) {
        if (m_xml.name() == u"name")
            lesson = directText();
        else if (m_xml.name() == u"entryid")
            members << directText();
        else
            m_xml.skipCurrentElement();
    }
    for (const QString& key : members) {
        if (Entry* e = entry(key))
            e->lessons.append(lesson);
    }
}

// <lesson><desc no="1">Name</desc></lesson> and <e m="1"><o>…</o><t>…</t></e>.
void Kvtml::readKvtml1() {
    QHash<QString, QString> lessons;
    std::vector<QString> memberOf;
    while (next()) {
        if (m_xml.name() == u"lesson") {
            while (next()) {
                if (m_xml.name() == u"desc") {
                    const QString no = m_xml.attributes().value(QLatin1String("no")).toString();
                    lessons.insert(no, directText());
                } else {
                    m_xml.skipCurrentElement();
                }
            }
        } else if (m_xml.name() == u"e") {
            Entry e;
            e.key = QString::number(m_entries.size());
            e.line = int(m_xml.lineNumber());
            memberOf.push_back(m_xml.attributes().value(QLatin1String("m")).toString());
            int translations = 0;
            while (next()) {
                const bool original = m_xml.name() == u"o";
                if (!original && m_xml.name() != u"t") {
                    m_xml.skipCurrentElement();
                    continue;
                }
                // KVTML 1 keeps a remark, example and paraphrase as attributes.
                const QXmlStreamAttributes a = m_xml.attributes();
                Parts parts;
                parts[KvtmlSide::Comment] = a.value(QLatin1String("r")).toString().simplified();
                parts[KvtmlSide::Paraphrase] = a.value(QLatin1String("h")).toString().simplified();
                parts[KvtmlSide::Example] = a.value(QLatin1String("x")).toString().simplified();
                parts[KvtmlSide::Text] = directText();
                keep(e, original ? 0 : ++translations, parts, {}, {});
            }
            m_byKey.insert(e.key, m_entries.size());
            m_entries.push_back(std::move(e));
        } else {
            m_xml.skipCurrentElement();
        }
    }
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (lessons.contains(memberOf[i]))
            m_entries[i].lessons << lessons.value(memberOf[i]);
    }
}

std::deque<Entry> Kvtml::read() {
    if (!next())
        fail(m_xml.hasError() ? m_xml.errorString() : QStringLiteral("no element in the file"));
    if (m_xml.name() != u"kvtml")
        fail(QStringLiteral("the file's element is <%1>, not <kvtml>").arg(m_xml.name()));
    const bool two = m_xml.attributes().value(QLatin1String("version")).toDouble() >= 2.0;
    if (two) {
        while (next()) {
            if (m_xml.name() == u"information") {
                while (next()) {
                    if (m_xml.name() == u"generator")
                        m_ours = directText() == OurKvtmlGenerator;
                    else
                        m_xml.skipCurrentElement();
                }
            } else if (m_xml.name() == u"entries") {
                readEntries2();
            } else if (m_xml.name() == u"lessons") {
                readLessons2({}, &Entry::lessons);
            } else if (m_xml.name() == u"sets") {
                readLessons2({}, &Entry::sets);
            } else {
                m_xml.skipCurrentElement(); // word types and Leitner boxes are no lessons
            }
        }
    } else {
        readKvtml1();
    }
    // Whatever follows the root must still be well-formed.
    while (!m_xml.atEnd())
        m_xml.readNext();
    if (m_xml.hasError())
        fail(m_xml.errorString());
    m_byKey = {};
    return std::move(m_entries);
}

QString numbers(const std::vector<int>& identifiers) {
    QStringList texts;
    for (const int id : identifiers)
        texts << QString::number(id);
    const QString last = texts.takeLast();
    return texts.isEmpty() ? last
                           : texts.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

// A deck of words alone, or of words and their hints, makes no card until --sides says how:
// the whole deck is refused with the sides that would read it.
void refuseOneSided(const std::deque<Entry>& entries, const std::pair<KvtmlSide, KvtmlSide>& sides,
                    const PartCounts& counts) {
    if (entries.empty())
        return;
    const auto hasText = [&](QString Entry::*side) {
        return std::any_of(entries.begin(), entries.end(),
                           [&](const Entry& e) { return !(e.*side).isEmpty(); });
    };
    const bool question = hasText(&Entry::question);
    if (question && hasText(&Entry::answer))
        return;
    QString reason = QStringLiteral("one side only: no entry has text on the %1 side (%2)")
                         .arg(question ? u"answer" : u"question",
                              sideText(question ? sides.second : sides.first));
    // The identifier with the most texts is the word a card would ask for.
    std::vector<int> worded;
    int word = -1;
    for (const auto& [id, held] : counts) {
        if (held[KvtmlSide::Text] == 0)
            continue;
        worded.push_back(id);
        if (word < 0 || held[KvtmlSide::Text] > counts.at(word)[KvtmlSide::Text])
            word = id;
    }
    if (worded.empty())
        throw DeckError(QString(), reason + QStringLiteral(" nor on any other identifier"));
    reason += QStringLiteral("; its words are all on identifier%1 %2")
                  .arg(worded.size() > 1 ? u"s" : u"", numbers(worded));
    QStringList ways;
    QStringList taken;
    for (int part = KvtmlSide::Comment; part <= KvtmlSide::Example; ++part) {
        const KvtmlSide answer{word, KvtmlSide::Part(part)};
        const int held = counts.at(word)[size_t(part)];
        if (held == 0 || (sides.first.identifier == word && sides.second == answer))
            continue;
        taken << kvtmlPartNames()[part - 1];
        ways << QStringLiteral("--sides %1,%2 (%3 %4 one)")
                    .arg(word)
                    .arg(taken.back())
                    .arg(held)
                    .arg(held == 1 ? u"entry has" : u"entries have");
    }
    if (ways.isEmpty())
        reason += QStringLiteral(", and no entry has a comment, paraphrase or example to take "
                                 "as the answer");
    else
        reason += QStringLiteral("; %1 takes each word's %2 as its answer")
                      .arg(ways.join(QStringLiteral(" or ")), taken.join(QStringLiteral(" or ")));
    throw DeckError(QString(), reason);
}

} // namespace

const QStringList& kvtmlPartNames() {
    static const QStringList names = {QStringLiteral("comment"), QStringLiteral("paraphrase"),
                                      QStringLiteral("example")};
    return names;
}

std::optional<std::pair<KvtmlSide, KvtmlSide>> kvtmlSides(const QString& text) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 2)
        return std::nullopt;
    std::optional<int> ids[2];
    KvtmlSide::Part kinds[2] = {KvtmlSide::Text, KvtmlSide::Text};
    for (int i = 0; i < 2; ++i) {
        const QString part = parts[i].trimmed();
        bool ok = false;
        const int id = part.toInt(&ok);
        if (ok && id >= 0) {
            ids[i] = id;
            continue;
        }
        const qsizetype word = kvtmlPartNames().indexOf(part.toLower());
        if (word < 0)
            return std::nullopt;
        kinds[i] = KvtmlSide::Part(word + 1);
    }
    // A word is the comment, paraphrase or example of the other side's identifier.
    if (!ids[0] && !ids[1])
        return std::nullopt;
    const std::pair<KvtmlSide, KvtmlSide> sides{{ids[0].value_or(ids[1].value_or(0)), kinds[0]},
                                                {ids[1].value_or(ids[0].value_or(0)), kinds[1]}};
    if (sides.first == sides.second)
        return std::nullopt;
    return sides;
}

QString sideText(const KvtmlSide& side) {
    const QString id = QStringLiteral("identifier %1").arg(side.identifier);
    return side.part == KvtmlSide::Text
               ? id
               : QStringLiteral("the %1 of %2").arg(kvtmlPartNames()[side.part - 1], id);
}

void readKvtml(const DeckInput& input, const DeckOptions& options, const CardSink& sink,
               DeckReport& report) {
    Kvtml kvtml(input.text, options.sides);
    std::deque<Entry> entries = kvtml.read();
    refuseOneSided(entries, options.sides, kvtml.counts());
    // KDE's programs keep an entry in one lesson: a card in several lessons is written as
    // entries of the same texts (as our earlier export wrote sets), and read back as one card
    // in all of them.
    std::vector<bool> repeated(entries.size());
    {
        QHash<std::pair<QString, QString>, Entry*> first;
        for (size_t i = 0; i < entries.size(); ++i) {
            Entry& e = entries[i];
            if (e.question.isEmpty() || e.answer.isEmpty())
                continue;
            Entry*& earlier = first[{e.question, e.answer}];
            if (!earlier) {
                earlier = &e;
                continue;
            }
            for (const QString& lesson : e.lessons) {
                if (!earlier->lessons.contains(lesson))
                    earlier->lessons << lesson;
            }
            for (const QString& set : e.sets) {
                if (!earlier->sets.contains(set))
                    earlier->sets << set;
            }
            repeated[i] = true;
        }
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (repeated[i])
            continue;
        Entry& e = entries[i];
        const QString where = QStringLiteral("entry %1 (line %2)").arg(e.key).arg(e.line);
        Card card;
        card.question = std::move(e.question);
        card.answer = std::move(e.answer);
        if (card.question.isEmpty() || card.answer.isEmpty()) {
            report.skipped.emplace_back(
                where, card.question.isEmpty() && card.answer.isEmpty()
                           ? QStringLiteral("no text on either side")
                           : QStringLiteral("no text on the %1 side (%2)")
                                 .arg(card.question.isEmpty() ? u"question" : u"answer",
                                      sideText(card.question.isEmpty() ? options.sides.first
                                                                       : options.sides.second)));
            continue;
        }
        for (QString& lesson : e.lessons)
            card.names.push_back({Name::Lesson, std::move(lesson)});
        for (QString& set : e.sets)
            card.names.push_back({Name::Set, std::move(set)});
        for (const QString& picture : std::as_const(e.pictures))
            report.media.emplace_back(where, QStringLiteral("picture '%1'").arg(picture));
        for (const QString& sound : std::as_const(e.sounds))
            report.media.emplace_back(where, QStringLiteral("sound '%1'").arg(sound));
        report.pictures += int(e.pictures.size());
        report.sounds += int(e.sounds.size());
        card.where = where;
        sink(std::move(card));
    }
}

} // namespace decks
