#include "tools/print/PrintCommand.h"

#include "selection/QueryBuilder.h"
#include "store/Bank.h"
#include "store/Categories.h"
#include "store/MarkFields.h"
#include "store/NewFile.h"
#include "tools/print/CardSet.h"
#include "tools/print/Layouts.h"
#include "tools/print/Paper.h"
#include "tools/print/Sheet.h"
#include "tools/print/TestPage.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

#include <functional>
#include <numeric>
#include <vector>

namespace print {

namespace {

using store::BankError;

const QStringList PremadeNames = {QStringLiteral("basics"), QStringLiteral("tough"),
                                  QStringLiteral("final"), QStringLiteral("all")};

struct Options {
    QCommandLineOption set{QStringLiteral("set"), QString(), QStringLiteral("set")};
    QCommandLineOption topic{QStringLiteral("topic"), QString(), QStringLiteral("name")};
    QCommandLineOption custom{QStringLiteral("custom"), QString(), QStringLiteral("n")};
    QCommandLineOption layout{QStringLiteral("layout"), QString(), QStringLiteral("layout")};
    QCommandLineOption card{QStringLiteral("card"), QString(), QStringLiteral("size")};
    QCommandLineOption flip{QStringLiteral("flip"), QString(), QStringLiteral("edge")};
    QCommandLineOption paper{QStringLiteral("paper"), QString(), QStringLiteral("paper")};
    QCommandLineOption offset{QStringLiteral("offset"), QString(), QStringLiteral("x,y")};
    QCommandLineOption hideAnswers{QStringLiteral("hide-answers")};
    QCommandLineOption testPage{QStringLiteral("test-page")};
};

int editDistance(const QString& a, const QString& b) {
    std::vector<int> row(size_t(b.size()) + 1);
    std::iota(row.begin(), row.end(), 0);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] = std::min(
                {above + 1, row[size_t(j) - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

// The category box a topic name ticks, matched regardless of case.
size_t topicIndex(const QString& name) {
    const auto& captions = store::categories();
    size_t closest = 0;
    int distance = std::numeric_limits<int>::max();
    for (size_t i = 0; i < captions.size(); ++i) {
        const int d = editDistance(name.toCaseFolded(), captions[i].toCaseFolded());
        if (d == 0)
            return i;
        if (d < distance) {
            distance = d;
            closest = i;
        }
    }
    throw BankError(
        QStringLiteral("unknown topic '%1'; did you mean '%2'?").arg(name, captions[closest]));
}

// The choice the options dialog would show for these options.
selection::OptionsChoice choiceOf(const QCommandLineParser& parser, const Options& o) {
    const int modes = parser.isSet(o.set) + parser.isSet(o.topic) + parser.isSet(o.custom);
    if (modes > 1)
        throw BankError(QStringLiteral("choose the cards by one of --set, --topic and --custom"));
    selection::OptionsChoice choice;
    choice.captions = store::categories();
    if (parser.isSet(o.topic)) {
        choice.testType[1] = true;
        for (const QString& topic : parser.values(o.topic))
            choice.customCheck[topicIndex(topic)] = 1;
    } else if (parser.isSet(o.custom)) {
        bool number = false;
        const int n = parser.value(o.custom).toInt(&number);
        if (!number || n < 1 || n > int(store::markFields().size()))
            throw BankError(QStringLiteral("no custom set '%1': custom sets are 1 to %2")
                                .arg(parser.value(o.custom))
                                .arg(store::markFields().size()));
        choice.testType[2] = true;
        choice.markField = store::markFields()[size_t(n - 1)];
    } else {
        const QString name = parser.isSet(o.set) ? parser.value(o.set) : QStringLiteral("all");
        const qsizetype index = PremadeNames.indexOf(name);
        if (index < 0)
            throw BankError(
                QStringLiteral("unknown set '%1': choose basics, tough, final or all").arg(name));
        choice.testType[0] = true;
        choice.premadeType[size_t(index)] = true;
    }
    return choice;
}

QString describe(const QCommandLineParser& parser, const Options& o) {
    if (parser.isSet(o.topic))
        return QStringLiteral("the topics %1")
            .arg(parser.values(o.topic).join(QStringLiteral(", ")));
    if (parser.isSet(o.custom))
        return QStringLiteral("custom set %1").arg(parser.value(o.custom));
    return QStringLiteral("the set '%1'")
        .arg(parser.isSet(o.set) ? parser.value(o.set) : QStringLiteral("all"));
}

template <typename T>
T pick(const QString& what, const QString& value, const QStringList& names,
       const std::vector<T>& values) {
    const qsizetype index = names.indexOf(value);
    if (index < 0)
        throw BankError(QStringLiteral("unknown %1 '%2': choose %3")
                            .arg(what, value, names.join(QStringLiteral(", "))));
    return values[size_t(index)];
}

QPointF offsetOf(const QString& text) {
    const QStringList parts = text.split(u',');
    bool x = false;
    bool y = false;
    const QPointF offset = parts.size() == 2 ? QPointF(parts[0].trimmed().toDouble(&x),
                                                       parts[1].trimmed().toDouble(&y))
                                             : QPointF();
    if (!x || !y)
        throw BankError(QStringLiteral("offset '%1' is not X,Y in millimetres").arg(text));
    if (std::abs(offset.x()) > MarkBand || std::abs(offset.y()) > MarkBand)
        throw BankError(QStringLiteral("offset '%1' is over %2 mm: the backs would leave the "
                                       "margins")
                            .arg(text)
                            .arg(MarkBand));
    return offset;
}

// Writes the PDF whole under its name, or nothing: the pages are drawn into a file beside it.
int writePdf(const QString& path, const Paper& paper, const QString& title,
             const std::function<void(Canvas&)>& draw) {
    const QString refusal = QStringLiteral("'%1' exists already").arg(path);
    if (QFileInfo::exists(path))
        throw BankError(refusal);
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
    if (!file.place())
        throw BankError(refusal);
    return pages;
}

} // namespace

QString usage() {
    return QStringLiteral("print [OPTIONS] BANK OUT.pdf");
}

QString help() {
    return QStringLiteral(
        "Writes a card set as a PDF to print. The cards are those the Options window gives:\n"
        "  --set basics|tough|final|all   a pre-made set (all when no choice is given)\n"
        "  --topic NAME                   the questions of a topic; give it once per topic\n"
        "  --custom N                     the questions marked in custom set N (1 to 6)\n"
        "Layouts (--layout):\n"
        "  cards   cut-out cards, fronts on one page and backs behind them on the next, to\n"
        "          print on both sides (the default); --card index|a7|a8|business (3x5 in,\n"
        "          105x74, 74x52, 85x55 mm; a8 by default), --flip long|short (the edge the\n"
        "          printer turns the sheet over; long by default), --offset X,Y (millimetres\n"
        "          the backs are shifted by, at most 5 each way)\n"
        "  fold    question and answer side by side with a fold line between, one side only\n"
        "  list    a numbered table of questions and answers; --hide-answers leaves the\n"
        "          answers out, a sheet to test oneself\n"
        "  --paper a4|letter   the paper; by default the system's (PAPERSIZE, /etc/papersize)\n"
        "memvane-bank print --test-page [--paper P] OUT.pdf writes one sheet that shows how far\n"
        "a printer shifts the backs, for --offset.\n"
        "Text is set as large as fits its card; text that does not fit at the smallest size is\n"
        "cut and its card named in the report, as is a character no installed font has.");
}

void run(const QStringList& args, QTextStream& out) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw BankError(QStringLiteral("printing lays out text, which needs a QGuiApplication"));
    Options o;
    QCommandLineParser parser;
    parser.addOptions({o.set, o.topic, o.custom, o.layout, o.card, o.flip, o.paper, o.offset,
                       o.hideAnswers, o.testPage});
    if (!parser.parse(QStringList{QStringLiteral("memvane-bank print")} + args))
        throw BankError(parser.errorText());
    const QStringList files = parser.positionalArguments();
    const Paper paper = parser.isSet(o.paper) ? paperNamed(parser.value(o.paper)) : systemPaper();

    if (parser.isSet(o.testPage)) {
        if (files.size() != 1)
            throw BankError(QStringLiteral("usage: memvane-bank print --test-page OUT.pdf"));
        writePdf(files[0], paper, QStringLiteral("memvane-bank test page"), drawTestPage);
        out << "Wrote a test page (one sheet, " << paper.name << ") to " << files[0] << ".\n";
        return;
    }
    if (files.size() != 2)
        throw BankError(QStringLiteral("usage: memvane-bank %1").arg(usage()));

    Settings settings;
    settings.layout =
        pick(QStringLiteral("layout"),
             parser.value(o.layout).isEmpty() ? QStringLiteral("cards") : parser.value(o.layout),
             {QStringLiteral("cards"), QStringLiteral("fold"), QStringLiteral("list")},
             std::vector{Layout::Cards, Layout::Fold, Layout::List});
    settings.card = cardSize(parser.isSet(o.card) ? parser.value(o.card) : QStringLiteral("a8"));
    settings.flip = pick(QStringLiteral("edge"),
                         parser.isSet(o.flip) ? parser.value(o.flip) : QStringLiteral("long"),
                         {QStringLiteral("long"), QStringLiteral("short")},
                         std::vector{Flip::Long, Flip::Short});
    if (parser.isSet(o.offset))
        settings.offset = offsetOf(parser.value(o.offset));
    settings.hideAnswers = parser.isSet(o.hideAnswers);
    if (settings.hideAnswers && settings.layout != Layout::List)
        throw BankError(QStringLiteral("--hide-answers is for --layout list"));

    const selection::Selection chosen = selection::buildQuery(choiceOf(parser, o), {});
    CardSet cards(files[0], chosen.CurrentSQL);
    if (cards.count() == 0)
        throw BankError(QStringLiteral("%1 holds no cards of %2; no file was written")
                            .arg(files[0], describe(parser, o)));

    Report report;
    const int pages = writePdf(files[1], paper, QFileInfo(files[0]).completeBaseName(),
                               [&](Canvas& canvas) { drawCards(cards, settings, canvas, report); });
    for (const QString& note : report.notes)
        out << note << "\n";
    out << "Printed " << report.cards << (report.cards == 1 ? " card" : " cards") << " on " << pages
        << (pages == 1 ? " page" : " pages") << " (" << paper.name << ") to " << files[1] << ".\n";
}

} // namespace print
