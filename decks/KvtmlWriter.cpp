#include "decks/KvtmlWriter.h"

#include "store/Categories.h"
#include "store/SetNames.h"

#include <QXmlStreamWriter>

#include <map>

namespace decks {

namespace {

struct Lesson {
    QString name;
    std::vector<qsizetype> entries;
};

// XML 1.0 holds every character but most controls, lone surrogates, U+FFFE and U+FFFF.
std::optional<char32_t> unwritable(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || c.isSurrogate() || u >= 0xFFFE)
            return u;
    }
    return std::nullopt;
}

void checkText(const store::Question& q, const char* side, const std::optional<QString>& text) {
    if (const auto c = unwritable(text.value_or(QString())))
        throw DeckError(
            QString(),
            QStringLiteral("question %1: its %2 holds the character U+%3, which KVTML cannot hold")
                .arg(q.id)
                .arg(QLatin1String(side))
                .arg(uint(*c), 4, 16, QChar(u'0')));
}

// A reader of XML takes a CR for a line end; written as a reference it stays a CR.
void writeText(QXmlStreamWriter& xml, const QString& text) {
    xml.writeStartElement(QStringLiteral("text"));
    const QStringList pieces = text.split(u'\r');
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            xml.writeEntityReference(QStringLiteral("#13"));
        xml.writeCharacters(pieces[i]);
    }
    xml.writeEndElement();
}

struct Lessons {
    std::vector<Lesson> topics;
    std::vector<Lesson> sets;
};

Lessons lessons(const std::vector<store::Question>& questions) {
    // The fifteen topics in the book's order, then any other name the bank holds.
    std::vector<Lesson> topics;
    std::map<QString, size_t> topicAt;
    for (const QString& name : store::categories()) {
        topicAt.emplace(name, topics.size());
        topics.push_back({name, {}});
    }
    std::vector<Lesson> sets;
    for (const QString& name : store::premadeSetNames())
        sets.push_back({name, {}});
    for (int n = 1; n <= 6; ++n)
        sets.push_back({store::customSetName(n), {}});

    for (size_t i = 0; i < questions.size(); ++i) {
        const store::Question& q = questions[i];
        const QString topic = q.category.value_or(QString());
        if (!topic.isEmpty()) {
            auto [at, added] = topicAt.emplace(topic, topics.size());
            if (added)
                topics.push_back({topic, {}});
            topics[at->second].entries.push_back(qsizetype(i));
        }
        for (size_t s = 0; s < q.sets.size(); ++s) {
            if (q.sets[s] != 0)
                sets[s].entries.push_back(qsizetype(i));
        }
        for (size_t m = 0; m < q.marks.size(); ++m) {
            if (q.marks[m] != 0)
                sets[3 + m].entries.push_back(qsizetype(i));
        }
    }
    const auto empty = [](const Lesson& lesson) { return lesson.entries.empty(); };
    std::erase_if(topics, empty);
    std::erase_if(sets, empty);
    return {std::move(topics), std::move(sets)};
}

void writeEntry(QXmlStreamWriter& xml, qsizetype id, const store::Question& q) {
    xml.writeStartElement(QStringLiteral("entry"));
    xml.writeAttribute(QStringLiteral("id"), QString::number(id));
    const std::optional<QString>* texts[] = {&q.question, &q.answer};
    for (int side = 0; side < 2; ++side) {
        xml.writeStartElement(QStringLiteral("translation"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(side));
        writeText(xml, texts[side]->value_or(QString()));
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

void writeLesson(QXmlStreamWriter& xml, const QString& name,
                 const std::vector<qsizetype>& entries) {
    xml.writeStartElement(QStringLiteral("container"));
    xml.writeTextElement(QStringLiteral("name"), name);
    xml.writeTextElement(QStringLiteral("inpractice"), QStringLiteral("true"));
    for (const qsizetype entry : entries) {
        xml.writeEmptyElement(QStringLiteral("entry"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(entry));
    }
    xml.writeEndElement();
}

} // namespace

QByteArray writeKvtml(const BankContent& bank) {
    const std::vector<store::Question>& questions = bank.questions;
    for (const store::Question& q : questions) {
        checkText(q, "question", q.question);
        checkText(q, "answer", q.answer);
        checkText(q, "category", q.category);
    }
    const Lessons grouped = lessons(questions);
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral(
        R"(<!DOCTYPE kvtml PUBLIC "kvtml2.dtd" "http://edu.kde.org/kvtml/kvtml2.dtd">)"));
    xml.writeStartElement(QStringLiteral("kvtml"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));

    xml.writeStartElement(QStringLiteral("information"));
    xml.writeTextElement(QStringLiteral("generator"), OurKvtmlGenerator.toString());
    xml.writeTextElement(QStringLiteral("title"), QStringLiteral("Memvane"));
    xml.writeEndElement();

    // No language: the bank names none.
    xml.writeStartElement(QStringLiteral("identifiers"));
    const QString sides[] = {QStringLiteral("Question"), QStringLiteral("Answer")};
    for (int i = 0; i < 2; ++i) {
        xml.writeStartElement(QStringLiteral("identifier"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(i));
        xml.writeTextElement(QStringLiteral("name"), sides[i]);
        xml.writeEndElement();
    }
    xml.writeEndElement();

    xml.writeStartElement(QStringLiteral("entries"));
    for (size_t i = 0; i < questions.size(); ++i)
        writeEntry(xml, qsizetype(i), questions[i]);
    xml.writeEndElement();

    xml.writeStartElement(QStringLiteral("lessons"));
    for (const Lesson& topic : grouped.topics)
        writeLesson(xml, topic.name, topic.entries);
    xml.writeEndElement();

    // KDE's programs keep an entry in one lesson, its topic's; the sets go in an element of
    // our own, which they pass over.
    if (!grouped.sets.empty()) {
        xml.writeStartElement(QStringLiteral("sets"));
        for (const Lesson& set : grouped.sets)
            writeLesson(xml, set.name, set.entries);
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return bytes;
}

} // namespace decks
