#include "banktool/Commands.h"
#include "banktool/DeckLine.h"
#include "store/Bank.h"
#include "store/BankError.h"
#include "store/Counted.h"

#include <QTextStream>

namespace banktool {

Command createCommand() {
    return {QStringLiteral("create"),
            {QStringLiteral("DECK"), QStringLiteral("BANK")},
            QStringLiteral("Builds a new bank from a deck: our CSV with the header "
                           "ID,Question,Answer,Category,BASICS,TOUGH,FINAL (and optionally Index, "
                           "Mark1 to Mark6; separated by commas, semicolons or tabs), or a deck of "
                           "KDE's KWordQuiz and Parley (KVTML), Anki (plain text, or a package), "
                           "Mnemosyne (tab-separated, or .cards) or Quizlet (export). Refuses to "
                           "overwrite an existing bank."),
            deckOptions(),
            [](const CommandLine& line, QTextStream& out) {
                const QString& deck = line.argument(0);
                const DeckLine options = deckLine(line);
                decks::Placer placer(options.placement, {}, {});
                decks::DeckReport report;
                const store::QuestionSource questions = [&](const store::QuestionSink& sink) {
                    if (placeDeck(deck, options, placer, report, sink) == 0)
                        throw store::BankError(
                            QStringLiteral("%1 holds no questions: Memvane cannot start on an "
                                           "empty bank, so none was made.")
                                .arg(deck));
                };
                if (options.dryRun) {
                    qint64 count = 0;
                    questions([&](const store::Question&) { ++count; });
                    out << readLine(deck, report) << "Would create " << line.argument(1) << " with "
                        << store::counted(count, "question", "questions") << ", skip "
                        << report.skipped.size() << "; nothing was written.\n";
                } else {
                    const qint64 count = store::createBank(line.argument(1), questions);
                    out << readLine(deck, report) << "Created " << line.argument(1) << " with "
                        << store::counted(count, "question", "questions") << ", skipped "
                        << report.skipped.size() << ".\n";
                }
                out << deckReport(report, placer, options.dryRun);
            }};
}

} // namespace banktool
