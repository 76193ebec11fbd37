#include "banktool/BankArgument.h"
#include "banktool/Commands.h"
#include "banktool/DeckWriters.h"
#include "store/Bank.h"
#include "store/NewFile.h"
#include "store/QuestionCsv.h"

#include <QTextStream>

namespace banktool {

namespace {

const QString To = QStringLiteral("to");

} // namespace

Command exportCommand() {
    return {QStringLiteral("export"),
            {QStringLiteral("BANK"), QStringLiteral("FILE")},
            QStringLiteral("Writes the whole bank, marks included: as CSV that create reads back, "
                           "as Anki's notes in plain text (FILE ending in .txt) or as KVTML for "
                           "KDE's Parley and KWordQuiz (.kvtml). Topics and sets travel as Anki's "
                           "tags and as KVTML's lessons."),
            {QCommandLineOption(To,
                                QStringLiteral("The format, whatever FILE's name: csv, anki or "
                                               "kvtml."),
                                QStringLiteral("FORMAT"))},
            [](const CommandLine& line, QTextStream& out) {
                const QString& target = line.argument(1);
                const ExportFormat format = exportFormat(target, line.value(To));
                requireBank(line.argument(0));
                const auto questions = store::readBank(line.argument(0));
                store::NewFile file(target);
                QByteArray bytes;
                QString as;
                switch (format) {
                case ExportFormat::Csv:
                    bytes = store::questionsCsv(questions);
                    as = QStringLiteral("CSV");
                    break;
                case ExportFormat::Anki: {
                    // A note that came from Anki goes back with its guid, to update it there.
                    QHash<qint64, QString> guids;
                    const auto identities = store::readIdentities(line.argument(0));
                    for (auto it = identities.begin(); it != identities.end(); ++it) {
                        QString& guid = guids[it.value()];
                        if (guid.isEmpty() || it.key() < guid)
                            guid = it.key();
                    }
                    bytes = ankiNotes(questions, guids);
                    as = QStringLiteral("Anki notes");
                    break;
                }
                case ExportFormat::Kvtml:
                    bytes = kvtmlDocument(questions);
                    as = QStringLiteral("KVTML");
                    break;
                }
                file.write(bytes);
                file.place();
                out << "Exported "
                    << counted(qint64(questions.size()), QStringLiteral("question"),
                               QStringLiteral("questions"))
                    << " to " << target << " as " << as << ".\n";
            }};
}

} // namespace banktool
