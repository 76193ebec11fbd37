#include "store/Bank.h"
#include "store/BankError.h"
#include "store/NewFile.h"
#include "store/QuestionCsv.h"
#include "tools/bank/Commands.h"

#include <QFileInfo>
#include <QTextStream>

namespace tools {

Command exportCommand() {
    return {QStringLiteral("export"),
            {QStringLiteral("BANK"), QStringLiteral("CSV")},
            QStringLiteral("Writes the whole bank, marks included, as CSV that create reads back."),
            {},
            [](const CommandLine& line, QTextStream& out) {
                const QString& target = line.argument(1);
                const auto questions = store::readBank(line.argument(0));
                const QString refusal = QStringLiteral("'%1' exists already").arg(target);
                if (QFileInfo::exists(target))
                    throw store::BankError(refusal);
                store::NewFile file(target);
                file.write(store::questionsCsv(questions));
                if (!file.place())
                    throw store::BankError(refusal);
                out << "Exported " << questions.size() << " questions to " << target << ".\n";
            }};
}

} // namespace tools
