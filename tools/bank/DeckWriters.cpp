#include "tools/bank/DeckWriters.h"

#include "store/SetNames.h"
#include "tools/bank/Command.h"

namespace tools {

ExportFormat exportFormat(const QString& fileName, const QString& to) {
    if (to.isEmpty()) {
        if (fileName.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive))
            return ExportFormat::Anki;
        if (fileName.endsWith(QStringLiteral(".kvtml"), Qt::CaseInsensitive))
            return ExportFormat::Kvtml;
        return ExportFormat::Csv;
    }
    if (to.compare(QStringLiteral("anki"), Qt::CaseInsensitive) == 0)
        return ExportFormat::Anki;
    if (to.compare(QStringLiteral("kvtml"), Qt::CaseInsensitive) == 0)
        return ExportFormat::Kvtml;
    if (to.compare(QStringLiteral("csv"), Qt::CaseInsensitive) == 0)
        return ExportFormat::Csv;
    throw UsageError(QStringLiteral("--to takes csv, anki or kvtml, not '%1'").arg(to));
}

QStringList setNames(const store::Question& question) {
    QStringList names;
    for (size_t i = 0; i < question.sets.size(); ++i) {
        if (question.sets[i] != 0)
            names << store::premadeSetNames()[i];
    }
    for (size_t i = 0; i < question.marks.size(); ++i) {
        if (question.marks[i] != 0)
            names << store::customSetName(int(i) + 1);
    }
    return names;
}

} // namespace tools
