// Feeds arbitrary bytes to the deck readers: the first byte picks KVTML, Anki text, Mnemosyne's
// tab-separated text, a Quizlet export, an Anki package or a Mnemosyne .cards file, the rest is
// the file. DeckError and CsvError are the
// expected outcome for text they do not accept; any other exception is a finding, and so is a
// card without a question or an answer, or a reason without words (abort, so libFuzzer keeps
// the input).
#include "decks/AnkiPackage.h"
#include "decks/KvtmlReader.h"
#include "decks/MnemosyneCards.h"
#include "decks/TextReaders.h"
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
    const int format = data[0] % 6;
    const QByteArray deck(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    QBuffer file;
    file.setData(deck);
    file.open(QIODevice::ReadOnly);
    decks::DeckOptions options;
    decks::DeckReport report;
    const decks::CardSink check = [&](decks::Card&& card) {
        if (card.question.trimmed().isEmpty() || card.answer.trimmed().isEmpty())
            fail("a card without a question or an answer", deck);
        if (card.where.isEmpty())
            fail("a card that does not say where it stands", deck);
    };
    // The package readers open a file by its name.
    QTemporaryFile package;
    if (format >= 4 && (!package.open() || package.write(deck) != deck.size() || !package.flush()))
        fail("cannot write the package to a file", deck);
    try {
        switch (format) {
        case 0:
            decks::readKvtml(file, options, check, report);
            break;
        case 1:
            decks::readAnki(file, options, check, report);
            break;
        case 2:
            decks::readMnemosyne(file, check, report);
            break;
        case 3:
            options.fieldSeparator = QStringLiteral(";");
            decks::readQuizlet(file, options, check, report);
            break;
        case 4:
            decks::readAnkiPackage(package.fileName(), check, report);
            break;
        default:
            decks::readMnemosyneCards(package.fileName(), check, report);
            break;
        }
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
