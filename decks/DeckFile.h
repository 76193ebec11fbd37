#pragma once

#include "decks/Formats.h"

#include <optional>

// One open and one save for every format.
namespace decks {

// Reads the deck at path in the format options name, or in the one its content and name show,
// and hands each card to the sink as it is read. Throws DeckError naming the file and the line
// or entry of the first fault, and for a format found by a guess that most of the file does not
// fit. What is skipped or changed on the way goes to the report.
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

// The format a file of this name is written in: .csv our CSV, .txt Anki's notes, .kvtml KVTML;
// nullopt for any other name.
std::optional<Format> writtenFormatOf(const QString& fileName);

// Writes the bank to path in format, whole or not at all and never over a file; throws
// DeckError for a text the format cannot hold, store::Error when the file cannot be written.
void writeDeck(const QString& path, Format format, const BankContent& bank);

} // namespace decks
