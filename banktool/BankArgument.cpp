#include "banktool/BankArgument.h"

#include "decks/DeckFile.h"
#include "decks/Zip.h"
#include "store/Bank.h"
#include "store/BankError.h"

#include <QFile>

namespace banktool {

void requireBank(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // A bank may have any name, but it is never text.
    const QByteArray head = file.read(4096);
    const auto found = decks::findFormat(head, path);
    if (found && (found->byContent || !head.contains('\0')))
        throw store::BankError(QStringLiteral("'%1' is a deck (%2, %3), not a question bank: "
                                              "memvane-bank create %1 BANK makes a bank of it")
                                   .arg(path, decks::formatTitle(found->format), found->how));
}

void requireDeck(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray head = file.read(4096);
    // A bank is no text: its bytes are ciphered.
    if (head.contains('\0') && !head.startsWith("\xff\xfe") && !head.startsWith("\xfe\xff") &&
        !decks::Zip::looksLikeZip(head) && store::isBank(path))
        throw store::BankError(QStringLiteral("'%1' is a question bank, not a deck: memvane-bank "
                                              "export %1 DECK.csv writes its questions as a deck")
                                   .arg(path));
}

} // namespace banktool
