#pragma once

#include "decks/Formats.h"

#include <QByteArray>

namespace decks {

// Our own CSV, read a piece at a time: each row is a card that carries its ID, topic, sets and
// marks.
void readOwnCsv(const DeckInput& input, const DeckOptions& options, const CardSink& sink,
                DeckReport& report);

// The bank as our CSV, which create reads back byte for byte.
QByteArray writeOwnCsv(const BankContent& bank);

} // namespace decks
