#include "decks/Formats.h"

#include "decks/AnkiPackage.h"
#include "decks/AnkiText.h"
#include "decks/KvtmlReader.h"
#include "decks/KvtmlWriter.h"
#include "decks/MnemosyneCards.h"
#include "decks/MnemosyneText.h"
#include "decks/OwnCsv.h"
#include "decks/QuizletText.h"

namespace decks {

const std::vector<FormatInfo>& formats() {
    using I = FormatInfo;
    static const std::vector<FormatInfo> table = {
        {QStringLiteral("csv"), QStringLiteral("our CSV"), I::Text, readOwnCsv, writeOwnCsv,
         QStringLiteral("csv"), QStringLiteral("CSV")},
        {QStringLiteral("kvtml"), QStringLiteral("KVTML"), I::Xml, readKvtml, writeKvtml,
         QStringLiteral("kvtml"), QStringLiteral("KVTML")},
        {QStringLiteral("anki"), QStringLiteral("Anki text"), I::Text, readAnki, writeAnkiNotes,
         QStringLiteral("txt"), QStringLiteral("Anki notes")},
        {QStringLiteral("tsv"), QStringLiteral("Mnemosyne tab-separated text"), I::Text,
         readMnemosyne},
        {QStringLiteral("quizlet"), QStringLiteral("Quizlet text"), I::Text, readQuizlet},
        {QStringLiteral("apkg"), QStringLiteral("Anki package"), I::Package, readAnkiPackage},
        {QStringLiteral("cards"), QStringLiteral("Mnemosyne cards"), I::Package,
         readMnemosyneCards},
    };
    return table;
}

const FormatInfo& formatInfo(Format format) {
    return formats()[size_t(format)];
}

QStringList formatNames() {
    QStringList names;
    for (const FormatInfo& info : formats())
        names << info.name;
    return names;
}

QString formatTitle(Format format) {
    return formatInfo(format).title;
}

QString knownFormats() {
    return formatNames().join(QStringLiteral(", "));
}

} // namespace decks
