#include "banktool/BankArgument.h"
#include "banktool/Commands.h"
#include "decks/DeckFile.h"
#include "store/Bank.h"
#include "store/Counted.h"

#include <QFileInfo>
#include <QTextStream>

namespace banktool {

namespace {

const QString To = QStringLiteral("to");

// The words --to takes, as its help names them.
const QStringList ToNames = {QStringLiteral("csv"), QStringLiteral("anki"),
                             QStringLiteral("kvtml")};

// The format --to names, or when it is not given the one the file name asks for.
decks::Format exportFormat(const QString& fileName, const QString& to) {
    if (!to.isEmpty())
        return decks::Format(
            decks::formatNames().indexOf(oneOf(QStringLiteral("--to"), to, ToNames)));
    if (const auto format = decks::writtenFormatOf(fileName))
        return *format;
    if (QFileInfo(fileName).suffix().compare(u"pdf", Qt::CaseInsensitive) == 0)
        throw UsageError(QStringLiteral("'%1' asks for a PDF, which export does not write: "
                                        "memvane-bank print BANK %1 prints the cards")
                             .arg(fileName));
    throw UsageError(QStringLiteral("'%1' does not end in .csv, .txt (Anki) or .kvtml; --to csv, "
                                    "anki or kvtml names the format whatever the name")
                         .arg(fileName));
}

// By ID, the identity a question came with (Anki's guid, a package card's guid/ord, Mnemosyne's
// id), the first in order of several, to update its note in Anki.
QHash<qint64, QString> ankiGuids(const QString& bank) {
    QHash<qint64, QString> guids;
    const auto identities = store::readIdentities(bank);
    for (auto it = identities.begin(); it != identities.end(); ++it) {
        QString& guid = guids[it.value()];
        if (guid.isEmpty() || it.key() < guid)
            guid = it.key();
    }
    return guids;
}

} // namespace

Command exportCommand() {
    return {QStringLiteral("export"),
            {QStringLiteral("BANK"), QStringLiteral("FILE")},
            QStringLiteral("Writes the whole bank, marks included: as CSV that create reads back, "
                           "as Anki's notes in plain text (FILE ending in .txt) or as KVTML for "
                           "KDE's Parley and KWordQuiz (.kvtml). Topics and sets travel as Anki's "
                           "tags; in KVTML topics are lessons and sets an element of their own."),
            {QCommandLineOption(To,
                                QStringLiteral("The format, whatever FILE's name: csv, anki or "
                                               "kvtml."),
                                QStringLiteral("FORMAT"))},
            [](const CommandLine& line, QTextStream& out) {
                const QString& target = line.argument(1);
                const decks::Format format = exportFormat(target, line.value(To));
                requireBank(line.argument(0));
                decks::BankContent bank{store::readBank(line.argument(0)), {}};
                if (format == decks::Format::Anki)
                    bank.guids = ankiGuids(line.argument(0));
                decks::writeDeck(target, format, bank);
                out << "Exported "
                    << store::counted(qint64(bank.questions.size()), QStringLiteral("question"),
                                      QStringLiteral("questions"))
                    << " to " << target << " as " << decks::formatInfo(format).writtenAs << ".\n";
            }};
}

} // namespace banktool
