#include "tools/decks/DeckFile.h"

#include "store/BankError.h"
#include "store/CsvReader.h"
#include "store/QuestionCsv.h"
#include "tools/decks/AnkiPackage.h"
#include "tools/decks/KvtmlReader.h"
#include "tools/decks/MnemosyneCards.h"
#include "tools/decks/TextReaders.h"
#include "tools/decks/Zip.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace decks {

namespace {

// Our own CSV: each row is a card that carries its ID, topic, sets and marks.
void readOwnCsv(QIODevice& file, const CardSink& sink) {
    store::QuestionReader reader([&](const store::Question& q) {
        Card card;
        card.question = q.question.value_or(QString());
        card.answer = q.answer.value_or(QString());
        if (q.category)
            card.names.push_back({Name::Topic, *q.category});
        card.where = QStringLiteral("ID %1").arg(q.id);
        card.own = q;
        sink(std::move(card));
    });
    readInPieces(file, [&](QByteArrayView bytes) { reader.feed(bytes); });
    reader.finish();
}

bool isUtf16(const QByteArray& head) {
    return head.startsWith("\xff\xfe") || head.startsWith("\xfe\xff") ||
           (head.size() >= 2 && (head[0] == 0 || head[1] == 0));
}

// Text in another encoding, as UTF-8 in memory: the readers take nothing else.
QByteArray recoded(QIODevice& file, Encoding encoding) {
    QStringDecoder decode(encoding == Encoding::Latin1 ? QStringConverter::Latin1
                                                       : QStringConverter::Utf16);
    const QString text = decode(file.readAll());
    if (decode.hasError())
        throw DeckError(lineText(1), QStringLiteral("the text is not UTF-16"));
    return text.toUtf8();
}

// A zip is a package of Anki's or Mnemosyne's by what it holds.
std::optional<Format> zipFormat(const QString& path) {
    try {
        const QStringList names = Zip(path).names();
        if (isAnkiPackage(names))
            return Format::Apkg;
        if (isMnemosyneCards(names))
            return Format::Cards;
    } catch (const DeckError&) {
        // A damaged zip is read as its name says, to say what is wrong with it.
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix == u"apkg" || suffix == u"colpkg")
            return Format::Apkg;
        if (suffix == u"cards")
            return Format::Cards;
    }
    return std::nullopt;
}

} // namespace

const QStringList& formatNames() {
    static const QStringList names = {QStringLiteral("csv"),     QStringLiteral("kvtml"),
                                      QStringLiteral("anki"),    QStringLiteral("tsv"),
                                      QStringLiteral("quizlet"), QStringLiteral("apkg"),
                                      QStringLiteral("cards")};
    return names;
}

QString kindText(Name::Kind kind) {
    switch (kind) {
    case Name::Lesson:
        return QStringLiteral("lesson");
    case Name::Deck:
        return QStringLiteral("deck");
    case Name::Tag:
        return QStringLiteral("tag");
    case Name::NoteType:
        return QStringLiteral("note type");
    case Name::Topic:
        break;
    }
    return QStringLiteral("topic");
}

QString lineText(int line) {
    return QStringLiteral("line %1").arg(line);
}

std::optional<Format> findFormat(const QByteArray& head, const QString& path) {
    if (Zip::looksLikeZip(head))
        return zipFormat(path);
    QByteArray start = head;
    if (start.startsWith("\xef\xbb\xbf"))
        start = start.mid(3);
    start = start.trimmed();
    if (start.startsWith('<'))
        return Format::Kvtml;
    if (start.startsWith('#') && isAnkiHeader(start))
        return Format::Anki;
    const qsizetype lineEnd = start.indexOf('\n');
    const QByteArray firstLine = (lineEnd < 0 ? start : start.left(lineEnd)).toLower();
    for (const char separator : {',', ';', '\t'}) {
        const QList<QByteArray> names = firstLine.trimmed().split(separator);
        if (names.contains("id") && names.contains("question"))
            return Format::Csv;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"kvtml" || suffix == u"xml")
        return Format::Kvtml;
    // A spreadsheet's two columns, without our header, are read as Anki reads them.
    if (suffix == u"csv")
        return firstLine.contains("question") ? Format::Csv : Format::Anki;
    if (suffix == u"tsv")
        return Format::Tsv;
    if (suffix == u"txt")
        return Format::Anki;
    return std::nullopt;
}

void readDeck(const QString& path, const DeckOptions& options, const CardSink& sink,
              DeckReport& report) {
    QFile file(path);
    if (QFileInfo(path).isDir())
        throw store::BankError(QStringLiteral("cannot read '%1': it is a folder").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        throw store::BankError(
            QStringLiteral("cannot read '%1': %2").arg(path, file.errorString()));
    const QByteArray head = file.peek(4096);
    const std::optional<Format> format = options.format ? options.format : findFormat(head, path);
    if (!format)
        throw store::BankError(QStringLiteral("'%1' is in no format memvane-bank knows (%2); "
                                              "--from names it")
                                   .arg(path, formatNames().join(QStringLiteral(", "))));
    report.format = *format;
    try {
        QBuffer buffer;
        QIODevice* text = &file;
        if (*format != Format::Kvtml && *format != Format::Apkg && *format != Format::Cards) {
            if (options.encoding != Encoding::Utf8) {
                buffer.setData(recoded(file, options.encoding));
                buffer.open(QIODevice::ReadOnly);
                text = &buffer;
            } else if (isUtf16(head)) {
                throw DeckError(lineText(1), QStringLiteral("the text is UTF-16, not UTF-8; "
                                                            "--encoding utf-16 reads it"));
            }
        }
        switch (*format) {
        case Format::Csv:
            readOwnCsv(*text, sink);
            break;
        case Format::Kvtml:
            readKvtml(*text, options, sink, report);
            break;
        case Format::Anki:
            readAnki(*text, options, sink, report);
            break;
        case Format::Tsv:
            readMnemosyne(*text, sink, report);
            break;
        case Format::Quizlet:
            readQuizlet(*text, options, sink, report);
            break;
        case Format::Apkg:
            readAnkiPackage(path, sink, report);
            break;
        case Format::Cards:
            readMnemosyneCards(path, sink, report);
            break;
        }
    } catch (const store::CsvError& error) {
        QString reason = error.reason();
        if (reason.contains(u"UTF-8"))
            reason += QStringLiteral(" (--encoding latin1 or utf-16 says what it is)");
        throw store::BankError(
            QStringLiteral("%1, line %2: %3").arg(path).arg(error.line()).arg(reason));
    } catch (const DeckError& error) {
        throw store::BankError(QStringLiteral("%1, %2").arg(path, error.description()));
    }
}

} // namespace decks
