// Feeds arbitrary bytes to the deck readers of the format table: the first byte picks KVTML,
// Anki text, Mnemosyne's tab-separated text, a Quizlet export, an Anki package or a Mnemosyne
// .cards file, the rest is the file. DeckError and CsvError are the expected outcome for text
// they do not accept; any other exception is a finding, and so is a card without a question or
// an answer, or a reason without words (abort, so libFuzzer keeps the input).
#include "decks/Formats.h"
#include "store/CsvReader.h"

#include <QBuffer>
#include <QTemporaryFile>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

[[noreturn]] void fail(const char* what, const QByteArray& deck) {
    std::fprintf(stderr, "deck_fuzzer: %s\n  deck (%lld bytes): %s\n", what,
                 static_cast<long long>(deck.size()),
                 deck.toPercentEncoding(" <>/=\"").constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // Every format but our CSV, which the CSV fuzzer takes.
    const auto format = decks::Format(1 + data[0] % (decks::formats().size() - 1));
    const decks::FormatInfo& info = decks::formatInfo(format);
    const QByteArray deck(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    QBuffer file;
    file.setData(deck);
    file.open(QIODevice::ReadOnly);
    decks::DeckOptions options;
    if (format == decks::Format::Quizlet)
        options.fieldSeparator = QStringLiteral(";");
    decks::DeckReport report;
    const decks::CardSink check = [&](decks::Card&& card) {
        if (card.question.trimmed().isEmpty() || card.answer.trimmed().isEmpty())
            fail("a card without a question or an answer", deck);
        if (card.where.isEmpty())
            fail("a card that does not say where it stands", deck);
    };
    // The package readers open a file by its name.
    QTemporaryFile package;
    if (info.input == decks::FormatInfo::Package &&
        (!package.open() || package.write(deck) != deck.size() || !package.flush()))
        fail("cannot write the package to a file", deck);
    try {
        info.read(decks::DeckInput{file, package.fileName()}, options, check, report);
    } catch (const decks::DeckError& e) {
        if (e.reason().isEmpty())
            fail("a DeckError without a reason", deck);
    } catch (const store::CsvError& e) {
        if (e.reason().isEmpty())
            fail("a CsvError without a reason", deck);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "deck_fuzzer: unexpected exception: %s\n", e.what());
        fail("an exception other than DeckError or CsvError", deck);
    }
    for (const auto& [where, why] : report.skipped) {
        if (where.isEmpty() || why.isEmpty())
            fail("a skipped card without its place or reason", deck);
    }
    return 0;
}
