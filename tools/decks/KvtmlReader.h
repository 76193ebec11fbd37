#pragma once

#include "tools/decks/Deck.h"

class QIODevice;

namespace decks {

// KDE's vocabulary files, KVTML 2.0 (with the early 2.0 way of writing lessons) and KVTML 1.
// Cards go to the sink in the order of the file's entries, once its lessons are known.
void readKvtml(QIODevice& file, const DeckOptions& options, const CardSink& sink,
               DeckReport& report);

} // namespace decks
