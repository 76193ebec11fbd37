// memvane-bench: times the program against the bare SQLCipher work on the same bank file and
// prints Markdown tables of wall and CPU times and their ratios.
//   memvane-bench [--dir FOLDER] [--large]
//   memvane-bench [--dir FOLDER] --print   only the bank tool printing cards
//   memvane-bench [--dir FOLDER] --decks   only the bank tool on decks of other programs
//       --dir    where the generated banks are kept between runs (default: a folder
//                memvane-bench in the system's temporary folder)
//       --large  adds the bank of 1,000,000 questions (some minutes more)
//       --print  only the figures of memvane-bank print
//   memvane-bench --child KIND ...      one measured run in a fresh process (used by the above)
#include "app/Failure.h"
#include "app/launch.h"
#include "bench/BankTool.h"
#include "bench/BenchBank.h"
#include "bench/Check.h"
#include "bench/HugeText.h"
#include "bench/Measure.h"
#include "bench/Peak.h"
#include "bench/RawBank.h"
#include "bench/Running.h"
#include "bench/StartUp.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <sqlcipher/sqlite3.h>

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using bench::BankInfo;
using bench::Comparison;
using bench::require;
using bench::Sample;
using bench::StartUp;

constexpr int SmallBank = 300;
constexpr int MiddleBank = 32767;
constexpr int LargeBank = 1000000;
constexpr int PeakRuns = 3;

// The offscreen platform warns on every raise() of a shown window; that says nothing here.
void quietHarmlessWarnings(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (message.startsWith(QStringLiteral("This plugin does not support raise()")) ||
        message.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toUtf8().constData());
}

void progress(const QString& line) {
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

void out(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
}

// Records whose Index is not their ID, counted by the bare engine.
long long notRenumbered(const BankInfo& bank) {
    bench::RawBank raw(bank.file);
    bench::RawStatement count(raw,
                              "SELECT count(*) FROM \"QATABLE\" WHERE \"Index\" IS NOT \"ID\"");
    require(count.step(), "the count of records to renumber");
    return sqlite3_column_int64(count.get(), 0);
}

// --- Start-up, each run a fresh process --------------------------------------------------

struct StartUpFigures {
    Comparison renumbered; // program against the bare engine, on a renumbered bank
    Comparison today;      // program against today's loop, on a renumbered bank
    Comparison firstStart; // program against the bare engine, every Index to write
};

StartUpFigures measureStartUps(const BankInfo& bank) {
    const bool large = bank.questions > 100000;
    StartUpFigures figures;
    bench::runStartUp(StartUp::Program, bank); // renumbers, and brings the file into memory
    require(notRenumbered(bank) == 0, "start-up leaves Index = ID");

    const int rounds = large ? 5 : 7;
    std::vector<Sample> program;
    std::vector<Sample> raw;
    std::vector<Sample> today;
    const StartUp order[] = {StartUp::Program, StartUp::Raw, StartUp::Today};
    for (int round = 0; round < rounds; ++round) {
        // The order turns each round, so no side always follows the same one.
        for (int i = 0; i < 3; ++i) {
            const StartUp kind = order[(round + i) % 3];
            const Sample sample = bench::runStartUp(kind, bank);
            (kind == StartUp::Program ? program
             : kind == StartUp::Raw   ? raw
                                      : today)
                .push_back(sample);
        }
    }
    require(notRenumbered(bank) == 0, "every start-up leaves Index = ID");
    figures.renumbered = {bench::median(program), bench::median(raw), rounds};
    figures.today = {bench::median(program), bench::median(today), rounds};

    const int firstRounds = large ? 3 : 5;
    std::vector<Sample> firstProgram;
    std::vector<Sample> firstRaw;
    for (int round = 0; round < firstRounds; ++round) {
        for (int i = 0; i < 2; ++i) {
            const bool programFirst = (round + i) % 2 == 0;
            bench::restoreFirstStart(bank);
            require(notRenumbered(bank) == bank.questions, "the first start has all to write");
            (programFirst ? firstProgram : firstRaw)
                .push_back(bench::runStartUp(programFirst ? StartUp::Program : StartUp::Raw, bank));
            require(notRenumbered(bank) == 0, "the first start renumbers every record");
        }
    }
    figures.firstStart = {bench::median(firstProgram), bench::median(firstRaw), firstRounds};
    return figures;
}

// --- The report ---------------------------------------------------------------------------

QString duration(double us) {
    if (us < 1000.0)
        return QStringLiteral("%1 µs").arg(us, 0, 'f', 1);
    if (us < 1000000.0)
        return QStringLiteral("%1 ms").arg(us / 1000.0, 0, 'f', 2);
    return QStringLiteral("%1 s").arg(us / 1000000.0, 0, 'f', 2);
}

QString times(double ratio) {
    return QStringLiteral("%1x").arg(ratio, 0, 'f', ratio < 10 ? 2 : 1);
}

QString mebibytes(double bytes) {
    return QStringLiteral("%1 MiB").arg(bytes / 1048576.0, 0, 'f', 1);
}

QString count(long long n) {
    return QLocale(QLocale::English).toString(n);
}

QString result(const Comparison& c, double limit, bool syncBound) {
    if (limit <= 0)
        return QStringLiteral("—");
    const bool cpuMet = c.program.cpu <= limit * c.baseline.cpu;
    if (syncBound)
        return (cpuMet ? QStringLiteral("met") : QStringLiteral("MISSED")) +
               QStringLiteral(" (on CPU: sync-bound)");
    const bool wallMet = c.program.wall <= limit * c.baseline.wall;
    if (cpuMet && wallMet)
        return QStringLiteral("met");
    return QStringLiteral("MISSED (%1)")
        .arg(!cpuMet && !wallMet ? QStringLiteral("wall, CPU")
             : !cpuMet           ? QStringLiteral("CPU")
                                 : QStringLiteral("wall"));
}

struct Figure {
    QString name;
    QString against; // what the baseline column holds, one line
    bool syncBound;  // a side commits a write, synced to disk, in every run
    std::map<int, Comparison> bySize;
    std::map<int, double> limit; // per size; none: no target
};

void printFigures(const std::vector<Figure>& figures) {
    out(QStringLiteral("| Figure | Questions | Runs | Program wall | Program CPU | Baseline wall | "
                       "Baseline CPU | Wall ratio | CPU ratio | Target | Result |"));
    out(QStringLiteral("|---|---:|---:|---:|---:|---:|---:|---:|---:|---|---|"));
    for (const Figure& figure : figures) {
        for (const auto& [size, c] : figure.bySize) {
            const auto limit = figure.limit.find(size);
            const double target = limit == figure.limit.end() ? 0.0 : limit->second;
            out(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 | %9 | %10 | %11 |")
                    .arg(figure.name, count(size), QString::number(c.runs),
                         duration(c.program.wall), duration(c.program.cpu),
                         duration(c.baseline.wall), duration(c.baseline.cpu),
                         times(c.program.wall / c.baseline.wall),
                         times(c.program.cpu / c.baseline.cpu))
                    .arg(target > 0 ? QStringLiteral("≤ %1x").arg(target) : QStringLiteral("—"),
                         result(c, target, figure.syncBound)));
        }
    }
    out(QString());
    out(QStringLiteral("Baselines:"));
    for (const Figure& figure : figures)
        out(QStringLiteral("- %1: %2").arg(figure.name, figure.against));
}

void printGrowth(const std::vector<Figure>& figures, int small, int large) {
    const double linear = double(large) / double(small);
    out(QStringLiteral("### Growth from %1 to %2 questions (the bank grows %3)")
            .arg(count(small), count(large), times(linear)));
    out(QString());
    out(QStringLiteral("| Program figure | Wall growth | CPU growth | Target | Result |"));
    out(QStringLiteral("|---|---:|---:|---|---|"));
    for (const Figure& figure : figures) {
        if (!figure.bySize.count(small) || !figure.bySize.count(large))
            continue;
        const Sample& first = figure.bySize.at(small).program;
        const Sample& last = figure.bySize.at(large).program;
        const double wall = last.wall / first.wall;
        const double cpu = last.cpu / first.cpu;
        out(QStringLiteral("| %1 | %2 | %3 | ≤ %4 (linear) | %5 |")
                .arg(figure.name, times(wall), times(cpu), times(linear),
                     wall <= linear && cpu <= linear ? QStringLiteral("met")
                                                     : QStringLiteral("MISSED")));
    }
}

QString machine() {
    QString cpu;
    QFile info(QStringLiteral("/proc/cpuinfo"));
    if (info.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (const QByteArray& line : info.readAll().split('\n')) {
            if (line.startsWith("model name")) {
                cpu = QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
                break;
            }
        }
    }
    return QStringLiteral("%1 cores (%2), %3 %4")
        .arg(QThread::idealThreadCount())
        .arg(cpu.isEmpty() ? QStringLiteral("unknown CPU") : cpu, QSysInfo::kernelType(),
             QSysInfo::kernelVersion());
}

int runAll(const QString& parent, bool withLarge) {
    QDir().mkpath(parent);
    // Scratch space for sections that need it; the banks themselves stay in parent.
    QTemporaryDir root(QDir(parent).filePath(QStringLiteral("memvane-bench-XXXXXX")));
    if (!root.isValid())
        throw std::runtime_error("no temporary folder under " + parent.toStdString());
    std::vector<int> sizes = {SmallBank, MiddleBank};
    if (withLarge)
        sizes.push_back(LargeBank);
    std::vector<BankInfo> banks;
    for (int size : sizes) {
        progress(QStringLiteral("the bank of %1 questions").arg(size));
        banks.push_back(bench::bankIn(parent, size));
    }

    std::vector<Figure> startUps = {
        {QStringLiteral("Start-up, renumbered bank"),
         QStringLiteral("in a fresh process that has shown the start-up window, as the "
                        "program's has when Continue is clicked: open with the key, the first "
                        "read and `PRAGMA "
                        "synchronous = EXTRA`; `SELECT rowid` of the whole table, sorted; in one "
                        "`BEGIN IMMEDIATE` transaction a scan of rowid, ID and Index that writes "
                        "Index where it is not the integer ID (here: nowhere), `COMMIT`; the "
                        "first card's four fields."),
         false,
         {},
         {{SmallBank, 1.3}, {MiddleBank, 1.3}, {LargeBank, 1.3}}},
        {QStringLiteral("Start-up, first start"),
         QStringLiteral("the same, on the bank as made: Index is written in every record."),
         true,
         {},
         {{SmallBank, 1.3}, {MiddleBank, 1.3}, {LargeBank, 1.3}}},
        {QStringLiteral("Start-up, renumbered bank, against today's"),
         QStringLiteral("not the bare engine but today's start-up, as the main branch runs it: "
                        "its record set collects the row ids by a scan of the whole table in row "
                        "order, then one transaction edits every record, building the SQL of "
                        "each read of ID and each update of Index and looking the statement up "
                        "by that text; in a fresh process, up to the first card painted. (The "
                        "main window needs a record set of the current kind, so one is opened "
                        "beside it: a scan of the small category index.)"),
         true,
         {},
         {{MiddleBank, 0.3}, {LargeBank, 0.3}}},
    };
    std::vector<Figure> running = {
        {QStringLiteral("Next"),
         QStringLiteral("the autocommit `UPDATE \"QATABLE\" SET \"Mark1\" = ?1 WHERE rowid = ?2` "
                        "of the card left, then `SELECT \"Question\", \"Answer\", \"Category\", "
                        "\"Mark1\" … WHERE rowid = ?1` of the next card, statements kept "
                        "prepared, same connection settings."),
         true,
         {},
         {{SmallBank, 1.3}, {MiddleBank, 1.3}, {LargeBank, 1.3}}},
        {QStringLiteral("Card set, all 15 categories (OK)"),
         QStringLiteral("the same `SELECT rowid … WHERE \"Category\" = ?1 OR … = ?15`, kept "
                        "prepared as the program's is, its row ids sorted, then the first card's "
                        "four fields."),
         false,
         {},
         {{SmallBank, 1.5}, {MiddleBank, 1.5}, {LargeBank, 1.5}}},
        {QStringLiteral("Display part of Next"),
         QStringLiteral("the next card's four fields (the program: move on, show the card, "
                        "paint; no mark stored)."),
         false,
         {},
         {}},
        {QStringLiteral("Random jump"),
         QStringLiteral("a random card's four fields."),
         false,
         {},
         {}},
        {QStringLiteral("Random jump, against the display part of Next"),
         QStringLiteral("not the bare engine but the program's display part of Next, measured "
                        "alternately with the jumps."),
         false,
         {},
         {{SmallBank, 1.5}, {MiddleBank, 1.5}, {LargeBank, 1.5}}},
    };

    const QString bareWindow = QStringLiteral(
        "In the program columns, not the program but the least any window could do after the "
        "baseline's work: the question, category and count drawn with `QPainter::drawText` into "
        "a plain widget, in the places, fonts and colours of the main window's controls, only "
        "those three places repainted. Against the same baseline runs as the program's ");
    std::vector<Figure> floors = {
        {QStringLiteral("Next, a bare window"), bareWindow + QStringLiteral("Next."), true, {}, {}},
        {QStringLiteral("Card set, a bare window"),
         bareWindow + QStringLiteral("card set."),
         false,
         {},
         {}},
    };

    for (const BankInfo& bank : banks) {
        progress(QStringLiteral("%1 questions: start-up").arg(bank.questions));
        const StartUpFigures s = measureStartUps(bank);
        startUps[0].bySize[bank.questions] = s.renumbered;
        startUps[1].bySize[bank.questions] = s.firstStart;
        startUps[2].bySize[bank.questions] = s.today;

        progress(QStringLiteral("%1 questions: the running program").arg(bank.questions));
        const bench::RunningFigures r = bench::measureRunning(bank);
        running[0].bySize[bank.questions] = r.next;
        running[1].bySize[bank.questions] = r.cardSet;
        running[2].bySize[bank.questions] = r.nextDisplay;
        running[3].bySize[bank.questions] = r.jump;
        running[4].bySize[bank.questions] = {r.jump.program, r.nextDisplay.program, r.jump.runs};
        floors[0].bySize[bank.questions] = r.bareNext;
        floors[1].bySize[bank.questions] = r.bareCardSet;
    }

    const BankInfo& largest = banks.back();
    progress(QStringLiteral("peak memory on %1 questions").arg(largest.questions));
    std::vector<double> programPeaks;
    std::vector<double> emptyPeaks;
    bench::Peak programPeak;
    for (int run = 0; run < PeakRuns; ++run) {
        programPeak = bench::runPeakProgram(largest);
        programPeaks.push_back(double(programPeak.kilobytes));
        emptyPeaks.push_back(double(bench::runPeakEmpty(programPeak.window).kilobytes));
    }
    const double peak = bench::median(programPeaks) * 1024.0;
    const double empty = bench::median(emptyPeaks) * 1024.0;
    require(peak > 0 && empty > 0, "the children report their peaks");

    out(QStringLiteral("## Memvane benchmark"));
    out(QString());
    out(QStringLiteral("%1; Qt %2, SQLCipher on SQLite %3, build %4, offscreen; banks in %5. "
                       "Times are medians; CPU is the process's CPU time (all threads, user and "
                       "system), which waiting for the disk's sync does not count in.")
            .arg(machine(), QString::fromLatin1(qVersion()),
                 QString::fromLatin1(sqlite3_libversion()),
                 QStringLiteral(MEMVANE_BENCH_BUILD_TYPE), QDir(parent).absolutePath()));
    out(QString());
    out(QStringLiteral(
        "Start-up: every run is a fresh process that shows the start-up window and waits, as "
        "the program does for Continue; from there the program is timed from the Continue "
        "click to the first paint of the main window's question and counter, which an event "
        "filter sees while the event loop runs, and the baseline over its own work; program, "
        "baseline and today's start-up alternate one by one, "
        "their order turning each round. The running program: one process; each program "
        "figure ends when the main window has repainted: the update request that changing its "
        "controls posted is delivered at once (`QCoreApplication::sendPostedEvents(nullptr, "
        "QEvent::UpdateRequest)`), which paints every control that changed, as the event loop "
        "would, into the backing store and flushes it; the event filter checks that the "
        "question box painted. Program, baseline and bare-window runs alternate one by one on "
        "the same file, their order turning each run, each through a connection of its own. A "
        "figure where a side commits a write, synced "
        "to disk, in every run spends most of its wall time waiting for the disk: it is "
        "sync-bound, and its verdict is taken on CPU time."));
    out(QString());
    printFigures(startUps);
    out(QString());
    printFigures(running);
    out(QString());
    out(QStringLiteral("A floor under the figures that end with a paint: what a window that paints "
                       "nothing but the card's three texts costs beside the same baselines."));
    out(QString());
    printFigures(floors);
    out(QString());
    std::vector<Figure> growing = startUps;
    growing.pop_back();
    growing.insert(growing.end(), running.begin(), running.end() - 1);
    printGrowth(growing, banks.front().questions, largest.questions);

    const double cache = double(programPeak.pageCacheBytes);
    const double rows = 8.0 * largest.questions;
    const double allowance = empty + cache + rows;
    out(QString());
    out(QStringLiteral("### Peak memory (VmHWM), %1 questions, median of %2 runs")
            .arg(count(largest.questions))
            .arg(PeakRuns));
    out(QString());
    out(QStringLiteral("| Program | Empty %1 x %2 window | Page cache | 8 bytes a record | "
                       "Program / sum | Target | Result |")
            .arg(programPeak.window.width())
            .arg(programPeak.window.height()));
    out(QStringLiteral("|---:|---:|---:|---:|---:|---|---|"));
    // The target is set for the largest bank; on smaller ones the fixed cost of the program
    // outweighs what grows with the bank.
    const bool judged = largest.questions == LargeBank;
    out(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 |")
            .arg(mebibytes(peak), mebibytes(empty), mebibytes(cache), mebibytes(rows),
                 times(peak / allowance),
                 judged ? QStringLiteral("≤ 1.3x") : QStringLiteral("— (set for 1,000,000)"),
                 !judged                   ? QStringLiteral("—")
                 : peak <= 1.3 * allowance ? QStringLiteral("met")
                                           : QStringLiteral("MISSED")));
    out(QString());
    out(QStringLiteral("The program's run: start-up, 20 Next and 5 random jumps; the page cache "
                       "is what the engine holds at its end (`SQLITE_DBSTATUS_CACHE_USED`)."));

    // Sections that measure other parts of the program print below this line.
    bench::hugeText(root.path());
    bench::printPrinting(parent);
    // A CSV of a million questions: only with the largest bank.
    if (withLarge)
        bench::printBankTool(parent);
    bench::printDeckImport(parent);

    std::fflush(stdout);
    return 0;
}

int child(const QStringList& arguments) {
    const QString kind = arguments.value(0);
    if (kind.startsWith(QStringLiteral("startup-")) && arguments.size() == 2)
        return bench::startUpChild(kind.mid(8), arguments[1]);
    if (kind == QStringLiteral("peak-program") && arguments.size() == 2)
        return bench::peakProgramChild(arguments[1]);
    if (kind == QStringLiteral("peak-empty") && arguments.size() == 3)
        return bench::peakEmptyChild(arguments[1].toInt(), arguments[2].toInt());
    throw std::runtime_error("no such child: " + arguments.join(u' ').toStdString());
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform looks for fonts in Qt's own folder unless told otherwise; the
    // build found the folder of the fonts the tests use.
    if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR") && *MEMVANE_FONT_DIR)
        qputenv("QT_QPA_FONTDIR", MEMVANE_FONT_DIR);
    qInstallMessageHandler(quietHarmlessWarnings);
    QApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    try {
        if (arguments.value(0) == QStringLiteral("--child"))
            return child(arguments.mid(1));
        QString dir = QDir(QDir::tempPath()).filePath(QStringLiteral("memvane-bench"));
        bool large = false;
        bool printOnly = false;
        bool decksOnly = false;
        while (!arguments.isEmpty()) {
            const QString option = arguments.takeFirst();
            if (option == QStringLiteral("--dir") && !arguments.isEmpty())
                dir = arguments.takeFirst();
            else if (option == QStringLiteral("--large"))
                large = true;
            else if (option == QStringLiteral("--print"))
                printOnly = true;
            else if (option == QStringLiteral("--decks"))
                decksOnly = true;
            else {
                std::fprintf(stderr,
                             "usage: memvane-bench [--dir FOLDER] [--large | --print | --decks]\n");
                return 2;
            }
        }
        if (printOnly || decksOnly) {
            QDir().mkpath(dir);
            if (printOnly)
                bench::printPrinting(dir);
            if (decksOnly)
                bench::printDeckImport(dir);
            return 0;
        }
        app::applyLook();
        return runAll(dir, large);
    } catch (...) {
        std::fprintf(stderr, "memvane-bench: %s\n",
                     app::failureText(std::current_exception()).toUtf8().constData());
        return 1;
    }
}
