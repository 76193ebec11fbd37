#pragma once

#include "tools/bank/Command.h"
#include "tools/decks/Deck.h"
#include "tools/decks/Placement.h"

namespace tools {

// The options create and import share: how to read a deck and where its cards go.
QList<QCommandLineOption> deckOptions();

struct DeckLine {
    decks::DeckOptions read;
    decks::Placement placement;
    bool dryRun = false;
};

// Throws UsageError for a value an option does not take, BankError for a topic that is none of
// the fifteen.
DeckLine deckLine(const CommandLine& line);

// What was skipped, changed on the way or worth a look, a line each; empty when nothing was.
QString deckReport(const decks::DeckReport& report, const QStringList& notes);

} // namespace tools
