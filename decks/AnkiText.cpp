#include "decks/AnkiText.h"

#include "decks/CardParts.h"
#include "decks/Html.h"
#include "decks/TextInput.h"
#include "store/CsvReader.h"
#include "store/SetNames.h"

#include <QIODevice>
#include <QRegularExpression>

namespace decks {

namespace {

const QStringList AnkiKeys = {
    QStringLiteral("separator"),       QStringLiteral("html"),        QStringLiteral("tags"),
    QStringLiteral("columns"),         QStringLiteral("deck"),        QStringLiteral("notetype"),
    QStringLiteral("notetype column"), QStringLiteral("deck column"), QStringLiteral("tags column"),
    QStringLiteral("guid column")};

struct AnkiHeader {
    std::optional<char> separator;
    bool html = true;
    QStringList tags;
    QString deck;
    QStringList columns; // #columns: lines, as given
    int deckColumn = 0;  // 1-based; 0: none
    int tagsColumn = 0;
    int guidColumn = 0;
    int notetypeColumn = 0;
    int lines = 0; // the header's, comments among them
};

// "#key:value" with the key in any case; nullopt for a comment.
std::optional<std::pair<QString, QString>> headerLine(const QString& line) {
    const qsizetype colon = line.indexOf(u':');
    if (!line.startsWith(u'#') || colon < 0)
        return std::nullopt;
    const QString key = line.mid(1, colon - 1).trimmed().toLower();
    if (!AnkiKeys.contains(key))
        return std::nullopt;
    QString value = line.mid(colon + 1).trimmed();
    // A spreadsheet pads the line with separators to the width of the table.
    while (value.size() > 1 && QStringView(u"\t,;|").contains(value.back()))
        value.chop(1);
    return std::pair{key, value.trimmed()};
}

char separatorNamed(const QString& value, int line) {
    static const QHash<QString, char> names = {
        {QStringLiteral("tab"), '\t'},      {QStringLiteral("comma"), ','},
        {QStringLiteral("semicolon"), ';'}, {QStringLiteral("space"), ' '},
        {QStringLiteral("pipe"), '|'},      {QStringLiteral("colon"), ':'}};
    const QString name = value.toLower();
    if (names.contains(name))
        return names.value(name);
    if (value.size() == 1 && value[0].unicode() < 0x80)
        return char(value[0].unicode());
    throw DeckError(lineText(line),
                    QStringLiteral("#separator:%1 names no separator (tab, comma, semicolon, "
                                   "space, pipe, colon or one character)")
                        .arg(value));
}

int columnNumber(const QString& key, const QString& value, int line) {
    bool ok = false;
    const int column = value.toInt(&ok);
    if (!ok || column < 1)
        throw DeckError(lineText(line),
                        QStringLiteral("#%1:%2 is not a column number").arg(key, value));
    return column;
}

// The separator Anki would guess from a line: a tab, else a semicolon, a comma, a pipe.
char guessSeparator(const QByteArray& text) {
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype end = text.indexOf('\n', at);
        if (end < 0)
            end = text.size();
        const QByteArray line = text.mid(at, end - at).trimmed();
        at = end + 1;
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        for (const char c : {'\t', ';', ',', '|'}) {
            if (line.contains(c))
                return c;
        }
        break;
    }
    return '\t';
}

QString separatorName(char c) {
    return c == '\t' ? QStringLiteral("tab") : QStringLiteral("'%1'").arg(QLatin1Char(c));
}

// Lines split into more fields than there are lines: the separator of the fields inside them,
// the one most of them hold, is the likelier one.
DeckReport::Crowded crowding(char separator, const QStringList& fields, int average) {
    QString inner = QStringLiteral("','");
    qsizetype most = 0;
    for (const QString& candidate :
         {QStringLiteral(","), QStringLiteral(" - "), QStringLiteral(":"), QStringLiteral("\\t")}) {
        const QString plain = candidate == u"\\t" ? QStringLiteral("\t") : candidate;
        const auto holding = std::count_if(fields.begin(), fields.end(),
                                           [&](const QString& f) { return f.contains(plain); });
        if (holding > most) {
            most = holding;
            inner = u'\'' + candidate + u'\'';
        }
    }
    return {separator == '\t' ? QStringLiteral("'\\t'")
                              : QStringLiteral("'%1'").arg(QLatin1Char(separator)),
            inner, average};
}

// HTML with no tab, line end or double quote left, so no field needs quoting.
QString html(const QString& text) {
    return text.toHtmlEscaped()
        .replace(u'\t', QStringLiteral("&#9;"))
        .replace(u'\r', QStringLiteral("&#13;"))
        .replace(u'\n', QStringLiteral("<br>"));
}

// Anki's tags are separated by blanks and hold none.
QString tag(const QString& name) {
    QString out;
    for (const QChar c : name.trimmed())
        out += c.isSpace() ? u'_' : c;
    return out;
}

// A field that is not HTML is quoted as RFC 4180 says when it must be.
QString field(const QString& text) {
    if (!text.contains(u'"') && !text.contains(u'\t') && !text.contains(u'\n') &&
        !text.contains(u'\r'))
        return text;
    QString quoted = text;
    return u'"' + quoted.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

bool isAnkiHeader(const QByteArray& start) {
    const qsizetype end = start.indexOf('\n');
    return headerLine(QString::fromUtf8(end < 0 ? start : start.left(end))).has_value();
}

namespace {

// The header lines at the file's start, read up to the first line of cards.
AnkiHeader readHeader(QIODevice& file) {
    AnkiHeader header;
    int& line = header.lines;
    if (file.peek(3) == "\xef\xbb\xbf")
        file.read(3);
    while (file.peek(1) == "#") {
        ++line;
        const QByteArray bytes = file.readLine();
        const QString text = decoded(bytes, line).trimmed();
        const auto pair = headerLine(text);
        if (!pair)
            continue;
        const auto& [key, value] = *pair;
        if (key == u"separator")
            header.separator = separatorNamed(value, line);
        else if (key == u"html")
            header.html = value.compare(u"true", Qt::CaseInsensitive) == 0;
        else if (key == u"tags")
            header.tags = value.split(u' ', Qt::SkipEmptyParts);
        else if (key == u"deck")
            header.deck = value.size() > 1 && value.startsWith(u'"') && value.endsWith(u'"')
                              ? value.mid(1, value.size() - 2)
                                    .replace(QStringLiteral("\"\""), QStringLiteral("\""))
                              : value;
        else if (key == u"columns")
            header.columns << value;
        else if (key == u"deck column")
            header.deckColumn = columnNumber(key, value, line);
        else if (key == u"tags column")
            header.tagsColumn = columnNumber(key, value, line);
        else if (key == u"guid column")
            header.guidColumn = columnNumber(key, value, line);
        else if (key == u"notetype column")
            header.notetypeColumn = columnNumber(key, value, line);
    }
    return header;
}

// Columns named Tags, Deck or GUID are those when no header line says otherwise.
void nameColumns(AnkiHeader& header, char separator) {
    if (header.columns.isEmpty())
        return;
    const QStringList names = header.columns.first().split(QLatin1Char(separator));
    for (int i = 0; i < names.size(); ++i) {
        const QString name = names[i].trimmed().toLower();
        int* column = name == u"tags"   ? &header.tagsColumn
                      : name == u"deck" ? &header.deckColumn
                      : name == u"guid" ? &header.guidColumn
                                        : nullptr;
        if (column && *column == 0)
            *column = i + 1;
    }
}

// The card of a line, its names from the header and its columns; nullopt, with the line
// reported as skipped, when the separator leaves it one field.
std::optional<Card> ankiCard(const store::CsvRecord& record, const AnkiHeader& header,
                             char separator, DeckReport& report) {
    static const QRegularExpression answerRule(
        QStringLiteral("<hr\\s+id\\s*=\\s*[\"']?answer[\"']?\\s*/?>"),
        QRegularExpression::CaseInsensitiveOption);
    Card card;
    card.where = lineText(record.line);
    QStringList fields;
    QStringList tags;
    for (int i = 0; i < int(record.fields.size()); ++i) {
        const QString value = record.fields[size_t(i)].value_or(QString());
        const int column = i + 1;
        if (column == header.guidColumn)
            card.identity = value.trimmed();
        else if (column == header.tagsColumn)
            tags = value.split(u' ', Qt::SkipEmptyParts);
        else if (column == header.deckColumn)
            addDeckNames(card.names, value);
        else if (column != header.notetypeColumn)
            fields << value;
    }
    if (header.deckColumn == 0 && !header.deck.isEmpty())
        addDeckNames(card.names, header.deck);
    tags += header.tags;
    for (const QString& tag : std::as_const(tags))
        card.names.push_back({Name::Tag, tag});
    if (fields.size() < 2) {
        report.skipped.emplace_back(card.where,
                                    QStringLiteral("one field only: the separator (%1) does "
                                                   "not split it")
                                        .arg(separatorName(separator)));
        return std::nullopt;
    }
    // Further fields go below the answer, each on a line of its own.
    QString answer = fields[1];
    for (int i = 2; i < fields.size(); ++i) {
        if (!fields[i].trimmed().isEmpty())
            answer += (header.html ? QStringLiteral("<br>") : QStringLiteral("\n")) + fields[i];
    }
    if (header.html) {
        // A "Cards" export repeats the question above the answer.
        const auto rule = answerRule.match(answer);
        if (rule.hasMatch())
            answer = answer.mid(rule.capturedEnd());
        card.question = plainText(fields[0], report, card.where);
        card.answer = plainText(answer, report, card.where);
    } else {
        card.question = fields[0];
        card.answer = answer;
    }
    return card;
}

} // namespace

void readAnki(const DeckInput& input, const DeckOptions&, const CardSink& sink,
              DeckReport& report) {
    QIODevice& file = input.text;
    AnkiHeader header = readHeader(file);
    const char separator = header.separator.value_or(guessSeparator(file.peek(PieceBytes)));
    nameColumns(header, separator);
    int records = 0;
    int unsplit = 0;
    int cards = 0;
    qint64 fieldCount = 0;
    QStringList firstFields;
    store::CsvOptions csv;
    csv.separator = separator;
    csv.strict = false;
    csv.comments = true;
    csv.firstLine = header.lines + 1;
    store::CsvReader reader(
        [&](store::CsvRecord&& record) {
            ++records;
            fieldCount += qint64(record.fields.size());
            if (records == 1) {
                for (const auto& field : record.fields)
                    firstFields << field.value_or(QString());
            }
            std::optional<Card> card = ankiCard(record, header, separator, report);
            if (!card) {
                ++unsplit;
                return;
            }
            ++cards;
            take(std::move(*card), sink, report);
        },
        csv);
    readInPieces(file, [&](QByteArrayView bytes) { reader.feed(bytes); });
    reader.finish();
    if (!header.separator && header.columns.isEmpty() && records > 0 &&
        fieldCount > qint64(records) * std::max(records, 5))
        report.crowded = crowding(separator, firstFields, int(fieldCount / records));
    if (cards == 0 && unsplit > 0)
        throw DeckError(QString(), QStringLiteral("the separator (%1) %2 into "
                                                  "question and answer; #separator names "
                                                  "another")
                                       .arg(separatorName(separator), splitsNone(records, "line")));
}

QByteArray writeAnkiNotes(const BankContent& bank) {
    QString text = QStringLiteral("#separator:tab\n#html:true\n#deck:Memvane\n"
                                  "#guid column:1\n#tags column:4\n");
    for (const store::Question& q : bank.questions) {
        QStringList tags;
        if (const QString topic = tag(q.category.value_or(QString())); !topic.isEmpty())
            tags << topic;
        for (const QString& name : store::setNames(q))
            tags << tag(name);
        const QString guid = bank.guids.value(q.id, QStringLiteral("memvane-%1").arg(q.id));
        text += QStringLiteral("%1\t%2\t%3\t%4\n")
                    .arg(field(guid), html(q.question.value_or(QString())),
                         html(q.answer.value_or(QString())), field(tags.join(u' ')));
    }
    return text.toUtf8();
}

} // namespace decks
