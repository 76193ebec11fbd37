#pragma once

#include "banktool/Command.h"
#include "decks/Deck.h"
#include "decks/Placement.h"
#include "store/Question.h"

namespace banktool {

// The options create and import share: how to read a deck and where its cards go.
QList<QCommandLineOption> deckOptions();

struct DeckLine {
    decks::DeckOptions read;
    decks::Placement placement;
    bool dryRun = false;
};

// Throws UsageError for a value an option does not take, a topic among them.
DeckLine deckLine(const CommandLine& line);

// Reads the deck and hands each question its cards become to sink; returns how many. Throws
// store::BankError for a bank given as the deck and decks::DeckError for a deck that cannot be
// read or placed; a --map or topic fault is found after the last question is sunk, so the
// caller keeps what was sunk only once this returns.
qint64 placeDeck(const QString& deck, const DeckLine& options, decks::Placer& placer,
                 decks::DeckReport& report, const store::QuestionSink& sink);

// The first line of a report: "Read deck.kvtml as KVTML (found from its content: XML).".
QString readLine(const QString& deck, const decks::DeckReport& report);

// What was skipped, changed on the way or worth a look, a line each; with names, every lesson,
// deck and tag and its cards.
QString deckReport(const decks::DeckReport& report, const decks::Placer& placer, bool names);

} // namespace banktool
