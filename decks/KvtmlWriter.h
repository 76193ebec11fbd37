#pragma once

#include "decks/Formats.h"

#include <QByteArray>

namespace decks {

// The generator our KVTML export names: its files' texts keep their line breaks.
inline constexpr QStringView OurKvtmlGenerator = u"memvane-bank";

// KVTML 2.0 with the sides Question and Answer, each question once: a lesson per topic, and
// the sets under <sets>, containers as lessons are, which KDE's programs do not read. Throws
// DeckError for a text that XML cannot hold.
QByteArray writeKvtml(const BankContent& bank);

} // namespace decks
