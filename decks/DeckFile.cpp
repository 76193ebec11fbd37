#include "decks/DeckFile.h"

#include "decks/AnkiPackage.h"
#include "decks/AnkiText.h"
#include "decks/MnemosyneCards.h"
#include "decks/Zip.h"
#include "store/CsvReader.h"
#include "store/NewFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace decks {

namespace {

bool isUtf16(const QByteArray& head) {
    return head.startsWith("\xff\xfe") || head.startsWith("\xfe\xff") ||
           (head.size() >= 2 && (head[0] == 0 || head[1] == 0));
}

// Text in another encoding, as UTF-8 in memory: the readers take nothing else.
QByteArray recoded(QIODevice& file, Encoding encoding) {
    QStringDecoder decode(encoding == Encoding::Latin1 ? QStringConverter::Latin1
                                                       : QStringConverter::Utf16);
    const QString text = decode(file.readAll());
    // Latin-1 takes every byte: only UTF-16 can fail.
    if (decode.hasError())
        throw DeckError(lineText(1), QStringLiteral("the text is not UTF-16"));
    return text.toUtf8();
}

// A zip is a package of Anki's or Mnemosyne's by what it holds.
std::optional<FoundFormat> zipFormat(const QString& path) {
    try {
        const QStringList names = Zip(path).names();
        if (isAnkiPackage(names))
            return FoundFormat{Format::Apkg,
                               QStringLiteral("found from its content: a zip of Anki's")};
        if (isMnemosyneCards(names))
            return FoundFormat{Format::Cards,
                               QStringLiteral("found from its content: a zip of Mnemosyne's")};
    } catch (const DeckError&) {
        // A damaged zip is read as its name says, to say what is wrong with it.
        const QString suffix = QFileInfo(path).suffix().toLower();
        const QString byName = QStringLiteral("guessed from its name, '.%1'").arg(suffix);
        if (suffix == u"apkg" || suffix == u"colpkg")
            return FoundFormat{Format::Apkg, byName, false};
        if (suffix == u"cards")
            return FoundFormat{Format::Cards, byName, false};
    }
    return std::nullopt;
}

// What a format guessed from the name made of the file: a refusal when most of it did not fit,
// naming the options that would read it.
void judgeGuess(const QString& path, const DeckReport& report, qint64 cards) {
    const auto skipped = qint64(report.skipped.size());
    const QString read =
        QStringLiteral("%1 was read as %2 (%3)").arg(path, formatTitle(report.format), report.how);
    if (cards == 0 && skipped == 0)
        return;
    if (skipped > cards) {
        const auto& [where, why] = report.skipped.front();
        throw DeckError(
            QString(),
            QStringLiteral("%1, but %2 of its %3 lines or entries gave no card (first %4: %5), "
                           "so it is no deck of that format. --from %6 reads it as %2 all the "
                           "same; the formats memvane-bank knows are %7. Nothing was written.")
                .arg(read)
                .arg(skipped)
                .arg(skipped + cards)
                .arg(where, why, formatInfo(report.format).name, knownFormats()));
    }
    if (report.crowded) {
        throw DeckError(
            QString(),
            QStringLiteral("%1, but %2 split by %3 into %4 fields, as if several cards stood on "
                           "a line. A Quizlet export with other separators is read by --from "
                           "quizlet --card-separator %3 --field-separator %5; --from %6 reads it "
                           "as %7 all the same. Nothing was written.")
                .arg(read,
                     cards == 1 ? QStringLiteral("its one line is")
                                : QStringLiteral("its lines are each"),
                     report.crowded->separator)
                .arg(report.crowded->fields)
                .arg(report.crowded->inner, formatInfo(report.format).name,
                     formatTitle(report.format)));
    }
}

} // namespace

std::optional<FoundFormat> findFormat(const QByteArray& head, const QString& path) {
    if (Zip::looksLikeZip(head))
        return zipFormat(path);
    QByteArray start = head;
    if (start.startsWith("\xef\xbb\xbf"))
        start = start.mid(3);
    start = start.trimmed();
    // Ciphered or binary bytes can look like anything: only text is read by its content.
    const bool text = !start.contains('\0');
    if (text && start.startsWith('<'))
        return FoundFormat{Format::Kvtml, QStringLiteral("found from its content: XML")};
    if (text && start.startsWith('#') && isAnkiHeader(start))
        return FoundFormat{Format::Anki,
                           QStringLiteral("found from its content: Anki's header lines")};
    const qsizetype lineEnd = start.indexOf('\n');
    const QByteArray firstLine = (lineEnd < 0 ? start : start.left(lineEnd)).toLower();
    for (const char separator : {',', ';', '\t'}) {
        const QList<QByteArray> names = firstLine.trimmed().split(separator);
        if (text && names.contains("id") && names.contains("question"))
            return FoundFormat{Format::Csv,
                               QStringLiteral("found from its content: a header naming ID and "
                                              "Question")};
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QString byName = QStringLiteral("guessed from its name, '.%1'").arg(suffix);
    if (suffix == u"kvtml" || suffix == u"xml")
        return FoundFormat{Format::Kvtml, byName, false};
    // A spreadsheet's two columns, without our header, are read as Anki reads them.
    if (suffix == u"csv")
        return FoundFormat{firstLine.contains("question") ? Format::Csv : Format::Anki, byName,
                           false};
    if (suffix == u"tsv")
        return FoundFormat{Format::Tsv, byName, false};
    if (suffix == u"txt")
        return FoundFormat{Format::Anki, byName, false};
    return std::nullopt;
}

void readDeck(const QString& path, const DeckOptions& options, const CardSink& sink,
              DeckReport& report) {
    QFile file(path);
    if (QFileInfo(path).isDir())
        throw DeckError(QString(), QStringLiteral("cannot read '%1': it is a folder").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        throw DeckError(QString(),
                        QStringLiteral("cannot read '%1': %2").arg(path, file.errorString()));
    const QByteArray head = file.peek(4096);
    std::optional<Format> format = options.format;
    bool guessed = false;
    if (format) {
        report.how = QStringLiteral("named by --from");
    } else if (const auto found = findFormat(head, path)) {
        format = found->format;
        report.how = found->how;
        guessed = !found->byContent;
    } else {
        throw DeckError(
            QString(),
            QStringLiteral("'%1' is in no format memvane-bank knows (%2); --from names it")
                .arg(path, knownFormats()));
    }
    report.format = *format;
    const FormatInfo& info = formatInfo(*format);
    qint64 cards = 0;
    const CardSink counted = [&](Card&& card) {
        ++cards;
        sink(std::move(card));
    };
    try {
        QBuffer buffer;
        QIODevice* text = &file;
        if (info.input == FormatInfo::Text) {
            if (options.encoding != Encoding::Utf8) {
                buffer.setData(recoded(file, options.encoding));
                buffer.open(QIODevice::ReadOnly);
                text = &buffer;
            } else if (isUtf16(head)) {
                throw DeckError(lineText(1), QStringLiteral("the text is UTF-16, not UTF-8; "
                                                            "--encoding utf-16 reads it"));
            }
        }
        info.read(DeckInput{*text, path}, options, counted, report);
    } catch (const store::CsvError& error) {
        QString reason = error.reason();
        if (reason.contains(u"UTF-8"))
            reason += QStringLiteral(" (--encoding latin1 or utf-16 says what it is)");
        throw DeckError(QString(),
                        QStringLiteral("%1, line %2: %3").arg(path).arg(error.line()).arg(reason));
    } catch (const DeckError& error) {
        throw DeckError(QString(), QStringLiteral("%1, %2").arg(path, error.description()));
    }
    if (cards == 0 && !report.skipped.empty()) {
        const auto& [where, why] = report.skipped.front();
        const qsizetype n = qsizetype(report.skipped.size());
        throw DeckError(
            QString(),
            (n == 1 ? QStringLiteral("%1 gives no card: its one card%2 (%3) was skipped for "
                                     "%4. Nothing was written.")
                    : QStringLiteral("%1 gives no card: each of its %2 lines or entries was "
                                     "skipped, the first (%3) for %4. Nothing was written."))
                .arg(path, n == 1 ? QString() : QString::number(n), where, why));
    }
    // A format its content shows is no guess: only one taken from the name is doubted.
    if (guessed)
        judgeGuess(path, report, cards);
}

std::optional<Format> writtenFormatOf(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    for (size_t i = 0; i < formats().size(); ++i) {
        if (formats()[i].write && formats()[i].suffix == suffix)
            return Format(i);
    }
    return std::nullopt;
}

void writeDeck(const QString& path, Format format, const BankContent& bank) {
    const FormatInfo& info = formatInfo(format);
    if (!info.write)
        throw DeckError(QString(), QStringLiteral("%1 is read, never written").arg(info.title));
    store::NewFile file(path);
    file.write(info.write(bank));
    file.place();
}

} // namespace decks
