#pragma once

#include "decks/Deck.h"

namespace decks {

// A deck "Biology::Cells" by its whole name, then its own, then those of the decks it is in.
void addDeckNames(std::vector<Name>& names, const QString& deck);

// Each picture and sound the card's HTML names goes into the report's media, at where.
void noteMedia(const QString& html, const QString& where, DeckReport& report);

} // namespace decks
