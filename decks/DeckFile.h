#pragma once

#include "decks/Deck.h"

namespace decks {

// Reads the deck at path in the format options name, or in the one its content and name show,
// and hands each card to the sink as it is read. Throws store::BankError naming the file and the
// line or entry of the first fault, and for a format found by a guess that most of the file
// does not fit. What is skipped or changed on the way goes to the report.
void readDeck(const QString& path, const DeckOptions& options, const CardSink& sink,
              DeckReport& report);

// The format of a deck, from its first bytes and its name, and what told it; nullopt when
// neither tells.
struct FoundFormat {
    Format format;
    QString how;
    bool byContent = true; // else guessed from the name
};
std::optional<FoundFormat> findFormat(const QByteArray& head, const QString& path);

// "KVTML", "Anki text", …: the format as the report names it.
QString formatTitle(Format format);

// The formats known, as --from names them: "csv, kvtml, …".
QString knownFormats();

} // namespace decks
