#include "decks/MnemosyneCards.h"

#include "decks/AnkiPackage.h"
#include "decks/CardParts.h"
#include "decks/Html.h"
#include "decks/Zip.h"

#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace decks {

namespace {

const QString CardsXml = QStringLiteral("cards.xml");

// The log entries of openSM2sync that a .cards file holds.
enum EntryType {
    AddedCard = 6,
    AddedTag = 10,
    AddedMediaFile = 13,
    AddedFact = 16,
    AddedFactView = 19,
    AddedCardType = 22
};

struct View {
    QStringList question;
    QStringList answer;
};

// Mnemosyne's own card types, by their fact views.
const QHash<QString, View>& builtInViews() {
    static const QHash<QString, View> views = {
        {QStringLiteral("1.1"), {{QStringLiteral("f")}, {QStringLiteral("b")}}},
        {QStringLiteral("2.1"), {{QStringLiteral("f")}, {QStringLiteral("b")}}},
        {QStringLiteral("2.2"), {{QStringLiteral("b")}, {QStringLiteral("f")}}},
        {QStringLiteral("3.1"),
         {{QStringLiteral("f")},
          {QStringLiteral("p_1"), QStringLiteral("m_1"), QStringLiteral("n")}}},
        {QStringLiteral("3.2"),
         {{QStringLiteral("m_1")},
          {QStringLiteral("f"), QStringLiteral("p_1"), QStringLiteral("n")}}},
    };
    return views;
}

const QHash<QString, QString>& builtInTypeNames() {
    static const QHash<QString, QString> names = {
        {QStringLiteral("1"), QStringLiteral("Front-to-back only")},
        {QStringLiteral("2"), QStringLiteral("Front-to-back and back-to-front")},
        {QStringLiteral("3"), QStringLiteral("Vocabulary")},
        {QStringLiteral("5"), QStringLiteral("Cloze deletion")},
    };
    return names;
}

// "['f', 'p_1']", as Python writes a list of keys.
QStringList pythonList(const QString& text) {
    static const QRegularExpression item(QStringLiteral("'([^']*)'|\"([^\"]*)\""));
    QStringList items;
    for (auto it = item.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        items << (match.capturedLength(1) > 0 ? match.captured(1) : match.captured(2));
    }
    return items;
}

// Mnemosyne's cloze: "[word]" or "[word:hint]", the index-th becomes "[...]" or "[hint]".
std::pair<QString, QString> cloze(const QString& text, int index) {
    QString question;
    QString answer;
    qsizetype at = 0;
    int current = 0;
    for (;;) {
        const qsizetype open = text.indexOf(u'[', at);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u']', open);
        if (close < 0) {
            question += text.mid(at);
            break;
        }
        question += text.mid(at, open - at);
        const QString inside = text.mid(open + 1, close - open - 1);
        const qsizetype colon = inside.indexOf(u':');
        const QString word = colon < 0 ? inside : inside.left(colon);
        if (current == index) {
            question += QStringLiteral("[%1]").arg(colon < 0 ? QStringLiteral("...")
                                                             : inside.mid(colon + 1));
            answer = word;
        } else {
            question += word;
        }
        ++current;
        at = close + 1;
    }
    return {question, answer};
}

QString joined(const QHash<QString, QString>& fact, const QStringList& keys) {
    QStringList parts;
    for (const QString& key : keys) {
        const QString value = fact.value(key).trimmed();
        if (!value.isEmpty())
            parts << value;
    }
    return parts.join(QStringLiteral("<br>"));
}

struct Entry {
    int type = 0;
    QHash<QString, QString> values;
};

} // namespace

bool isMnemosyneCards(const QStringList& names) {
    return names.contains(CardsXml);
}

void readMnemosyneCards(const DeckInput& input, const DeckOptions&, const CardSink& sink,
                        DeckReport& report) {
    const Zip zip(input.path);
    if (!isMnemosyneCards(zip.names()))
        throw DeckError(QString(), QStringLiteral("the zip holds no cards.xml"));
    for (const QString& name : zip.names()) {
        if (isOutside(name))
            throw DeckError(QString(), QStringLiteral("it holds '%1', a file outside the folder "
                                                      "it would be unpacked in")
                                           .arg(name));
    }
    const QByteArray xml = zip.readAll(CardsXml, PackageInflationLimit);
    QXmlStreamReader reader(xml);
    if (!reader.readNextStartElement() || reader.name() != u"openSM2sync")
        throw DeckError(QString(), QStringLiteral("its cards.xml is not a list of Mnemosyne's "
                                                  "log entries"));
    QHash<QString, QString> tags;
    QHash<QString, View> views = builtInViews();
    QHash<QString, QString> typeNames = builtInTypeNames();
    QHash<QString, QHash<QString, QString>> facts;
    int number = 0;
    while (reader.readNextStartElement()) {
        if (reader.name() != u"log") {
            reader.skipCurrentElement();
            continue;
        }
        ++number;
        const QString where = QStringLiteral("entry %1").arg(number);
        Entry entry;
        for (const QXmlStreamAttribute& attribute : reader.attributes())
            entry.values.insert(attribute.name().toString(), attribute.value().toString());
        entry.type = entry.values.value(QStringLiteral("type")).toInt();
        while (reader.readNextStartElement()) {
            QString key = reader.name().toString();
            if (key.startsWith(QStringLiteral("___")))
                key = key.mid(3);
            entry.values.insert(key, reader.readElementText());
        }
        const QString id = entry.values.value(QStringLiteral("o_id"));
        switch (entry.type) {
        case AddedTag:
            tags.insert(id, entry.values.value(QStringLiteral("name")));
            break;
        case AddedFactView:
            views.insert(id, {pythonList(entry.values.value(QStringLiteral("q_fact_keys"))),
                              pythonList(entry.values.value(QStringLiteral("a_fact_keys")))});
            break;
        case AddedCardType:
            typeNames.insert(id, entry.values.value(QStringLiteral("name")));
            break;
        case AddedMediaFile:
            if (isOutside(entry.values.value(QStringLiteral("fname"))))
                throw DeckError(where, QStringLiteral("it names the media file '%1', outside the "
                                                      "media folder")
                                           .arg(entry.values.value(QStringLiteral("fname"))));
            break;
        case AddedFact:
            facts.insert(id, entry.values);
            break;
        case AddedCard: {
            const auto fact = facts.constFind(entry.values.value(QStringLiteral("fact")));
            if (fact == facts.cend()) {
                report.skipped.emplace_back(where, QStringLiteral("its fact is not in the file"));
                break;
            }
            const QString cardType = entry.values.value(QStringLiteral("card_t"));
            const QString base = cardType.section(QStringLiteral("::"), 0, 0);
            const QString viewId = entry.values.value(QStringLiteral("fact_v"));
            QString question;
            QString answer;
            if (base == u"5") {
                static const QRegularExpression index(
                    QStringLiteral("['\"]index['\"]\\s*:\\s*(\\d+)"));
                const auto match = index.match(entry.values.value(QStringLiteral("extra")));
                std::tie(question, answer) =
                    cloze(fact->value(QStringLiteral("text")),
                          match.hasMatch() ? match.captured(1).toInt() : 0);
            } else {
                auto view = views.constFind(viewId);
                if (view == views.cend())
                    view = views.constFind(base + u'.' + viewId.section(u'.', -1));
                if (view == views.cend()) {
                    report.skipped.emplace_back(
                        where, QStringLiteral("card type '%1' is not one of Mnemosyne's own or "
                                              "cloned from one")
                                   .arg(cardType));
                    break;
                }
                question = joined(*fact, view->question);
                answer = joined(*fact, view->answer);
            }
            Card card;
            card.question = plainText(question, report);
            card.answer = plainText(answer, report);
            noteMedia(question, where, report);
            noteMedia(answer, where, report);
            card.where = where;
            card.identity = id;
            for (const QString& tag :
                 entry.values.value(QStringLiteral("tags")).split(u',', Qt::SkipEmptyParts)) {
                const QString name = tags.value(tag, tag);
                if (name != u"__UNTAGGED__")
                    card.names.push_back({Name::Tag, name});
            }
            card.names.push_back({Name::NoteType, typeNames.value(cardType, cardType)});
            if (card.question.trimmed().isEmpty() || card.answer.trimmed().isEmpty()) {
                report.skipped.emplace_back(where, card.question.trimmed().isEmpty()
                                                       ? QStringLiteral("no question")
                                                       : QStringLiteral("no answer"));
                break;
            }
            sink(std::move(card));
            break;
        }
        default:
            break;
        }
    }
    if (reader.hasError())
        throw DeckError(QStringLiteral("cards.xml ") + lineText(int(reader.lineNumber())),
                        QStringLiteral("it is damaged (%1)").arg(reader.errorString()));
}

} // namespace decks
