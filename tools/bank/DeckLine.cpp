#include "tools/bank/DeckLine.h"

#include "tools/decks/KvtmlReader.h"

#include <QTextStream>

#include <algorithm>

namespace tools {

namespace {

const QStringList SetNames = {QStringLiteral("BASICS"), QStringLiteral("TOUGH"),
                              QStringLiteral("FINAL")};

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
         QStringLiteral("The deck's format: csv, kvtml, anki, tsv (Mnemosyne) or quizlet; found "
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
        {QStringLiteral("category"), QStringLiteral("The topic of every card no --map gives one."),
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
    if (line.isSet(QStringLiteral("from"))) {
        const QString format = line.choice(QStringLiteral("from"), decks::formatNames(), QString());
        deck.read.format = decks::Format(decks::formatNames().indexOf(format));
    }
    if (line.isSet(QStringLiteral("sides")))
        deck.read.sides = sides(line.value(QStringLiteral("sides")));
    if (line.isSet(QStringLiteral("encoding"))) {
        const QString encoding = line.choice(
            QStringLiteral("encoding"), {QStringLiteral("latin1"), QStringLiteral("utf-16")}, {});
        deck.read.encoding =
            encoding == u"latin1" ? decks::Encoding::Latin1 : decks::Encoding::Utf16;
    }
    deck.read.fieldSeparator =
        line.value(QStringLiteral("field-separator"), deck.read.fieldSeparator);
    deck.read.cardSeparator = line.value(QStringLiteral("card-separator"), deck.read.cardSeparator);
    if (line.isSet(QStringLiteral("category")))
        deck.placement.category =
            decks::topic(line.value(QStringLiteral("category")), QStringLiteral("--category"));
    for (const QString& pair : line.values(QStringLiteral("map"))) {
        const qsizetype equals = pair.lastIndexOf(u'=');
        if (equals <= 0)
            throw UsageError(QStringLiteral("--map takes \"NAME=TOPIC\", not '%1'").arg(pair));
        deck.placement.map.emplace_back(
            pair.left(equals).trimmed(),
            decks::topic(pair.mid(equals + 1).trimmed(), QStringLiteral("--map %1").arg(pair)));
    }
    for (const QString& name :
         line.values(QStringLiteral("set")).join(u',').split(u',', Qt::SkipEmptyParts)) {
        const qsizetype set = SetNames.indexOf(name.trimmed().toUpper());
        if (set < 0)
            throw UsageError(
                QStringLiteral("--set takes BASICS, TOUGH and FINAL, not '%1'").arg(name));
        deck.placement.sets[size_t(set)] = 1;
    }
    deck.dryRun = line.isSet(QStringLiteral("dry-run"));
    return deck;
}

QString deckReport(const decks::DeckReport& report, const QStringList& notes) {
    QString text;
    QTextStream out(&text);
    if (!report.skipped.empty()) {
        out << "Skipped " << report.skipped.size() << ":\n";
        constexpr size_t Shown = 20;
        for (size_t i = 0; i < std::min(report.skipped.size(), Shown); ++i)
            out << "  " << report.skipped[i].first << ": " << report.skipped[i].second << "\n";
        if (report.skipped.size() > Shown)
            out << "  and " << report.skipped.size() - Shown << " more\n";
    }
    if (report.pictures > 0)
        out << "Pictures written as text: " << report.pictures << "\n";
    if (report.sounds > 0)
        out << "Sounds dropped: " << report.sounds << "\n";
    for (const QString& note : notes)
        out << note << "\n";
    out.flush();
    return text;
}

} // namespace tools
