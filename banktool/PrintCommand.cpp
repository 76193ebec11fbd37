#include "banktool/BankArgument.h"
#include "banktool/Commands.h"
#include "print/CardSet.h"
#include "print/Layouts.h"
#include "print/Paper.h"
#include "print/SetName.h"
#include "print/Sheet.h"
#include "print/TestPage.h"
#include "selection/QueryBuilder.h"
#include "store/BankError.h"
#include "store/Categories.h"
#include "store/Counted.h"
#include "store/MarkFields.h"
#include "store/NewFile.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

#include <functional>
#include <vector>

namespace banktool {

namespace {

using namespace print;
using store::BankError;

const QStringList PremadeNames = {QStringLiteral("basics"), QStringLiteral("tough"),
                                  QStringLiteral("final"), QStringLiteral("all")};

QList<QCommandLineOption> options() {
    const auto option = [](const QString& name, const QString& value, const QString& help) {
        return QCommandLineOption(name, help, value);
    };
    return {
        option(QStringLiteral("set"), QStringLiteral("SET"),
               QStringLiteral("A pre-made set: basics, tough, final or all (the default).")),
        option(QStringLiteral("topic"), QStringLiteral("NAME"),
               QStringLiteral("The questions of a topic; give it once per topic.")),
        option(QStringLiteral("custom"), QStringLiteral("N"),
               QStringLiteral("The questions marked in custom set N (1 to 6).")),
        option(QStringLiteral("layout"), QStringLiteral("LAYOUT"),
               QStringLiteral("cards (the default), fold or list.")),
        option(QStringLiteral("card"), QStringLiteral("SIZE"),
               QStringLiteral("index (3x5 in), a7 (105x74 mm), a8 (74x52 mm, the default) or "
                              "business (85x55 mm).")),
        option(QStringLiteral("flip"), QStringLiteral("EDGE"),
               QStringLiteral("The edge the printer turns the sheet over: long (the default) or "
                              "short.")),
        option(QStringLiteral("paper"), QStringLiteral("PAPER"),
               QStringLiteral("a4 or letter; by default the system's (PAPERSIZE, "
                              "/etc/papersize), else a4.")),
        option(QStringLiteral("offset"), QStringLiteral("X,Y"),
               QStringLiteral("Millimetres the backs are shifted by, at most 5 each way.")),
        QCommandLineOption(QStringLiteral("hide-answers"),
                           QStringLiteral("With --layout list: leave the answers out.")),
        QCommandLineOption(QStringLiteral("test-page"),
                           QStringLiteral("Write one sheet that shows how far a printer shifts "
                                          "the backs, for --offset; takes OUT.pdf alone.")),
    };
}

// The category box a topic name ticks, matched regardless of case.
size_t topicIndex(const QString& name) {
    const auto& captions = store::categories();
    const QString topic = topicWord(QStringLiteral("--topic"), name);
    return size_t(std::find(captions.begin(), captions.end(), topic) - captions.begin());
}

// The choice the options dialog would show for these options.
selection::OptionsChoice choiceOf(const CommandLine& line) {
    const int modes = line.isSet(QStringLiteral("set")) + line.isSet(QStringLiteral("topic")) +
                      line.isSet(QStringLiteral("custom"));
    if (modes > 1)
        throw UsageError(QStringLiteral("choose the cards by one of --set, --topic and --custom"));
    selection::OptionsChoice choice;
    choice.captions = store::categories();
    if (line.isSet(QStringLiteral("topic"))) {
        choice.testType[1] = true;
        for (const QString& topic : line.values(QStringLiteral("topic")))
            choice.customCheck[topicIndex(topic)] = 1;
    } else if (line.isSet(QStringLiteral("custom"))) {
        bool number = false;
        const int n = line.value(QStringLiteral("custom")).toInt(&number);
        if (!number || n < 1 || n > int(store::markFields().size()))
            throw UsageError(QStringLiteral("--custom takes 1 to %2, not '%1'")
                                 .arg(line.value(QStringLiteral("custom")))
                                 .arg(store::markFields().size()));
        choice.testType[2] = true;
        choice.markField = store::markFields()[size_t(n - 1)];
    } else {
        const qsizetype index =
            line.choiceIndex(QStringLiteral("set"), PremadeNames, QStringLiteral("all"));
        choice.testType[0] = true;
        choice.premadeType[size_t(index)] = true;
    }
    return choice;
}

QString describe(const CommandLine& line) {
    if (line.isSet(QStringLiteral("topic")))
        return QStringLiteral("the topics %1")
            .arg(line.values(QStringLiteral("topic")).join(QStringLiteral(", ")));
    if (line.isSet(QStringLiteral("custom")))
        return QStringLiteral("custom set %1").arg(line.value(QStringLiteral("custom")));
    return QStringLiteral("the set '%1'")
        .arg(line.isSet(QStringLiteral("set")) ? line.value(QStringLiteral("set"))
                                               : QStringLiteral("all"));
}

QPointF offsetOf(const QString& text) {
    const QStringList parts = text.split(u',');
    bool x = false;
    bool y = false;
    const QPointF offset = parts.size() == 2 ? QPointF(parts[0].trimmed().toDouble(&x),
                                                       parts[1].trimmed().toDouble(&y))
                                             : QPointF();
    if (!x || !y)
        throw UsageError(QStringLiteral("--offset takes X,Y in millimetres, not '%1'").arg(text));
    if (std::abs(offset.x()) > MarkBand || std::abs(offset.y()) > MarkBand)
        throw UsageError(QStringLiteral("--offset '%1' is over %2 mm: the backs would leave "
                                        "the margins")
                             .arg(text)
                             .arg(MarkBand));
    return offset;
}

// Writes the PDF whole under its name, or nothing: the pages are drawn into a file beside it.
int writePdf(const QString& path, const Paper& paper, const QString& title,
             const std::function<void(Canvas&)>& draw) {
    store::NewFile file(path);
    QFile pdf(file.path());
    const auto failed = [&] {
        return BankError(QStringLiteral("cannot write '%1': %2").arg(path, pdf.errorString()));
    };
    if (!pdf.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw failed();
    int pages = 0;
    {
        Canvas canvas(&pdf, paper, title);
        draw(canvas);
        pages = canvas.pages();
        if (!canvas.finish() || !pdf.flush())
            throw failed();
    }
    pdf.close();
    if (pdf.error() != QFileDevice::NoError)
        throw failed();
    file.place();
    return pages;
}

void print(const CommandLine& line, QTextStream& out) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw BankError(QStringLiteral("printing lays out text, which needs a QGuiApplication"));
    const QStringList& files = line.arguments();
    const Paper paper = line.isSet(QStringLiteral("paper"))
                            ? paperNamed(line.choice(QStringLiteral("paper"), paperNames(), {}))
                            : systemPaper();

    if (line.isSet(QStringLiteral("test-page"))) {
        if (files.size() != 1)
            throw UsageError(QStringLiteral("--test-page takes OUT.pdf alone"));
        writePdf(files[0], paper, QStringLiteral("memvane-bank test page"), drawTestPage);
        out << "Wrote a test page (one sheet, " << paper.name << ") to " << files[0] << ".\n";
        return;
    }
    if (files.size() != 2)
        throw UsageError(QStringLiteral("takes the arguments BANK OUT.pdf"));

    Settings settings;
    settings.layout =
        line.pick(QStringLiteral("layout"),
                  {QStringLiteral("cards"), QStringLiteral("fold"), QStringLiteral("list")},
                  std::vector{Layout::Cards, Layout::Fold, Layout::List});
    settings.card =
        cardSize(line.choice(QStringLiteral("card"), cardSizeNames(), QStringLiteral("a8")));
    settings.flip =
        line.pick(QStringLiteral("flip"), {QStringLiteral("long"), QStringLiteral("short")},
                  std::vector{Flip::Long, Flip::Short});
    if (line.isSet(QStringLiteral("offset")))
        settings.offset = offsetOf(line.value(QStringLiteral("offset")));
    settings.hideAnswers = line.isSet(QStringLiteral("hide-answers"));
    if (settings.hideAnswers && settings.layout != Layout::List)
        throw UsageError(QStringLiteral("--hide-answers is for --layout list"));

    const selection::OptionsChoice choice = choiceOf(line);
    settings.title = QFileInfo(files[0]).fileName() + QStringLiteral(" \u2014 ") + setName(choice);
    const selection::Selection chosen = selection::buildQuery(choice, {});
    requireBank(files[0]);
    CardSet cards(files[0], chosen.CurrentSQL);
    if (cards.count() == 0)
        throw BankError(QStringLiteral("%1 holds no cards of %2; no file was written")
                            .arg(files[0], describe(line)));

    Report report;
    const int pages = writePdf(files[1], paper, QFileInfo(files[0]).completeBaseName(),
                               [&](Canvas& canvas) { drawCards(cards, settings, canvas, report); });
    for (const QString& note : report.notes)
        out << note << "\n";
    out << "Printed "
        << store::counted(report.cards, QStringLiteral("card"), QStringLiteral("cards")) << " on "
        << store::counted(pages, QStringLiteral("page"), QStringLiteral("pages")) << " ("
        << paper.name << ") to " << files[1] << ".\n";
}

} // namespace

Command printCommand() {
    return {QStringLiteral("print"),
            {QStringLiteral("[BANK]"), QStringLiteral("OUT.pdf")},
            QStringLiteral(
                "Writes a card set as a PDF to print: the cards the Options window gives for "
                "--set, --topic or --custom, all of them by default.\n"
                "Layouts: cards are cut-out cards, fronts on one page and backs behind them on "
                "the next, to print on both sides; fold puts question and answer side by side "
                "with a fold line between, on one side only; list is a numbered table of "
                "questions and answers, each page headed by the bank, the set and its number.\n"
                "Text is set as large as fits its card with every word whole; a word too long "
                "for a line at the smallest size is broken, text that does not fit there is "
                "cut, and its card named in the report, as is a character no installed font "
                "has."),
            options(),
            print};
}

} // namespace banktool
