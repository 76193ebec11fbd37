#pragma once

#include <QString>

namespace banktool {

// Throws store::BankError when the file given where a bank belongs is a deck, saying how to
// make a bank of it; any other file is left to the store to refuse.
void requireBank(const QString& path);

// Throws store::BankError when the file given where a deck belongs is a bank, saying how to
// make a deck of it; any other file is left to the deck readers.
void requireDeck(const QString& path);

} // namespace banktool
