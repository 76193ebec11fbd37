#pragma once

#include "decks/Formats.h"

namespace decks {

// How much a package's collection or card list may inflate to.
inline constexpr qint64 PackageInflationLimit = qint64(1) << 30;

// Whether a zip's members are those of an Anki package (.apkg) or collection (.colpkg).
bool isAnkiPackage(const QStringList& names);

// Every card of an Anki package or collection of any Anki version, rendered through its note
// type's templates as Anki shows it. Throws DeckError when the package is refused.
void readAnkiPackage(const DeckInput& input, const DeckOptions& options, const CardSink& sink,
                     DeckReport& report);

} // namespace decks
