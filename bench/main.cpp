// memvane-bench: times the program's own code, in process and off screen, against the bare
// SQLCipher work on the same bank file, and prints a Markdown table of figures and ratios.
//   memvane-bench [--dir FOLDER]         the whole run; banks go in a temporary folder
//                                        under FOLDER (default: the system's temporary folder)
//   memvane-bench --peak-program FOLDER  (child) the program on FOLDER's bank; prints its peak
//   memvane-bench --peak-empty           (child) an empty window; prints its peak
#include "app/Failure.h"
#include "app/FrmSplash.h"
#include "app/ProgramFolder.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "app/launch.h"
#include "bench/BankTool.h"
#include "bench/BenchBank.h"
#include "bench/HugeText.h"
#include "bench/Measure.h"
#include "bench/RawBank.h"
#include "selection/FrmOptions.h"
#include "store/Categories.h"
#include "store/RecordSet.h"
#include "tools/automation/MainControls.h"
#include "viewer/FrmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <sqlcipher/sqlite3.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using bench::BankInfo;
using bench::median;
using bench::micros;

constexpr std::array<int, 3> BankSizes = {300, 5000, 32767};
constexpr int StartUpRuns = 5;
constexpr int Steps = 1000;
constexpr int CardSetRuns = 7;
constexpr int RandomJumps = 1000;
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

void require(bool condition, const char* what) {
    if (!condition)
        throw std::runtime_error(std::string("check failed: ") + what);
}

// Lets the event loop paint and deliver what showing a window posts.
void settle() {
    QEventLoop loop;
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
}

// Closed windows delete themselves later; no event loop runs between timed calls.
void deleteClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void resetProgram() {
    app::unloadAllWindows();
    app::state() = {};
    deleteClosedWindows();
}

viewer::FrmMain& startProgram(const BankInfo& bank) {
    resetProgram();
    app::setProgramFolder(bank.folder);
    app::showWindow<app::FrmSplash>().btn_Continue_Click();
    deleteClosedWindows();
    viewer::FrmMain* main = app::loadedWindow<viewer::FrmMain>();
    require(main && main->isVisible(), "the main window is shown after start-up");
    return *main;
}

QString questionText(viewer::FrmMain& main) {
    return automation::MainControls(main).Question->toPlainText();
}

struct Pair {
    double program = 0; // microseconds
    double baseline = 0;
};

// 1. Start-up against opening with the key and renumbering in one statement.
Pair startUp(const BankInfo& bank) {
    std::vector<double> program;
    std::vector<double> baseline;
    app::setProgramFolder(bank.folder);
    for (int run = 0; run < StartUpRuns; ++run) {
        resetProgram();
        app::FrmSplash& splash = app::showWindow<app::FrmSplash>();
        program.push_back(micros([&] { splash.btn_Continue_Click(); }));
        viewer::FrmMain* main = app::loadedWindow<viewer::FrmMain>();
        require(main && main->isVisible() && !questionText(*main).isEmpty(),
                "the first card is on screen");
        resetProgram();

        std::optional<bench::RawBank> raw;
        baseline.push_back(micros([&] {
            raw.emplace(bank.file);
            raw->exec("BEGIN IMMEDIATE");
            raw->exec("UPDATE QATABLE SET \"Index\" = ID");
            raw->exec("COMMIT");
        }));
        raw.reset();
    }
    return {median(program), median(baseline)};
}

// 2. One step: Next against one single-row update in autocommit.
Pair step(const BankInfo& bank) {
    std::vector<double> program;
    viewer::FrmMain& main = startProgram(bank);
    store::RecordSet& cards = *app::state().CardSet;
    for (int i = 0; i < Steps; ++i) {
        if (cards.absolutePosition() + 1 == cards.recordCount())
            main.GoFirst_Click();
        program.push_back(micros([&] { main.Next_Click(); }));
    }
    require(cards.absolutePosition() > 0, "Next moves through the cards");
    resetProgram();

    std::vector<double> baseline;
    bench::RawBank raw(bank.file);
    bench::RawStatement update(raw, "UPDATE QATABLE SET Mark1 = ?1 WHERE rowid = ?2");
    for (int i = 0; i < Steps; ++i) {
        const std::int64_t rowid = i % bank.questions + 1;
        baseline.push_back(micros([&] {
            update.bindInt(1, i & 1);
            update.bindInt(2, rowid);
            update.step();
            update.reset();
        }));
    }
    return {median(program), median(baseline)};
}

// 3. A card set of all fifteen categories against the same selection in bare SQL.
Pair cardSet(const BankInfo& bank) {
    std::vector<double> program;
    startProgram(bank);
    for (int run = 0; run < CardSetRuns; ++run) {
        auto& options = app::window<selection::FrmOptions>();
        for (QCheckBox* box : options.customCheck)
            box->setChecked(true);
        options.TestType[1]->setChecked(true);
        program.push_back(micros([&] { options.cmdOK_Click(); }));
        require(app::state().CardSet->recordCount() == bank.questions,
                "all fifteen categories select every card");
        deleteClosedWindows();
        require(!app::loadedWindow<selection::FrmOptions>(), "OK closes the options");
    }
    resetProgram();

    std::vector<QByteArray> names;
    for (const QString& caption : store::categories())
        names.push_back(caption.toUtf8());
    std::vector<double> baseline;
    bench::RawBank raw(bank.file);
    raw.exec("SELECT count(*) FROM sqlite_master"); // the key, as the open program has it
    for (int run = 0; run < CardSetRuns; ++run) {
        std::vector<std::int64_t> rows;
        baseline.push_back(micros([&] { rows = bench::selectCategoryRows(raw, names); }));
        require(int(rows.size()) == bank.questions, "the bare query selects every card");
    }
    return {median(program), median(baseline)};
}

// 4. The random jump against reading one random row in bare SQL.
Pair randomJump(const BankInfo& bank) {
    std::vector<double> program;
    viewer::FrmMain& main = startProgram(bank);
    for (int i = 0; i < RandomJumps; ++i)
        program.push_back(micros([&] { main.cmdRandomCard_Click(); }));
    resetProgram();

    std::vector<double> baseline;
    bench::RawBank raw(bank.file);
    bench::RawStatement select(raw, "SELECT * FROM QATABLE WHERE rowid = ?1");
    std::mt19937 random(7);
    std::uniform_int_distribution<std::int64_t> row(1, bank.questions);
    std::int64_t bytes = 0;
    for (int i = 0; i < RandomJumps; ++i) {
        const std::int64_t rowid = row(random);
        baseline.push_back(micros([&] { bytes += bench::readRow(select, rowid); }));
    }
    require(bytes > 0, "the bare reads see the cards");
    return {median(program), median(baseline)};
}

// --- Peak memory, in child processes of this same program --------------------------------

long peakKilobytes() {
    // /proc files report no size, so QFile would see them as empty.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

int peakProgram(const QString& folder) {
    app::setProgramFolder(folder);
    app::launch();
    settle();
    app::loadedWindow<app::FrmSplash>()->btn_Continue_Click();
    settle();
    viewer::FrmMain& main = *app::loadedWindow<viewer::FrmMain>();
    for (int i = 0; i < 20; ++i) {
        main.Next_Click();
        QCoreApplication::processEvents();
    }
    for (int i = 0; i < 5; ++i) {
        main.cmdRandomCard_Click();
        QCoreApplication::processEvents();
    }
    settle();
    std::printf("VmHWM %ld\n", peakKilobytes());
    return 0;
}

int peakEmpty() {
    app::applyLook();
    QWidget window;
    window.setFixedSize(602, 233);
    window.show();
    settle();
    std::printf("VmHWM %ld\n", peakKilobytes());
    return 0;
}

long childPeak(const QStringList& arguments) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        throw std::runtime_error("the peak-memory child failed");
    const QByteArray text = child.readAllStandardOutput();
    const qsizetype at = text.indexOf("VmHWM ");
    if (at < 0)
        throw std::runtime_error("the peak-memory child printed no peak");
    return text.mid(at + 6).trimmed().split('\n').value(0).toLong();
}

long medianChildPeak(const QStringList& arguments) {
    std::vector<double> peaks;
    for (int run = 0; run < PeakRuns; ++run)
        peaks.push_back(double(childPeak(arguments)));
    return long(median(peaks));
}

// --- The table ---------------------------------------------------------------------------

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

QString mebibytes(double kilobytes) {
    return QStringLiteral("%1 MiB").arg(kilobytes / 1024.0, 0, 'f', 1);
}

QString verdict(bool met) {
    return met ? QStringLiteral("target met") : QStringLiteral("target MISSED");
}

QString count(int n) {
    return QLocale(QLocale::English).toString(n);
}

struct Figure {
    QString name;
    QString baseline;
    double limit = 0; // program/baseline; 0: no ratio target
    std::map<int, Pair> bySize;
};

int runAll(const QString& parent) {
    QTemporaryDir root(QDir(parent).filePath(QStringLiteral("memvane-bench-XXXXXX")));
    if (!root.isValid())
        throw std::runtime_error("no temporary folder under " + parent.toStdString());
    std::vector<BankInfo> banks;
    for (int size : BankSizes) {
        progress(QStringLiteral("writing a bank of %1 questions").arg(size));
        banks.push_back(bench::makeBank(root.path(), size));
    }

    std::vector<Figure> figures = {
        {QStringLiteral("Start-up to first card"),
         QStringLiteral("open with key + one `UPDATE \"Index\" = ID` in a transaction"),
         1.5,
         {}},
        {QStringLiteral("One step (Next)"),
         QStringLiteral("one single-row `UPDATE Mark1` in autocommit"),
         1.3,
         {}},
        {QStringLiteral("Card set, all 15 categories (OK)"),
         QStringLiteral("prepare + step the same `WHERE Category = ... OR ...`, collecting rowids"),
         1.5,
         {}},
        {QStringLiteral("Random jump"),
         QStringLiteral("one `SELECT * WHERE rowid = ?` of a random row, all columns read"),
         0,
         {}},
    };
    for (const BankInfo& bank : banks) {
        progress(QStringLiteral("%1 questions: start-up").arg(bank.questions));
        figures[0].bySize[bank.questions] = startUp(bank);
        progress(QStringLiteral("%1 questions: steps").arg(bank.questions));
        figures[1].bySize[bank.questions] = step(bank);
        progress(QStringLiteral("%1 questions: card sets").arg(bank.questions));
        figures[2].bySize[bank.questions] = cardSet(bank);
        progress(QStringLiteral("%1 questions: random jumps").arg(bank.questions));
        figures[3].bySize[bank.questions] = randomJump(bank);
    }
    app::setProgramFolder({});

    const BankInfo& largest = banks.back();
    progress(QStringLiteral("peak memory: program on %1 questions").arg(largest.questions));
    const long programPeak = medianChildPeak({QStringLiteral("--peak-program"), largest.folder});
    progress(QStringLiteral("peak memory: empty window"));
    const long emptyPeak = medianChildPeak({QStringLiteral("--peak-empty")});
    require(programPeak > 0 && emptyPeak > 0, "the children report their peaks");

    out(QStringLiteral("## Memvane benchmark"));
    out(QString());
    out(QStringLiteral("Qt %1, SQLCipher on SQLite %2, build %3, offscreen, banks in %4. Times "
                       "are medians: start-up of %5 runs, steps of %6, card sets of %7, random "
                       "jumps of %8.")
            .arg(QString::fromLatin1(qVersion()), QString::fromLatin1(sqlite3_libversion()),
                 QStringLiteral(MEMVANE_BENCH_BUILD_TYPE), QDir(parent).absolutePath())
            .arg(StartUpRuns)
            .arg(Steps)
            .arg(CardSetRuns)
            .arg(RandomJumps));
    out(QString());
    out(QStringLiteral("| Figure | Questions | Program | Baseline | Program / baseline | Target | "
                       "Result |"));
    out(QStringLiteral("|---|---:|---:|---:|---:|---|---|"));
    for (const Figure& figure : figures) {
        for (const auto& [size, pair] : figure.bySize) {
            const double ratio = pair.program / pair.baseline;
            const bool hasTarget = figure.limit > 0;
            out(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 |")
                    .arg(figure.name, count(size), duration(pair.program), duration(pair.baseline),
                         times(ratio),
                         hasTarget ? QStringLiteral("≤ %1x").arg(figure.limit)
                                   : QStringLiteral("none (scale only)"),
                         hasTarget ? verdict(ratio <= figure.limit) : QStringLiteral("—")));
        }
    }
    out(QString());
    out(QStringLiteral("Baselines:"));
    for (const Figure& figure : figures)
        out(QStringLiteral("- %1: %2.").arg(figure.name, figure.baseline));

    const int small = BankSizes.front();
    const int large = BankSizes.back();
    const double bankGrowth = double(large) / double(small);
    out(QString());
    out(QStringLiteral("### Growth from %1 to %2 questions (the bank grows %3)")
            .arg(count(small), count(large), times(bankGrowth)));
    out(QString());
    out(QStringLiteral("| Figure | Program growth | Baseline growth | Target | Result |"));
    out(QStringLiteral("|---|---:|---:|---|---|"));
    for (const Figure& figure : figures) {
        const Pair& first = figure.bySize.at(small);
        const Pair& last = figure.bySize.at(large);
        const double growth = last.program / first.program;
        out(QStringLiteral("| %1 | %2 | %3 | ≤ %4 (linear) | %5 |")
                .arg(figure.name, times(growth), times(last.baseline / first.baseline),
                     times(bankGrowth), verdict(growth <= bankGrowth)));
    }

    const double limit = 1.3 * double(emptyPeak + largest.textBytes / 1024);
    out(QString());
    out(QStringLiteral("### Peak memory (VmHWM), %1 questions").arg(count(largest.questions)));
    out(QString());
    out(QStringLiteral("| Program peak | Empty 602 x 233 window peak | Bank text | "
                       "Program / (empty + text) | Target | Result |"));
    out(QStringLiteral("|---:|---:|---:|---:|---|---|"));
    out(QStringLiteral("| %1 | %2 | %3 | %4 | ≤ 1.3x (≤ %5) | %6 |")
            .arg(mebibytes(double(programPeak)), mebibytes(double(emptyPeak)),
                 mebibytes(double(largest.textBytes) / 1024.0),
                 times(double(programPeak) / double(emptyPeak + largest.textBytes / 1024)),
                 mebibytes(limit), verdict(double(programPeak) <= limit)));
    out(QString());
    out(QStringLiteral("Bank text is the UTF-8 bytes of Question, Answer and Category: %1 bytes.")
            .arg(QLocale(QLocale::English).toString(qlonglong(largest.textBytes))));
    bench::hugeText(root.path());
    bench::printBankTool(parent);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform looks for fonts in Qt's own folder unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR") &&
        QFile::exists(QStringLiteral("/usr/share/fonts/truetype")))
        qputenv("QT_QPA_FONTDIR", "/usr/share/fonts/truetype");
    qInstallMessageHandler(quietHarmlessWarnings);
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    try {
        if (arguments.size() == 3 && arguments[1] == QStringLiteral("--peak-program"))
            return peakProgram(arguments[2]);
        if (arguments.size() == 2 && arguments[1] == QStringLiteral("--peak-empty"))
            return peakEmpty();
        QString parent = QDir::tempPath();
        if (arguments.size() == 3 && arguments[1] == QStringLiteral("--dir"))
            parent = arguments[2];
        else if (arguments.size() != 1) {
            std::fprintf(stderr, "usage: memvane-bench [--dir FOLDER] | --peak-program FOLDER | "
                                 "--peak-empty\n");
            return 2;
        }
        app::applyLook();
        return runAll(parent);
    } catch (...) {
        std::fprintf(stderr, "memvane-bench: %s\n",
                     app::failureText(std::current_exception()).toUtf8().constData());
        return 1;
    }
}
