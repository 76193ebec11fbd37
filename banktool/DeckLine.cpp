#include "banktool/DeckLine.h"

#include "banktool/BankArgument.h"

#include "decks/DeckFile.h"
#include "decks/KvtmlReader.h"
#include "store/BankTable.h"
#include "store/Counted.h"

#include <QTextStream>

namespace banktool {

namespace {

const QStringList SetNames(store::premadeSetFields().begin(), store::premadeSetFields().end());

std::pair<decks::KvtmlSide, decks::KvtmlSide> sides(const QString& text) {
    if (const auto pair = decks::kvtmlSides(text))
        return *pair;
    throw UsageError(QStringLiteral("--sides takes two different identifier numbers, as 1,0, or "
                                    "a number and the comment, paraphrase or example of its "
                                    "translation, as 0,comment; not '%1'")
                         .arg(text));
}

} // namespace

QList<QCommandLineOption> deckOptions() {
    return {
        {QStringLiteral("from"),
         QStringLiteral("The deck's format: csv, kvtml, anki (text), tsv (Mnemosyne), quizlet, "
                        "apkg (an Anki package, .apkg or .colpkg) or cards (Mnemosyne); found "
                        "from its content and name when not given."),
         QStringLiteral("FORMAT")},
        {QStringLiteral("sides"),
         QStringLiteral("KVTML: the identifiers of question and answer (default 0,1); the "
                        "answer may be the comment, paraphrase or example that goes with the "
                        "question, as 0,comment."),
         QStringLiteral("Q,A")},
        {QStringLiteral("encoding"), QStringLiteral("Text that is not UTF-8: latin1 or utf-16."),
         QStringLiteral("NAME")},
        {QStringLiteral("field-separator"),
         QStringLiteral("Quizlet: between term and definition (default tab; \\t and \\n may be "
                        "written so)."),
         QStringLiteral("TEXT")},
        {QStringLiteral("card-separator"),
         QStringLiteral("Quizlet: between cards (default a new line)."), QStringLiteral("TEXT")},
        {QStringLiteral("category"),
         QStringLiteral("The topic of every card that neither --map nor a name of its own "
                        "puts in one."),
         QStringLiteral("TOPIC")},
        {QStringLiteral("map"),
         QStringLiteral("Puts the cards of a lesson, deck or tag in a topic; repeatable."),
         QStringLiteral("NAME=TOPIC")},
        {QStringLiteral("set"),
         QStringLiteral("Puts the cards in pre-made sets: any of BASICS,TOUGH,FINAL."),
         QStringLiteral("SETS")},
        {QStringLiteral("dry-run"), QStringLiteral("Tells what would happen and writes nothing.")},
    };
}

DeckLine deckLine(const CommandLine& line) {
    DeckLine deck;
    if (line.isSet(QStringLiteral("from")))
        deck.read.format =
            decks::Format(line.choiceIndex(QStringLiteral("from"), decks::formatNames(), {}));
    if (line.isSet(QStringLiteral("sides")))
        deck.read.sides = sides(line.value(QStringLiteral("sides")));
    if (line.isSet(QStringLiteral("encoding")))
        deck.read.encoding = line.pick(
            QStringLiteral("encoding"), {QStringLiteral("latin1"), QStringLiteral("utf-16")},
            std::vector{decks::Encoding::Latin1, decks::Encoding::Utf16});
    deck.read.fieldSeparator =
        line.value(QStringLiteral("field-separator"), deck.read.fieldSeparator);
    deck.read.cardSeparator = line.value(QStringLiteral("card-separator"), deck.read.cardSeparator);
    if (line.isSet(QStringLiteral("category")))
        deck.placement.category =
            topicWord(QStringLiteral("--category"), line.value(QStringLiteral("category")));
    for (const QString& pair : line.values(QStringLiteral("map"))) {
        const qsizetype equals = pair.lastIndexOf(u'=');
        if (equals <= 0)
            throw UsageError(QStringLiteral("--map takes \"NAME=TOPIC\", not '%1'").arg(pair));
        deck.placement.map.emplace_back(
            pair.left(equals).trimmed(),
            topicWord(QStringLiteral("--map %1").arg(pair), pair.mid(equals + 1).trimmed()));
    }
    for (const QString& name :
         line.values(QStringLiteral("set")).join(u',').split(u',', Qt::SkipEmptyParts)) {
        const qsizetype set = SetNames.indexOf(oneOf(QStringLiteral("--set"), name, SetNames));
        deck.placement.sets[size_t(set)] = 1;
    }
    deck.dryRun = line.isSet(QStringLiteral("dry-run"));
    return deck;
}

qint64 placeDeck(const QString& deck, const DeckLine& options, decks::Placer& placer,
                 decks::DeckReport& report, const store::QuestionSink& sink) {
    requireDeck(deck);
    qint64 count = 0;
    decks::readDeck(
        deck, options.read,
        [&](decks::Card&& card) {
            if (const auto q = placer.place(card, report)) {
                sink(*q);
                ++count;
            }
        },
        report);
    placer.finish();
    return count;
}

QString readLine(const QString& deck, const decks::DeckReport& report) {
    return QStringLiteral("Read %1 as %2 (%3).\n")
        .arg(deck, decks::formatTitle(report.format), report.how);
}

QString deckReport(const decks::DeckReport& report, const decks::Placer& placer, bool names) {
    QString text;
    QTextStream out(&text);
    if (!report.skipped.empty()) {
        out << "Skipped " << store::counted(qint64(report.skipped.size()), "card", "cards")
            << ":\n";
        for (const auto& [where, why] : report.skipped)
            out << "  " << where << ": " << why << "\n";
    }
    if (report.pictures > 0)
        out << "Pictures written as text: " << report.pictures << "\n";
    if (report.sounds > 0)
        out << "Sounds dropped: " << report.sounds << "\n";
    for (const auto& [where, what] : report.media)
        out << "  " << where << ": " << what << "\n";
    for (const QString& note : placer.notes())
        out << note << "\n";
    if (names) {
        const QString list = placer.names();
        if (list.isEmpty())
            out << "The deck's cards have no lessons, decks or tags.\n";
        else
            out << "The deck's lessons, decks and tags:\n" << list;
    }
    out.flush();
    return text;
}

} // namespace banktool
