#include "banktool/BankArgument.h"
#include "banktool/Commands.h"
#include "banktool/DeckLine.h"
#include "store/Bank.h"

#include <QTextStream>

namespace banktool {

Command importCommand() {
    return {QStringLiteral("import"),
            {QStringLiteral("DECK"), QStringLiteral("BANK")},
            QStringLiteral("Adds the deck's new questions to the bank and updates the texts, "
                           "category and sets of those it has already: by ID in our CSV, by the "
                           "identity another program gave a card (Anki's guid), else by the "
                           "question's text. Every mark is kept. Reads what create reads."),
            deckOptions(),
            [](const CommandLine& line, QTextStream& out) {
                const QString& deck = line.argument(0);
                const QString& bank = line.argument(1);
                const DeckLine options = deckLine(line);
                requireBank(bank);
                decks::Placer placer(options.placement, store::readBank(bank),
                                     store::readIdentities(bank));
                decks::DeckReport report;
                const store::ImportCounts counts = store::importQuestions(
                    bank,
                    [&](const store::QuestionSink& sink) {
                        placeDeck(deck, options, placer, report, sink);
                    },
                    options.dryRun);
                out << readLine(deck, report);
                if (options.dryRun)
                    out << "Would add " << counts.added << ", update " << counts.updated
                        << ", leave alone " << counts.unchanged << ", skip "
                        << report.skipped.size() << "; nothing was written.\n";
                else
                    out << "Added " << counts.added << ", updated " << counts.updated
                        << ", left alone " << counts.unchanged << ", skipped "
                        << report.skipped.size() << ".\n";
                out << deckReport(report, placer, options.dryRun);
            }};
}

} // namespace banktool
