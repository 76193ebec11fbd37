#include "banktool/BankArgument.h"
#include "banktool/Commands.h"
#include "store/Bank.h"
#include "store/BankTable.h"
#include "store/Categories.h"
#include "store/Counted.h"
#include "store/Schema.h"

#include <QMap>
#include <QTextStream>

#include <algorithm>

namespace banktool {

namespace {

void check(const CommandLine& line, QTextStream& out) {
    const QString& bank = line.argument(0);
    requireBank(bank);
    const auto questions = store::readBank(bank);
    // Read first: a bank that cannot be read is left as it was.
    const bool added = line.isSet(QStringLiteral("fix")) && store::addStartIndex(bank);
    const auto& captions = store::categories();
    QMap<QString, int> perCategory;
    std::array<int, 3> perSet{};
    std::array<int, 6> perMark{};
    int nullTexts = 0;
    int indexOff = 0;
    for (const store::Question& q : questions) {
        perCategory[q.category.value_or(QStringLiteral("(none)"))]++;
        for (size_t i = 0; i < 3; ++i)
            perSet[i] += q.sets[i];
        for (size_t i = 0; i < 6; ++i)
            perMark[i] += q.marks[i];
        nullTexts += !q.question + !q.answer + !q.category;
        indexOff += q.index != q.id;
    }
    out << "Questions: " << questions.size() << "\n\nPer category:\n";
    for (const QString& caption : captions)
        out << "  " << caption << ": " << perCategory.value(caption) << "\n";
    QStringList strays;
    for (auto it = perCategory.cbegin(); it != perCategory.cend(); ++it) {
        if (std::find(captions.begin(), captions.end(), it.key()) == captions.end())
            strays << QStringLiteral("  %1: %2 (matches no category box)")
                          .arg(it.key())
                          .arg(it.value());
    }
    if (!strays.isEmpty())
        out << strays.join(u'\n') << "\n";
    out << "\nPer set:\n";
    for (size_t i = 0; i < 3; ++i)
        out << "  " << store::premadeSetFields()[i] << ": " << perSet[i] << "\n";
    for (size_t i = 0; i < 6; ++i)
        out << "  Custom Set #" << i + 1 << ": " << perMark[i] << "\n";
    out << "\nNull texts: " << nullTexts << "\n";
    out << (indexOff == 0 ? QStringLiteral("Index = ID in every question.\n")
                          : QStringLiteral("Index differs from ID in %1.\n")
                                .arg(store::counted(indexOff, QStringLiteral("question"),
                                                    QStringLiteral("questions"))));
    out << (added                        ? QStringLiteral("Start-up index: added.\n")
            : store::hasStartIndex(bank) ? QStringLiteral("Start-up index: present.\n")
                                         : QStringLiteral("Start-up index: missing; memvane-bank "
                                                          "check --fix BANK adds it.\n"));
}

} // namespace

Command checkCommand() {
    return {QStringLiteral("check"),
            {QStringLiteral("BANK")},
            QStringLiteral("Opens the bank with the program's key and reports its questions per "
                           "category and set, categories that match no category box, null texts, "
                           "whether Index equals ID, and whether the bank has the index on ID and "
                           "Index that lets the program start fast."),
            {QCommandLineOption(QStringLiteral("fix"),
                                QStringLiteral("Add that index to a bank made by an older tool."))},
            check};
}

} // namespace banktool
