#include "store/Bank.h"
#include "store/BankError.h"
#include "tools/bank/Commands.h"
#include "tools/bank/CsvQuestionFile.h"

#include <QTextStream>

namespace tools {

Command createCommand() {
    return {QStringLiteral("create"),
            {QStringLiteral("CSV"), QStringLiteral("BANK")},
            QStringLiteral("Builds a new bank from a CSV file with the header "
                           "ID,Question,Answer,Category,BASICS,TOUGH,FINAL (and optionally Index, "
                           "Mark1 to Mark6) and at least one question. Refuses to overwrite an "
                           "existing bank."),
            {},
            [](const CommandLine& line, QTextStream& out) {
                const QString& csv = line.argument(0);
                const qint64 count =
                    store::createBank(line.argument(1), [&](const store::QuestionSink& sink) {
                        if (readCsvQuestionFile(csv, sink) == 0)
                            throw store::BankError(
                                QStringLiteral("%1 holds no questions, only a header: Memvane "
                                               "cannot start on an empty bank, so none was made.")
                                    .arg(csv));
                    });
                out << "Created " << line.argument(1) << " with " << count << " questions.\n";
            }};
}

} // namespace tools
