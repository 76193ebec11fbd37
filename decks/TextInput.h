#pragma once

#include "decks/Deck.h"

#include <QByteArrayView>
#include <QString>

#include <functional>

class QIODevice;

// What the readers of text share: reading a file in pieces or whole, decoding it and taking a
// card or the reason it is none.
namespace decks {

// How much of a file a reader takes at a time.
inline constexpr qint64 PieceBytes = 64 * 1024;

// Hands the rest of file to feed a piece at a time, so that a reader that takes it so needs
// little memory at any size; throws DeckError when it cannot be read.
void readInPieces(QIODevice& file, const std::function<void(QByteArrayView)>& feed);

// The bytes of a line as text; throws DeckError naming the line for bytes that are not UTF-8
// or a control character that is no text.
QString decoded(QByteArrayView bytes, int line);

// The rest of file as text, without a byte order mark, decoded line by line.
QString wholeText(QIODevice& file);

// Lines of a whole text, however they end, each with its number.
template <typename Each> void eachLine(const QString& text, Each each) {
    int number = 1;
    qsizetype at = 0;
    while (at <= text.size()) {
        qsizetype end = at;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        each(QStringView(text).mid(at, end - at), number++);
        if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() &&
            text[end + 1] == u'\n')
            ++end;
        at = end + 1;
    }
}

// Hands a card of a question and an answer to the sink, or reports why it is none.
void take(Card&& card, const CardSink& sink, DeckReport& report);

// "does not split its one line", "splits none of its 3 lines".
QString splitsNone(int n, const char* what);

} // namespace decks
