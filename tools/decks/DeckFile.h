#pragma once

#include "tools/decks/Deck.h"

namespace decks {

// Reads the deck at path in the format options name, or in the one its content and name show,
// and hands each card to the sink as it is read. Throws store::BankError naming the file and the
// line or entry of the first fault. What is skipped or changed on the way goes to the report.
void readDeck(const QString& path, const DeckOptions& options, const CardSink& sink,
              DeckReport& report);

// The format of a deck, from its first bytes and its name; nullopt when neither tells.
std::optional<Format> findFormat(const QByteArray& head, const QString& path);

} // namespace decks
