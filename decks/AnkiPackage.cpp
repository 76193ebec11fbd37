#include "decks/AnkiPackage.h"

#include "decks/AnkiTemplate.h"
#include "decks/CardParts.h"
#include "decks/Html.h"
#include "decks/Protobuf.h"
#include "decks/SqliteFile.h"
#include "decks/Zip.h"
#include "decks/Zstd.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <map>
#include <optional>

namespace decks {

namespace {

const QString Anki2 = QStringLiteral("collection.anki2");
const QString Anki21 = QStringLiteral("collection.anki21");
const QString Anki21b = QStringLiteral("collection.anki21b");
const QString Meta = QStringLiteral("meta");
const QString MediaList = QStringLiteral("media");

constexpr qint64 SmallMemberLimit = 64 << 20;
constexpr int NewestVersion = 3;

struct Layout {
    QString collection;
    bool zstd = false;
};

// The collection Anki itself would import: the one the meta names, else the newer of the
// two legacy ones; the others are stand-ins for old versions of Anki.
Layout layoutOf(const Zip& zip) {
    Layout layout;
    int version = zip.contains(Anki21) ? 2 : 1;
    if (zip.contains(Meta)) {
        ProtobufReader meta(zip.readAll(Meta, SmallMemberLimit));
        version = 0;
        while (meta.next()) {
            if (meta.field() == 1)
                version = int(qMin<quint64>(meta.number(), 1000));
        }
        if (version < 1 || version > NewestVersion)
            throw DeckError(QString(), QStringLiteral("its meta gives package version %1; "
                                                      "memvane-bank reads versions 1 to %2")
                                           .arg(version)
                                           .arg(NewestVersion));
    }
    layout.collection = version == 3 ? Anki21b : version == 2 ? Anki21 : Anki2;
    layout.zstd = version == 3;
    if (!zip.contains(layout.collection))
        throw DeckError(QString(),
                        QStringLiteral("the package holds no %1").arg(layout.collection));
    return layout;
}

// Media are never written out, but a list naming files outside the folder they would go to is
// a package made to harm.
void checkMedia(const Zip& zip, const Layout& layout) {
    if (!zip.contains(MediaList))
        return;
    QByteArray list = zip.readAll(MediaList, SmallMemberLimit);
    QStringList names;
    if (layout.zstd) {
        list = ZstdInflater::inflate(MediaList, list, SmallMemberLimit);
        ProtobufReader entries(list);
        while (entries.next()) {
            if (entries.field() != 1)
                continue;
            ProtobufReader entry(entries.bytes().toByteArray());
            while (entry.next()) {
                if (entry.field() == 1)
                    names << entry.text();
            }
        }
    } else if (!list.trimmed().isEmpty()) {
        QJsonParseError error;
        const QJsonDocument json = QJsonDocument::fromJson(list, &error);
        if (!json.isObject())
            throw DeckError(
                QString(),
                QStringLiteral("its media list is not JSON (%1)").arg(error.errorString()));
        for (const QJsonValue value : json.object())
            names << value.toString();
    }
    for (const QString& name : names) {
        if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\') || name == u"." ||
            isOutside(name))
            throw DeckError(QString(), QStringLiteral("its media list names '%1', a file outside "
                                                      "the media folder")
                                           .arg(name));
    }
}

struct CardTemplate {
    QString name;
    std::optional<anki::Template> front;
    std::optional<anki::Template> back;
    QString fault; // why the template cannot be rendered
};

struct NoteType {
    QString name;
    bool cloze = false;
    QStringList fields;
    std::vector<CardTemplate> templates;
};

CardTemplate cardTemplate(const QString& name, const QString& front, const QString& back) {
    CardTemplate made{name, {}, {}, {}};
    try {
        made.front.emplace(front);
        made.back.emplace(back);
    } catch (const DeckError& error) {
        made.fault = error.reason();
    }
    return made;
}

struct Collection {
    std::map<qint64, NoteType> noteTypes;
    std::map<qint64, QString> decks;
};

QJsonObject jsonColumn(const SqliteFile& file, const char* sql) {
    SqliteFile::Query query(file, sql);
    if (!query.step())
        throw DeckError(QString(), QStringLiteral("its collection has no row in 'col'"));
    const QJsonDocument json = QJsonDocument::fromJson(query.text(0).toUtf8());
    if (!json.isObject())
        throw DeckError(QString(), QStringLiteral("its collection's note types or decks are not "
                                                  "JSON"));
    return json.object();
}

// Anki 2.0 and 2.1 keep note types and decks as JSON in the one row of 'col'.
Collection legacyCollection(const SqliteFile& file) {
    Collection collection;
    const QJsonObject models = jsonColumn(file, "SELECT models FROM col");
    for (auto it = models.begin(); it != models.end(); ++it) {
        const QJsonObject model = it.value().toObject();
        NoteType type;
        type.name = model.value(u"name").toString();
        type.cloze = model.value(u"type").toInt() == 1;
        std::map<int, QString> fields;
        for (const QJsonValue field : model.value(u"flds").toArray())
            fields[field[u"ord"].toInt()] = field[u"name"].toString();
        for (const auto& [ord, name] : fields)
            type.fields << name;
        std::map<int, CardTemplate> templates;
        for (const QJsonValue t : model.value(u"tmpls").toArray())
            templates[t[u"ord"].toInt()] =
                cardTemplate(t[u"name"].toString(), t[u"qfmt"].toString(), t[u"afmt"].toString());
        for (auto& [ord, t] : templates)
            type.templates.push_back(std::move(t));
        collection.noteTypes[it.key().toLongLong()] = std::move(type);
    }
    const QJsonObject decks = jsonColumn(file, "SELECT decks FROM col");
    for (auto it = decks.begin(); it != decks.end(); ++it)
        collection.decks[it.key().toLongLong()] = it.value()[u"name"].toString();
    return collection;
}

// Anki 2.1.28 and later: tables of their own, configurations as protocol buffers.
Collection newerCollection(const SqliteFile& file) {
    Collection collection;
    SqliteFile::Query types(file, "SELECT id, name, config FROM notetypes");
    while (types.step()) {
        NoteType& type = collection.noteTypes[types.integer(0)];
        type.name = types.text(1);
        ProtobufReader config(types.blob(2));
        while (config.next()) {
            if (config.field() == 1)
                type.cloze = config.number() == 1;
        }
    }
    SqliteFile::Query fields(file, "SELECT ntid, name FROM fields ORDER BY ntid, ord");
    while (fields.step()) {
        const auto type = collection.noteTypes.find(fields.integer(0));
        if (type != collection.noteTypes.end())
            type->second.fields << fields.text(1);
    }
    SqliteFile::Query templates(file,
                                "SELECT ntid, name, config FROM templates ORDER BY ntid, ord");
    while (templates.step()) {
        const auto type = collection.noteTypes.find(templates.integer(0));
        if (type == collection.noteTypes.end())
            continue;
        QString front;
        QString back;
        ProtobufReader config(templates.blob(2));
        while (config.next()) {
            if (config.field() == 1)
                front = config.text();
            else if (config.field() == 2)
                back = config.text();
        }
        type->second.templates.push_back(cardTemplate(templates.text(1), front, back));
    }
    SqliteFile::Query decks(file, "SELECT id, name FROM decks");
    while (decks.step())
        collection.decks[decks.integer(0)] =
            decks.text(1).replace(QChar(0x1f), QStringLiteral("::"));
    return collection;
}

// What Anki's reviewer would not show as text: styles, scripts, comments, typing boxes,
// text read aloud.
QString shownHtml(const QString& html) {
    static const std::pair<QString, QString> hidden[] = {
        {QStringLiteral("<style"), QStringLiteral("</style>")},
        {QStringLiteral("<script"), QStringLiteral("</script>")},
        {QStringLiteral("<!--"), QStringLiteral("-->")},
        {QStringLiteral("[anki:tts"), QStringLiteral("[/anki:tts]")}};
    // One pass each, not a pattern that could search to the end from every start.
    QString shown = html;
    for (const auto& [open, close] : hidden) {
        QString kept;
        qsizetype from = 0;
        qsizetype at = 0;
        while ((at = shown.indexOf(open, from, Qt::CaseInsensitive)) >= 0) {
            kept += QStringView(shown).mid(from, at - from);
            const qsizetype end = shown.indexOf(close, at + open.size(), Qt::CaseInsensitive);
            from = end < 0 ? shown.size() : end + close.size();
        }
        kept += QStringView(shown).mid(from);
        shown = kept;
    }
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    // Line breaks in HTML are blanks; <br> and <div> make the lines.
    return shown.replace(blanks, QStringLiteral(" "));
}

// Lines without the blanks around them, at most one empty line between two.
QString tidy(const QString& text) {
    QStringList lines;
    for (const QString& line : text.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() || (!lines.isEmpty() && !lines.last().isEmpty()))
            lines << trimmed;
    }
    return lines.join(u'\n').trimmed();
}

// The back as Anki shows it once the front has been seen: what follows <hr id=answer>.
QString backOnly(const QString& html) {
    static const QRegularExpression rule(
        QStringLiteral("<hr[^>]*\\bid\\s*=\\s*[\"']?answer\\b[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    qsizetype from = 0;
    for (auto it = rule.globalMatch(html); it.hasNext();)
        from = it.next().capturedEnd();
    return html.mid(from);
}

struct NoteRow {
    qint64 cardId = 0;
    int ord = 0;
    qint64 deck = 0;
    int flags = 0;
    QString guid;
    qint64 type = 0;
    QStringList tags;
    QStringList values;
};

// One card, or the reason it is none.
void takeCard(const Collection& collection, const NoteRow& row, const QString& where,
              const CardSink& sink, DeckReport& report) {
    const auto type = collection.noteTypes.find(row.type);
    if (type == collection.noteTypes.end()) {
        report.skipped.emplace_back(where, QStringLiteral("its note type is not in the package"));
        return;
    }
    const NoteType& noteType = type->second;
    const size_t templateAt = noteType.cloze ? 0 : size_t(row.ord);
    if (templateAt >= noteType.templates.size()) {
        report.skipped.emplace_back(where, QStringLiteral("its note type '%1' has no card %2")
                                               .arg(noteType.name)
                                               .arg(row.ord + 1));
        return;
    }
    const CardTemplate& cardTemplate = noteType.templates[templateAt];
    if (!cardTemplate.fault.isEmpty()) {
        report.skipped.emplace_back(where,
                                    QStringLiteral("card type '%1' of '%2': %3")
                                        .arg(cardTemplate.name, noteType.name, cardTemplate.fault));
        return;
    }

    anki::CardFields card;
    card.ord = row.ord;
    for (qsizetype i = 0; i < noteType.fields.size(); ++i)
        card.fields.insert(noteType.fields[i], i < row.values.size() ? row.values[i] : QString());
    const auto deckName = collection.decks.find(row.deck);
    const QString deck =
        deckName != collection.decks.end() ? deckName->second : QStringLiteral("(Deck)");
    const auto special = [&](const QString& name, const QString& value) {
        if (!card.fields.contains(name))
            card.fields.insert(name, value);
    };
    special(QStringLiteral("Tags"), row.tags.join(u' '));
    special(QStringLiteral("Type"), noteType.name);
    special(QStringLiteral("Deck"), deck);
    special(QStringLiteral("Subdeck"), deck.section(QStringLiteral("::"), -1));
    special(QStringLiteral("CardFlag"), QStringLiteral("flag%1").arg(row.flags));
    special(QStringLiteral("Card"), cardTemplate.name);
    special(QStringLiteral("CardID"), QString::number(row.cardId));
    for (auto it = card.fields.cbegin(); it != card.fields.cend(); ++it) {
        if (!anki::fieldIsEmpty(it.value()))
            card.nonEmpty.insert(it.key());
    }

    if (noteType.cloze) {
        bool has = false;
        for (const QString& value : std::as_const(row.values))
            has = has || anki::clozeNumbers(value).contains(row.ord + 1);
        if (!has) {
            report.skipped.emplace_back(where, QStringLiteral("Anki leaves it empty: the note "
                                                              "has no deletion c%1")
                                                   .arg(row.ord + 1));
            return;
        }
    } else if (!cardTemplate.front->rendersWith(card.nonEmpty)) {
        report.skipped.emplace_back(where, QStringLiteral("Anki leaves it empty: its front "
                                                          "shows none of the note's filled "
                                                          "fields"));
        return;
    }

    Card made;
    try {
        const QString front = cardTemplate.front->render(card);
        card.frontSide = &front;
        const QString back = backOnly(cardTemplate.back->render(card));
        const QString frontHtml = shownHtml(front);
        const QString backHtml = shownHtml(back);
        made.question = tidy(plainText(frontHtml, report));
        made.answer = tidy(plainText(backHtml, report));
        noteMedia(frontHtml, where, report);
        noteMedia(backHtml, where, report);
    } catch (const DeckError& error) {
        report.skipped.emplace_back(where,
                                    QStringLiteral("card type '%1' of '%2': %3")
                                        .arg(cardTemplate.name, noteType.name, error.reason()));
        return;
    }
    if (made.question.trimmed().isEmpty() || made.answer.trimmed().isEmpty()) {
        report.skipped.emplace_back(where, made.question.trimmed().isEmpty()
                                               ? QStringLiteral("no question")
                                               : QStringLiteral("no answer"));
        return;
    }
    addDeckNames(made.names, deck);
    for (const QString& tag : row.tags)
        made.names.push_back({Name::Tag, tag});
    made.names.push_back({Name::NoteType, noteType.name});
    made.identity = row.ord == 0 ? row.guid : row.guid + u'/' + QString::number(row.ord);
    made.where = where;
    sink(std::move(made));
}

} // namespace

bool isAnkiPackage(const QStringList& names) {
    return names.contains(Anki2) || names.contains(Anki21) ||
           (names.contains(Meta) && names.contains(Anki21b));
}

void readAnkiPackage(const DeckInput& input, const DeckOptions&, const CardSink& sink,
                     DeckReport& report) {
    const Zip zip(input.path);
    if (!isAnkiPackage(zip.names()))
        throw DeckError(QString(), QStringLiteral("the zip holds no Anki collection (%1, %2 or "
                                                  "%3 with its meta)")
                                       .arg(Anki2, Anki21, Anki21b));
    for (const QString& name : zip.names()) {
        if (isOutside(name))
            throw DeckError(QString(), QStringLiteral("it holds '%1', a file outside the folder "
                                                      "it would be unpacked in")
                                           .arg(name));
    }
    const Layout layout = layoutOf(zip);
    checkMedia(zip, layout);

    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/memvane-package-XXXXXX"));
    if (!folder.isValid())
        throw DeckError(
            QString(),
            QStringLiteral("no private folder to open it in (%1)").arg(folder.errorString()));
    const QString copy = folder.filePath(QStringLiteral("collection"));
    {
        QFile out(copy);
        if (!out.open(QIODevice::WriteOnly))
            throw DeckError(QString(),
                            QStringLiteral("cannot write '%1': %2").arg(copy, out.errorString()));
        const auto write = [&](const char* data, qsizetype size) {
            if (out.write(data, size) != size)
                throw DeckError(
                    QString(),
                    QStringLiteral("cannot write '%1': %2").arg(copy, out.errorString()));
        };
        if (layout.zstd) {
            ZstdInflater inflater(layout.collection, PackageInflationLimit, write);
            zip.read(layout.collection, PackageInflationLimit,
                     [&](const char* data, qsizetype size) { inflater.feed(data, size); });
            inflater.finish();
        } else {
            zip.read(layout.collection, PackageInflationLimit, write);
        }
    }

    QStringList tables = {QStringLiteral("notes"), QStringLiteral("cards")};
    if (layout.zstd)
        tables << QStringLiteral("notetypes") << QStringLiteral("fields")
               << QStringLiteral("templates") << QStringLiteral("decks");
    else
        tables << QStringLiteral("col");
    const SqliteFile file(copy, tables);
    const Collection collection = layout.zstd ? newerCollection(file) : legacyCollection(file);

    // Notes in their order, each note's cards by Anki's index on them: no sort of the whole.
    SqliteFile::Query cards(file, "SELECT cards.id, cards.ord, cards.did, cards.odid, "
                                  "cards.flags, notes.id, notes.guid, notes.mid, notes.tags, "
                                  "notes.flds FROM notes CROSS JOIN cards ON cards.nid = notes.id "
                                  "ORDER BY notes.id, cards.ord");
    int cardNumber = 0;
    int noteNumber = 0;
    qint64 lastNote = 0;
    NoteRow row;
    while (cards.step()) {
        row.cardId = cards.integer(0);
        row.ord = int(cards.integer(1));
        row.deck = cards.integer(3) != 0 ? cards.integer(3) : cards.integer(2);
        row.flags = int(cards.integer(4));
        if (noteNumber == 0 || cards.integer(5) != lastNote) {
            lastNote = cards.integer(5);
            ++noteNumber;
            row.guid = cards.text(6);
            row.type = cards.integer(7);
            static const QRegularExpression blanks(QStringLiteral("\\s+"));
            row.tags = cards.text(8).split(blanks, Qt::SkipEmptyParts);
            row.values = cards.text(9).split(QChar(0x1f));
        }
        ++cardNumber;
        takeCard(collection, row,
                 QStringLiteral("card %1 (note %2)").arg(cardNumber).arg(noteNumber), sink, report);
    }
}

} // namespace decks
