#include "tools/decks/KvtmlReader.h"

#include <QHash>
#include <QIODevice>
#include <QXmlStreamReader>

#include <deque>

namespace decks {

namespace {

// Only the two sides a card is made of are kept: a deck may have many entries.
struct Entry {
    QString key; // the entry's id, or its place in a KVTML 1 file
    int line = 0;
    QString question;
    QString answer;
    QStringList lessons; // the innermost first
};

class Kvtml {
public:
    Kvtml(QIODevice& file, std::pair<int, int> sides)
        : m_xml(&file)
        , m_sides(sides) {}

    std::deque<Entry> read();

private:
    [[noreturn]] void fail(const QString& reason) const {
        throw DeckError(lineText(int(m_xml.lineNumber())), reason);
    }
    bool next(); // to the next start element below the current one; false at its end
    QString directText();
    void readEntries2();
    void readEntry2();
    void readLessons2(const QStringList& outer);
    void readEarlyLesson();
    void readKvtml1();
    Entry* entry(const QString& key);

    void keep(Entry& e, int side, const QString& text) const {
        if (side == m_sides.first)
            e.question = text;
        else if (side == m_sides.second)
            e.answer = text;
    }

    QXmlStreamReader m_xml;
    std::pair<int, int> m_sides;
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
        while (next()) {
            if (m_xml.name() == u"text" && ok)
                keep(e, side, directText());
            else
                m_xml.skipCurrentElement();
        }
    }
    if (entry(e.key))
        fail(QStringLiteral("entry %1 is there twice").arg(e.key));
    m_byKey.insert(e.key, m_entries.size());
    m_entries.push_back(std::move(e));
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
void Kvtml::readLessons2(const QStringList& outer) {
    QStringList path = outer;
    bool named = false;
    while (next()) {
        const auto name = m_xml.name();
        if (name == u"name" && !named) {
            path.prepend(directText());
            named = true;
        } else if (name == u"container") {
            readLessons2(path);
        } else if (name == u"entry") {
            if (Entry* e = entry(m_xml.attributes().value(QLatin1String("id")).toString()))
                e->lessons.append(path);
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
                if (m_xml.name() == u"o")
                    keep(e, 0, directText());
                else if (m_xml.name() == u"t")
                    keep(e, ++translations, directText());
                else
                    m_xml.skipCurrentElement();
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
                readLessons2({});
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

} // namespace

void readKvtml(QIODevice& file, const DeckOptions& options, const CardSink& sink,
               DeckReport& report) {
    Kvtml kvtml(file, options.sides);
    std::deque<Entry> entries = kvtml.read();
    const auto [questionSide, answerSide] = options.sides;
    // KDE's programs keep an entry in one lesson: a card in several lessons is written as
    // entries of the same texts, and read back as one card in all of them.
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
                           : QStringLiteral("no text on the %1 side (identifier %2)")
                                 .arg(card.question.isEmpty() ? u"question" : u"answer")
                                 .arg(card.question.isEmpty() ? questionSide : answerSide));
            continue;
        }
        for (QString& lesson : e.lessons)
            card.names.push_back({Name::Lesson, std::move(lesson)});
        card.where = where;
        sink(std::move(card));
    }
}

} // namespace decks
