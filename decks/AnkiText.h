#pragma once

#include "decks/Formats.h"

#include <QByteArray>

namespace decks {

// Whether text starts with a header line of Anki's plain-text files (#separator:, #html:…).
bool isAnkiHeader(const QByteArray& start);

// Anki's "Notes in Plain Text" and "Cards in Plain Text", with or without header lines, read a
// piece at a time.
void readAnki(const DeckInput& input, const DeckOptions& options, const CardSink& sink,
              DeckReport& report);

// Anki's "Notes in Plain Text": the guid a question came with or one from its ID, the question
// and answer as HTML, and the topic and every set as tags.
QByteArray writeAnkiNotes(const BankContent& bank);

} // namespace decks
