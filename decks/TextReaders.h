#pragma once

#include "decks/Deck.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

class QIODevice;

namespace decks {

// How much of a file a reader takes at a time.
inline constexpr qint64 PieceBytes = 64 * 1024;

// Hands the rest of file to feed a piece at a time, so that Anki's text and our CSV take little
// memory at any size (Mnemosyne's and Quizlet's text, and text in another encoding, are read
// whole); throws DeckError when it cannot be read.
void readInPieces(QIODevice& file, const std::function<void(QByteArrayView)>& feed);

// Whether text starts with a header line of Anki's plain-text files (#separator:, #html:…).
bool isAnkiHeader(const QByteArray& start);

// Anki's "Notes in Plain Text" and "Cards in Plain Text", with or without header lines.
void readAnki(QIODevice& file, const DeckOptions& options, const CardSink& sink,
              DeckReport& report);

// Mnemosyne's tab-separated text: question, answer, and further fields added to the answer.
void readMnemosyne(QIODevice& file, const CardSink& sink, DeckReport& report);

// Quizlet's export, term and definition split at the first field separator.
void readQuizlet(QIODevice& file, const DeckOptions& options, const CardSink& sink,
                 DeckReport& report);

} // namespace decks
