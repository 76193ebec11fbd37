#include "banktool/BankArgument.h"

#include "decks/DeckFile.h"
#include "decks/Zip.h"
#include "store/Bank.h"
#include "store/BankError.h"

#include <QFile>

#include <optional>

namespace banktool {

namespace {

// The file's first bytes; nullopt when it cannot be read, which the store or the deck readers
// then say.
std::optional<QByteArray> headOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.read(4096);
}

} // namespace

void requireBank(const QString& path) {
    const auto read = headOf(path);
    if (!read)
        return;
    // A bank may have any name, but it is never text.
    const QByteArray& head = *read;
    const auto found = decks::findFormat(head, path);
    if (found && (found->byContent || !head.contains('\0')))
        throw store::BankError(QStringLiteral("'%1' is a deck (%2, %3), not a question bank: "
                                              "memvane-bank create %1 BANK makes a bank of it")
                                   .arg(path, decks::formatTitle(found->format), found->how));
}

void requireDeck(const QString& path) {
    const auto read = headOf(path);
    if (!read)
        return;
    const QByteArray& head = *read;
    // A bank is no text: its bytes are ciphered.
    if (head.contains('\0') && !head.startsWith("\xff\xfe") && !head.startsWith("\xfe\xff") &&
        !decks::Zip::looksLikeZip(head) && store::isBank(path))
        throw store::BankError(QStringLiteral("'%1' is a question bank, not a deck: memvane-bank "
                                              "export %1 DECK.csv writes its questions as a deck")
                                   .arg(path));
}

} // namespace banktool
