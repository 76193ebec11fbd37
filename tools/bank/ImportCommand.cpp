#include "store/Bank.h"
#include "tools/bank/Commands.h"
#include "tools/bank/CsvQuestionFile.h"

#include <QTextStream>

namespace tools {

Command importCommand() {
    return {QStringLiteral("import"),
            {QStringLiteral("CSV"), QStringLiteral("BANK")},
            QStringLiteral("Adds the CSV's new questions to the bank and updates the texts, "
                           "category and sets of existing ones by ID. Every mark is kept."),
            {},
            [](const CommandLine& line, QTextStream& out) {
                const store::ImportCounts counts =
                    store::importQuestions(line.argument(1), [&](const store::QuestionSink& sink) {
                        readCsvQuestionFile(line.argument(0), sink);
                    });
                out << "Added " << counts.added << ", updated " << counts.updated << ", left alone "
                    << counts.unchanged << ".\n";
            }};
}

} // namespace tools
