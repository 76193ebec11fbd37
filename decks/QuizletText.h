#pragma once

#include "decks/Formats.h"

namespace decks {

// Quizlet's export, read whole: term and definition split at the first field separator.
void readQuizlet(const DeckInput& input, const DeckOptions& options, const CardSink& sink,
                 DeckReport& report);

} // namespace decks
