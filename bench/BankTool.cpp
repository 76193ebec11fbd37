#include "bench/BankTool.h"

#include "bench/BenchBank.h"
#include "bench/Measure.h"
#include "bench/Peak.h"
#include "store/Bank.h"
#include "store/Categories.h"
#include "store/QuestionCsv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace bench {

namespace {

constexpr int Questions = 1000000;
constexpr int OldQuestions = 1000; // in the bank the import goes into
constexpr int Runs = 3;            // of each command, alternating
constexpr double Limit = 3.0;      // peak / CSV size

struct Usage {
    double wallSeconds = 0;
    double cpuSeconds = 0; // user + system
    long peakKilobytes = 0;
};

// What a figure's runs add up to: the largest peak and the median times. Usage holds them.
Usage summary(const std::vector<Usage>& runs) {
    Usage all;
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const Usage& usage : runs) {
        all.peakKilobytes = std::max(all.peakKilobytes, usage.peakKilobytes);
        wall.push_back(usage.wallSeconds);
        cpu.push_back(usage.cpuSeconds);
    }
    all.wallSeconds = median(std::move(wall));
    all.cpuSeconds = median(std::move(cpu));
    return all;
}

double seconds(const timeval& t) {
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

// Runs the tool and waits for it, reading its peak every millisecond: the peak only grows
// while it runs, so what the last reading misses is its ending. The peak wait4 reports is no
// use here: a child started by a process that has held much keeps that figure as its own.
Usage runTool(const QStringList& arguments, const QString& log, const QString& expected) {
    std::vector<QByteArray> words = {QByteArrayLiteral(MEMVANE_BANK_TOOL)};
    for (const QString& argument : arguments)
        words.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    const QByteArray logName = QFile::encodeName(log);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, logName.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + std::string(MEMVANE_BANK_TOOL));
    int status = 0;
    rusage usage{};
    long peak = 0;
    for (;;) {
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid)
            break;
        if (done != 0)
            throw std::runtime_error("lost the bank tool process");
        peak = std::max(peak, peakKilobytes(pid));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto stop = std::chrono::steady_clock::now();

    QFile output(log);
    const QString said =
        output.open(QIODevice::ReadOnly) ? QString::fromUtf8(output.readAll()) : QString();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !said.contains(expected))
        throw std::runtime_error("memvane-bank " + arguments.join(u' ').toStdString() +
                                 " did not do its work: " + said.toStdString());
    return {std::chrono::duration<double>(stop - start).count(),
            seconds(usage.ru_utime) + seconds(usage.ru_stime), peak};
}

// The same questions every time; written beside the benchmark's banks and kept for later runs.
QString millionQuestionsCsv(const QString& folder) {
    const QString path =
        QDir(folder).filePath(QStringLiteral("memvane-bench-%1.csv").arg(Questions));
    if (QFileInfo::exists(path))
        return path;
    const QString part = path + QStringLiteral(".part");
    QFile file(part);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + part.toStdString());
    const auto& captions = store::categories();
    QByteArray text = "ID,Question,Answer,Category,BASICS,TOUGH,FINAL\n";
    for (int n = 1; n <= Questions; ++n) {
        const QByteArray id = QByteArray::number(n);
        text += id + ",What is term " + id + "?,\"Term " + id + ", of the book.\"," +
                captions[size_t((n - 1) % int(captions.size()))].toUtf8() + ',' +
                QByteArray::number(n % 3 == 0) + ',' + QByteArray::number(n % 7 == 0) + ',' +
                QByteArray::number(n % 4 == 0) + '\n';
        if (text.size() > (1 << 20) || n == Questions) {
            if (file.write(text) != text.size())
                throw std::runtime_error("cannot write " + part.toStdString());
            text.clear();
        }
    }
    if (!file.flush())
        throw std::runtime_error("cannot write " + part.toStdString());
    file.close();
    if (!QFile::rename(part, path))
        throw std::runtime_error("cannot name " + path.toStdString());
    return path;
}

// A bank whose first questions differ from the CSV's, so the import updates some and adds the
// rest.
void writeOldBank(const QString& path) {
    std::vector<store::Question> questions;
    for (int n = 1; n <= OldQuestions; ++n) {
        store::Question q;
        q.id = n;
        q.question = QStringLiteral("An older question %1?").arg(n);
        q.answer = QStringLiteral("An older answer.");
        q.category = store::categories().front();
        questions.push_back(std::move(q));
    }
    store::createBank(path, questions);
}

struct Figure {
    QString name;
    std::vector<Usage> runs;
};

QString mebibytes(double kilobytes) {
    return QStringLiteral("%1 MiB").arg(kilobytes / 1024.0, 0, 'f', 1);
}

QString secondsText(double s) {
    return QStringLiteral("%1 s").arg(s, 0, 'f', 2);
}

void out(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
}

} // namespace

void printBankTool(const QString& folder) {
    std::fprintf(stderr, "bank tool: a CSV of %d questions\n", Questions);
    const QString csv = millionQuestionsCsv(folder);
    const qint64 csvBytes = QFileInfo(csv).size();
    QTemporaryDir scratch(QDir(folder).filePath(QStringLiteral("memvane-bench-tool-XXXXXX")));
    if (!scratch.isValid())
        throw std::runtime_error("no temporary folder under " + folder.toStdString());
    const QString bank = scratch.filePath(QStringLiteral("bank.mdb"));
    const QString log = scratch.filePath(QStringLiteral("tool.log"));

    Figure create{QStringLiteral("`create` (a new bank)"), {}};
    Figure import{QStringLiteral("`import` (%1 updated, %2 added)")
                      .arg(QLocale(QLocale::English).toString(OldQuestions),
                           QLocale(QLocale::English).toString(Questions - OldQuestions)),
                  {}};
    for (int run = 0; run < Runs; ++run) {
        std::fprintf(stderr, "bank tool: create and import, run %d of %d\n", run + 1, Runs);
        QFile::remove(bank);
        create.runs.push_back(runTool({QStringLiteral("create"), csv, bank}, log,
                                      QStringLiteral("with %1 questions").arg(Questions)));
        QFile::remove(bank);
        writeOldBank(bank);
        import.runs.push_back(
            runTool({QStringLiteral("import"), csv, bank}, log,
                    QStringLiteral("Added %1, updated %2, left alone 0, skipped 0.")
                        .arg(Questions - OldQuestions)
                        .arg(OldQuestions)));
    }
    QFile::remove(bank);

    const QLocale english(QLocale::English);
    const double csvKilobytes = double(csvBytes) / 1024.0;
    out(QString());
    out(QStringLiteral("### Bank tool on %1 questions: peak memory (VmHWM)")
            .arg(english.toString(Questions)));
    out(QString());
    out(QStringLiteral("CSV of %1 bytes (%2). Each command runs as a process of its own, %3 "
                       "times, create and import in turn; the peak is the largest of the runs, "
                       "the times are medians.")
            .arg(english.toString(csvBytes), mebibytes(csvKilobytes))
            .arg(Runs));
    out(QString());
    out(QStringLiteral("| Command | Peak | Peak / CSV size | Target | Result | Wall time | CPU "
                       "time (user + system) |"));
    out(QStringLiteral("|---|---:|---:|---|---|---:|---:|"));
    for (const Figure* figure : {&create, &import}) {
        const Usage runs = summary(figure->runs);
        const long peak = runs.peakKilobytes;
        const double ratio = double(peak) / csvKilobytes;
        out(QStringLiteral("| %1 | %2 | %3x | ≤ %4x (≤ %5) | %6 | %7 | %8 |")
                .arg(figure->name, mebibytes(double(peak)), QString::number(ratio, 'f', 2))
                .arg(Limit)
                .arg(mebibytes(Limit * csvKilobytes),
                     ratio <= Limit ? QStringLiteral("target met")
                                    : QStringLiteral("target MISSED"),
                     secondsText(runs.wallSeconds), secondsText(runs.cpuSeconds)));
    }
}

void printPrinting(const QString& folder) {
    QTemporaryDir scratch(QDir(folder).filePath(QStringLiteral("memvane-bench-print-XXXXXX")));
    if (!scratch.isValid())
        throw std::runtime_error("no temporary folder under " + folder.toStdString());
    QFile shippedCsv(QStringLiteral(MEMVANE_QUESTIONS_CSV));
    if (!shippedCsv.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + std::string(MEMVANE_QUESTIONS_CSV));
    struct Bank {
        QString file;
        int cards;
        std::vector<Usage> runs;
        QString pages;
    };
    std::vector<Bank> banks;
    const QString shipped = scratch.filePath(QStringLiteral("shipped.mdb"));
    store::createBank(shipped, store::parseQuestions(shippedCsv.readAll()));
    banks.push_back({shipped, int(store::readBank(shipped).size()), {}, {}});
    for (const int questions : {8192, 32767})
        banks.push_back({bankIn(folder, questions).firstStart, questions, {}, {}});

    const QString pdf = scratch.filePath(QStringLiteral("cards.pdf"));
    const QString log = scratch.filePath(QStringLiteral("print.log"));
    for (int run = 0; run < Runs; ++run) {
        for (Bank& bank : banks) {
            std::fprintf(stderr, "bank tool: print %d cards, run %d of %d\n", bank.cards, run + 1,
                         Runs);
            QFile::remove(pdf);
            bank.runs.push_back(runTool({QStringLiteral("print"), QStringLiteral("--paper"),
                                         QStringLiteral("a4"), bank.file, pdf},
                                        log, QStringLiteral("Printed %1 cards").arg(bank.cards)));
            QFile said(log);
            said.open(QIODevice::ReadOnly);
            bank.pages = QRegularExpression(QStringLiteral("on (\\d+) pages"))
                             .match(QString::fromUtf8(said.readAll()))
                             .captured(1);
        }
    }
    QFile::remove(pdf);

    const QLocale english(QLocale::English);
    out(QString());
    out(QStringLiteral("### Bank tool: print in the cards layout (A8 cards, 10 to an A4 page)"));
    out(QString());
    out(QStringLiteral("Each bank printed as a process of its own, %1 times, the banks in turn; "
                       "the times are medians, the peak the largest of the runs.")
            .arg(Runs));
    out(QString());
    out(QStringLiteral("| Bank | Cards | Pages | Wall time | CPU time (user + system) | CPU per "
                       "card | Peak memory |"));
    out(QStringLiteral("|---|---:|---:|---:|---:|---:|---:|"));
    for (const Bank& bank : banks) {
        const Usage runs = summary(bank.runs);
        const long peak = runs.peakKilobytes;
        out(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 ms | %7 |")
                .arg(bank.file == shipped ? QStringLiteral("shipped") : QStringLiteral("generated"),
                     english.toString(bank.cards), english.toString(bank.pages.toInt()),
                     secondsText(runs.wallSeconds), secondsText(runs.cpuSeconds))
                .arg(runs.cpuSeconds * 1000 / bank.cards, 0, 'f', 3)
                .arg(mebibytes(double(peak))));
    }
}

namespace {

constexpr int KvtmlCards = 1332;
constexpr int AnkiCards = 100000;

void writeText(const QString& path, const QByteArray& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

// A KWordQuiz-like deck: two sides, the entries in twelve lessons.
QByteArray kvtmlDeck(int cards) {
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE kvtml PUBLIC "
                      "\"kvtml2.dtd\" \"http://edu.kde.org/kvtml/kvtml2.dtd\">\n<kvtml "
                      "version=\"2.0\">\n  <identifiers>\n    <identifier id=\"0\"><name>Term"
                      "</name></identifier>\n    <identifier id=\"1\"><name>Meaning</name>"
                      "</identifier>\n  </identifiers>\n  <entries>\n";
    for (int n = 0; n < cards; ++n) {
        const QByteArray id = QByteArray::number(n);
        text += "    <entry id=\"" + id +
                "\">\n      <translation id=\"0\">\n        <text>"
                "What is term " +
                id +
                "?</text>\n      </translation>\n      <translation "
                "id=\"1\">\n        <text>Term " +
                id +
                ", of the book, in a sentence or "
                "two.</text>\n      </translation>\n    </entry>\n";
    }
    text += "  </entries>\n  <lessons>\n";
    for (int lesson = 0; lesson < 12; ++lesson) {
        text +=
            "    <container>\n      <name>Lesson " + QByteArray::number(lesson + 1) + "</name>\n";
        for (int n = lesson; n < cards; n += 12)
            text += "      <entry id=\"" + QByteArray::number(n) + "\"/>\n";
        text += "    </container>\n";
    }
    return text + "  </lessons>\n</kvtml>\n";
}

// An Anki "Notes in Plain Text" export with guids, decks, tags and HTML.
QByteArray ankiDeck(int cards) {
    QByteArray text = "#separator:tab\n#html:true\n#guid column:1\n#notetype column:2\n"
                      "#deck column:3\n#tags column:6\n";
    for (int n = 0; n < cards; ++n) {
        const QByteArray id = QByteArray::number(n);
        text += "g" + id + "\tBasic\tBiology::Lesson " + QByteArray::number(n % 12 + 1) +
                "\tWhat is <b>term " + id + "</b>?\tTerm " + id +
                ",<br>of the book &amp; its index.\tbook exam\n";
    }
    return text;
}

struct DeckFigure {
    QString name;
    QString file;
    int cards = 0;
    QStringList options;
    std::vector<Usage> runs;
};

constexpr int PackageNotes = 30000;

// Anki 2.1.50's package of so many notes, the real one of the tests' decks repeated; how large
// its collection inflates to.
qint64 writePackage(const QString& path, int notes) {
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral(MEMVANE_SOURCE_DIR "/scripts/anki-package-layouts.py"),
                  QStringLiteral(MEMVANE_SOURCE_DIR "/tests/data/decks/mnemosyne-anki1.apkg"),
                  QStringLiteral("latest"), path, QStringLiteral("--notes"),
                  QString::number(notes)});
    const QRegularExpression size(QStringLiteral("collection (\\d+) bytes"));
    const auto said = python.waitForFinished(-1) && python.exitCode() == 0
                          ? size.match(QString::fromUtf8(python.readAllStandardOutput()))
                          : QRegularExpressionMatch();
    if (!said.hasMatch())
        throw std::runtime_error("cannot write the package " + path.toStdString());
    return said.captured(1).toLongLong();
}

// The cards an import added, as its report says.
int addedCards(const QString& log) {
    QFile file(log);
    const QRegularExpression added(QStringLiteral("Added (\\d+),"));
    const auto match =
        added.match(file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString());
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

void printDeckImport(const QString& folder) {
    QTemporaryDir scratch(QDir(folder).filePath(QStringLiteral("memvane-bench-decks-XXXXXX")));
    if (!scratch.isValid())
        throw std::runtime_error("no temporary folder under " + folder.toStdString());
    const QStringList toEcology = {QStringLiteral("--category"), QStringLiteral("Ecology")};
    const auto deck = [&](const char* name, const char* file, int cards, const QByteArray& text) {
        DeckFigure figure{QString::fromUtf8(name),
                          scratch.filePath(QString::fromLatin1(file)),
                          cards,
                          toEcology,
                          {}};
        writeText(figure.file, text);
        return figure;
    };
    // The first is the tool's floor: what it holds whatever the deck, to tell from what grows.
    std::vector<DeckFigure> figures = {
        deck("Anki notes, one card (the floor)", "one.txt", 1, ankiDeck(1)),
        deck("KVTML, 12 lessons", "deck.kvtml", KvtmlCards, kvtmlDeck(KvtmlCards)),
        deck("Anki notes", "notes.txt", AnkiCards, ankiDeck(AnkiCards)),
        deck("Anki notes, twice as many", "notes2.txt", 2 * AnkiCards, ankiDeck(2 * AnkiCards))};
    // Packages: their cards are known once the first import says how many it added.
    const auto package = [&](const char* name, const char* file, int notes) {
        DeckFigure figure{
            QString::fromUtf8(name), scratch.filePath(QString::fromLatin1(file)), 0, toEcology, {}};
        const qint64 collection = writePackage(figure.file, notes);
        return std::pair{figure, collection};
    };
    auto [one, oneCollection] = package("Anki package, 2.1.50 layout", "deck.apkg", PackageNotes);
    auto [two, twoCollection] =
        package("Anki package, twice as many notes", "deck2.apkg", 2 * PackageNotes);
    figures.push_back(one);
    figures.push_back(two);
    const QString bank = scratch.filePath(QStringLiteral("bank.mdb"));
    const QString log = scratch.filePath(QStringLiteral("tool.log"));
    for (int run = 0; run < Runs; ++run) {
        std::fprintf(stderr, "bank tool: deck imports, run %d of %d\n", run + 1, Runs);
        for (DeckFigure& figure : figures) {
            QFile::remove(bank);
            writeOldBank(bank);
            figure.runs.push_back(
                runTool(QStringList{QStringLiteral("import")} + figure.options +
                            QStringList{figure.file, bank},
                        log,
                        figure.cards > 0
                            ? QStringLiteral("Added %1, updated 0, left alone 0,").arg(figure.cards)
                            : QStringLiteral("updated 0, left alone 0,")));
            if (figure.cards == 0)
                figure.cards = addedCards(log);
        }
    }
    const QLocale english(QLocale::English);
    out(QString());
    out(QStringLiteral("### Bank tool: decks of other programs into a bank of %1 questions")
            .arg(english.toString(OldQuestions)));
    out(QString());
    out(QStringLiteral("`import` as a process of its own, %1 times each, the decks in turn; the "
                       "peak is the largest of the runs, the times are medians.")
            .arg(Runs));
    out(QString());
    out(QStringLiteral("| Deck | Cards | File | Peak | Peak / file | Peak above the floor / "
                       "file | Target (above the floor) | Wall time | CPU time (user + system) |"));
    out(QStringLiteral("|---|---:|---:|---:|---:|---:|---|---:|---:|"));
    std::vector<double> cpuOf;
    std::vector<long> peakOf;
    for (const DeckFigure& figure : figures) {
        const Usage runs = summary(figure.runs);
        const long peak = runs.peakKilobytes;
        const double kilobytes = double(QFileInfo(figure.file).size()) / 1024.0;
        const double ratio = double(peak) / kilobytes;
        const bool floor = peakOf.empty();
        const double above = floor ? 0 : double(peak - peakOf.front()) / kilobytes;
        out(QStringLiteral("| %1 | %2 | %3 | %4 | %5x | %6 | %7 | %8 | %9 |")
                .arg(figure.name, english.toString(figure.cards), mebibytes(kilobytes),
                     mebibytes(double(peak)), QString::number(ratio, 'f', 2),
                     floor ? QStringLiteral("—") : QString::number(above, 'f', 2) + u'x',
                     floor || figure.file.endsWith(u".apkg") ? QStringLiteral("—")
                     : above <= Limit                        ? QStringLiteral("≤ 3x: met")
                                                             : QStringLiteral("≤ 3x: MISSED"),
                     secondsText(runs.wallSeconds), secondsText(runs.cpuSeconds)));
        cpuOf.push_back(runs.cpuSeconds);
        peakOf.push_back(peak);
    }
    out(QString());
    // A package's bound: thrice what the tool reads, the package and its collection inflated,
    // as a text deck's is thrice its file.
    for (const auto& [index, collection] :
         {std::pair{4, oneCollection}, std::pair{5, twoCollection}}) {
        const double bound =
            3.0 * (double(QFileInfo(figures[size_t(index)].file).size()) + double(collection)) /
            1024.0;
        out(QStringLiteral("%1: collection inflated %2, bound (3x (package + collection)) %3, "
                           "peak above the floor %4: %5.")
                .arg(figures[size_t(index)].name, mebibytes(double(collection) / 1024.0),
                     mebibytes(bound), mebibytes(double(peakOf[size_t(index)] - peakOf[0])),
                     double(peakOf[size_t(index)] - peakOf[0]) <= bound
                         ? QStringLiteral("met")
                         : QStringLiteral("MISSED")));
    }
    out(QString());
    // How time and the peak above the floor grow from one figure to the one twice its size.
    const auto growth = [&](const QString& what, int from, size_t small, size_t large) {
        out(QStringLiteral("Growth from %1 to %2 %3: CPU time %4x, peak above the floor %5x "
                           "(linear: 2x).")
                .arg(english.toString(from), english.toString(2 * from), what,
                     QString::number(cpuOf[large] / cpuOf[small], 'f', 2),
                     QString::number(double(peakOf[large] - peakOf[0]) /
                                         double(peakOf[small] - peakOf[0]),
                                     'f', 2)));
    };
    growth(QStringLiteral("notes of a package"), PackageNotes, 4, 5);
    growth(QStringLiteral("Anki cards"), AnkiCards, 2, 3);
}

} // namespace bench
