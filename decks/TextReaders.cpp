#include "decks/TextReaders.h"

#include "decks/CardParts.h"
#include "decks/Html.h"
#include "store/CsvReader.h"

#include <QIODevice>
#include <QRegularExpression>
#include <QStringDecoder>

namespace decks {

void readInPieces(QIODevice& file, const std::function<void(QByteArrayView)>& feed) {
    QByteArray piece(PieceBytes, Qt::Uninitialized);
    for (;;) {
        const qint64 read = file.read(piece.data(), PieceBytes);
        if (read < 0)
            throw DeckError(QString(), file.errorString());
        if (read == 0)
            break;
        feed(QByteArrayView(piece.constData(), read));
    }
}

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
    int deckColumn = 0; // 1-based; 0: none
    int tagsColumn = 0;
    int guidColumn = 0;
    int notetypeColumn = 0;
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

QString decoded(QByteArrayView bytes, int line) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        throw DeckError(lineText(line), QStringLiteral("the text is not UTF-8 (--encoding "
                                                       "latin1 or utf-16 says what it is)"));
    for (const QChar c : text) {
        if ((c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c.unicode() == 0x7f)
            throw DeckError(lineText(line),
                            QStringLiteral("a control character (U+%1) that is "
                                           "no text")
                                .arg(QString::number(c.unicode(), 16).toUpper(), 4, u'0'));
    }
    return text;
}

// The separator Anki would guess from a line: a tab, else a semicolon, else a comma.
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

// "does not split its one line", "splits none of its 3 lines".
QString splitsNone(int n, const char* what) {
    return n == 1 ? QStringLiteral("does not split its one %1").arg(QLatin1String(what))
                  : QStringLiteral("splits none of its %1 %2s").arg(n).arg(QLatin1String(what));
}

// A card of the question and the answer fields, or the reason it is none.
void take(Card&& card, const CardSink& sink, DeckReport& report) {
    if (card.question.trimmed().isEmpty() || card.answer.trimmed().isEmpty()) {
        report.skipped.emplace_back(card.where, card.question.trimmed().isEmpty()
                                                    ? QStringLiteral("no question")
                                                    : QStringLiteral("no answer"));
        return;
    }
    sink(std::move(card));
}

// Lines of a whole text, however they end, each with its number.
template <typename Each> void eachLine(const QString& text, Each each) {
    int number = 1;
    qsizetype at = 0;
    while (at <= text.size()) {
        qsizetype end = at;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        each(QStringView(text).mid(at, end - at), number++);
        if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() &&
            text[end + 1] == u'\n')
            ++end;
        at = end + 1;
    }
}

QString wholeText(QIODevice& file) {
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xef\xbb\xbf"))
        bytes.remove(0, 3);
    // Decoded line by line, so that a fault names its line.
    QString text;
    int line = 1;
    qsizetype at = 0;
    while (at < bytes.size()) {
        qsizetype end = at;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        if (end < bytes.size())
            end += bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
        text += decoded(QByteArrayView(bytes).sliced(at, end - at), line++);
        at = end;
    }
    return text;
}

QString escapes(QString separator) {
    return separator.replace(QStringLiteral("\\t"), QStringLiteral("\t"))
        .replace(QStringLiteral("\\n"), QStringLiteral("\n"));
}

} // namespace

bool isAnkiHeader(const QByteArray& start) {
    const qsizetype end = start.indexOf('\n');
    return headerLine(QString::fromUtf8(end < 0 ? start : start.left(end))).has_value();
}

void readAnki(QIODevice& file, const DeckOptions& options, const CardSink& sink,
              DeckReport& report) {
    AnkiHeader header;
    QStringList columns;
    int line = 0;
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
            columns << value;
        else if (key == u"deck column")
            header.deckColumn = columnNumber(key, value, line);
        else if (key == u"tags column")
            header.tagsColumn = columnNumber(key, value, line);
        else if (key == u"guid column")
            header.guidColumn = columnNumber(key, value, line);
        else if (key == u"notetype column")
            header.notetypeColumn = columnNumber(key, value, line);
    }
    const char separator = header.separator.value_or(guessSeparator(file.peek(PieceBytes)));
    // Columns named Tags, Deck or GUID are those when no header line says otherwise.
    if (!columns.isEmpty()) {
        const QStringList names = columns.first().split(QLatin1Char(separator));
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
    static const QRegularExpression answerRule(
        QStringLiteral("<hr\\s+id\\s*=\\s*[\"']?answer[\"']?\\s*/?>"),
        QRegularExpression::CaseInsensitiveOption);
    int records = 0;
    int unsplit = 0;
    int cards = 0;
    qint64 fieldCount = 0;
    QStringList firstFields;
    store::CsvOptions csv;
    csv.separator = separator;
    csv.strict = false;
    csv.comments = true;
    csv.firstLine = line + 1;
    store::CsvReader reader(
        [&](store::CsvRecord&& record) {
            ++records;
            fieldCount += qint64(record.fields.size());
            if (records == 1) {
                for (const auto& field : record.fields)
                    firstFields << field.value_or(QString());
            }
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
            for (const QStringList* list : {&tags, &header.tags}) {
                for (const QString& tag : *list)
                    card.names.push_back({Name::Tag, tag});
            }
            if (fields.size() < 2) {
                ++unsplit;
                report.skipped.emplace_back(card.where,
                                            QStringLiteral("one field only: the separator (%1) "
                                                           "does not split it")
                                                .arg(separatorName(separator)));
                return;
            }
            // Further fields go below the answer, each on a line of its own.
            QString answer = fields[1];
            for (int i = 2; i < fields.size(); ++i) {
                if (!fields[i].trimmed().isEmpty())
                    answer +=
                        (header.html ? QStringLiteral("<br>") : QStringLiteral("\n")) + fields[i];
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
            ++cards;
            take(std::move(card), sink, report);
        },
        csv);
    readInPieces(file, [&](QByteArrayView bytes) { reader.feed(bytes); });
    reader.finish();
    if (!header.separator && columns.isEmpty() && records > 0 &&
        fieldCount > qint64(records) * std::max(records, 5))
        report.crowded = crowding(separator, firstFields, int(fieldCount / records));
    if (cards == 0 && unsplit > 0)
        throw DeckError(QString(), QStringLiteral("the separator (%1) %2 into "
                                                  "question and answer; #separator names "
                                                  "another")
                                       .arg(separatorName(separator), splitsNone(records, "line")));
}

void readMnemosyne(QIODevice& file, const CardSink& sink, DeckReport& report) {
    const QString text = wholeText(file);
    int lines = 0;
    int cards = 0;
    eachLine(text, [&](QStringView line, int number) {
        if (line.trimmed().isEmpty())
            return;
        ++lines;
        const QList<QStringView> fields = line.split(u'\t');
        Card card;
        card.where = lineText(number);
        if (fields.size() < 2) {
            report.skipped.emplace_back(card.where,
                                        QStringLiteral("one field only: no tab splits it"));
            return;
        }
        card.question = decodeEntities(fields[0].toString(), true).trimmed();
        QStringList answer;
        for (qsizetype i = 1; i < fields.size(); ++i) {
            if (!fields[i].trimmed().isEmpty())
                answer << decodeEntities(fields[i].toString(), true).trimmed();
        }
        card.answer = answer.join(u'\n');
        ++cards;
        take(std::move(card), sink, report);
    });
    if (cards == 0 && lines > 0)
        throw DeckError(QString(), QStringLiteral("a tab %1 into question and "
                                                  "answer")
                                       .arg(splitsNone(lines, "line")));
}

void readQuizlet(QIODevice& file, const DeckOptions& options, const CardSink& sink,
                 DeckReport& report) {
    const QString fieldSeparator = escapes(options.fieldSeparator);
    const QString cardSeparator = escapes(options.cardSeparator);
    if (fieldSeparator.isEmpty() || cardSeparator.isEmpty())
        throw DeckError(QString(), QStringLiteral("an empty separator splits nothing"));
    QString text = wholeText(file);
    if (cardSeparator.contains(u'\n'))
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    int cards = 0;
    int pieces = 0;
    int line = 1;
    qsizetype at = 0;
    while (at <= text.size()) {
        qsizetype end = text.indexOf(cardSeparator, at);
        if (end < 0)
            end = text.size();
        const QStringView piece = QStringView(text).mid(at, end - at);
        Card card;
        card.where = lineText(line);
        line += int(piece.count(u'\n') + QStringView(cardSeparator).count(u'\n'));
        at = end + cardSeparator.size();
        if (piece.trimmed().isEmpty())
            continue;
        ++pieces;
        const qsizetype split = piece.indexOf(fieldSeparator);
        if (split < 0) {
            report.skipped.emplace_back(card.where,
                                        QStringLiteral("no field separator between term and "
                                                       "definition"));
            continue;
        }
        card.question = piece.first(split).trimmed().toString();
        card.answer = piece.sliced(split + fieldSeparator.size()).trimmed().toString();
        ++cards;
        take(std::move(card), sink, report);
    }
    if (cards == 0 && pieces > 0)
        throw DeckError(QString(), QStringLiteral("the field separator %1 into term "
                                                  "and definition; --field-separator and "
                                                  "--card-separator name the export's")
                                       .arg(splitsNone(pieces, "card")));
}

} // namespace decks
