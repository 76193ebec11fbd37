#pragma once

#include <QString>

namespace banktool {

// Throws store::BankError when the file given where a bank belongs is a deck, saying how to
// make a bank of it; any other file is left to the store to refuse.
void requireBank(const QString& path);

} // namespace banktool
