#include "tools/bank/BankArgument.h"

#include "store/BankError.h"
#include "tools/decks/DeckFile.h"

#include <QFile>

namespace tools {

void requireBank(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // Only what the content shows: a bank may have any name.
    if (const auto found = decks::findFormat(file.read(4096), QString()))
        throw store::BankError(QStringLiteral("'%1' is a deck (%2, %3), not a question bank: "
                                              "memvane-bank create %1 BANK makes a bank of it")
                                   .arg(path, decks::formatTitle(found->format), found->how));
}

} // namespace tools
