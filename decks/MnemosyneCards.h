#pragma once

#include "decks/Formats.h"

namespace decks {

// Whether a zip's members are those of Mnemosyne's .cards file.
bool isMnemosyneCards(const QStringList& names);

// The cards of a Mnemosyne .cards file, as Mnemosyne makes them of its facts: front-to-back,
// both ways, vocabulary, cloze and the card types cloned from them. Throws DeckError when the
// file is refused.
void readMnemosyneCards(const DeckInput& input, const DeckOptions& options, const CardSink& sink,
                        DeckReport& report);

} // namespace decks
