#pragma once

#include "decks/Formats.h"

namespace decks {

// Mnemosyne's tab-separated text, read whole: question, answer, and further fields added to the
// answer.
void readMnemosyne(const DeckInput& input, const DeckOptions& options, const CardSink& sink,
                   DeckReport& report);

} // namespace decks
