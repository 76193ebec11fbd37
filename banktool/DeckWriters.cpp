#include "banktool/DeckWriters.h"

#include "banktool/Command.h"
#include "store/SetNames.h"

#include <QFileInfo>

namespace banktool {

namespace {

const QStringList ExportNames = {QStringLiteral("csv"), QStringLiteral("anki"),
                                 QStringLiteral("kvtml")};

} // namespace

ExportFormat exportFormat(const QString& fileName, const QString& to) {
    if (!to.isEmpty())
        return ExportFormat(
            QStringList(ExportNames).indexOf(oneOf(QStringLiteral("--to"), to, ExportNames)));
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"csv")
        return ExportFormat::Csv;
    if (suffix == u"txt")
        return ExportFormat::Anki;
    if (suffix == u"kvtml")
        return ExportFormat::Kvtml;
    if (suffix == u"pdf")
        throw UsageError(QStringLiteral("'%1' asks for a PDF, which export does not write: "
                                        "memvane-bank print BANK %1 prints the cards")
                             .arg(fileName));
    throw UsageError(QStringLiteral("'%1' does not end in .csv, .txt (Anki) or .kvtml; --to csv, "
                                    "anki or kvtml names the format whatever the name")
                         .arg(fileName));
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

} // namespace banktool
