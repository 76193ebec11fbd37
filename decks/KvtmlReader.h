#pragma once

#include "decks/Formats.h"

#include <optional>

namespace decks {

// KDE's vocabulary files, KVTML 2.0 (with the early 2.0 way of writing lessons) and KVTML 1.
// Cards go to the sink in the order of the file's entries, once its lessons are known.
// Throws DeckError for a deck with text on one of the two sides only.
void readKvtml(const DeckInput& input, const DeckOptions& options, const CardSink& sink,
               DeckReport& report);

// The words --sides takes besides identifier numbers, in the order of KvtmlSide::Part from
// Comment on: "comment", "paraphrase", "example".
const QStringList& kvtmlPartNames();

// --sides as "1,0", or an identifier number and the comment, paraphrase or example of its
// translation, as "0,comment" or "comment,0"; nullopt for anything else.
std::optional<std::pair<KvtmlSide, KvtmlSide>> kvtmlSides(const QString& text);

// "identifier 1", "the comment of identifier 0".
QString sideText(const KvtmlSide& side);

} // namespace decks
