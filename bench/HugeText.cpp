#include "bench/HugeText.h"

#include "app/FrmSplash.h"
#include "app/ProgramFolder.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "bench/BenchBank.h"
#include "bench/Check.h"
#include "bench/Peak.h"
#include "bench/RawBank.h"
#include "devtools/automation/MainControls.h"
#include "viewer/FrmMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <array>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <malloc.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

namespace {

constexpr std::array<qsizetype, 2> RunBytes = {5'000'000, 50'000'000};
constexpr double ShowTargetMs = 1000.0;  // "within about a second"
constexpr double AnswerTargetMs = 100.0; // a window that answers at once

struct Cost {
    double wallMs = 0;
    double cpuMs = 0;
};

double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

template <class F> Cost cost(F&& step) {
    const double cpu = cpuMs();
    QElapsedTimer wall;
    wall.start();
    step();
    return {double(wall.nsecsElapsed()) / 1e6, cpuMs() - cpu};
}

// Delivers what the step posted and paints the window now, as the next turn of the event
// loop would.
void paint(QWidget& window) {
    QCoreApplication::processEvents();
    window.repaint();
}

void clickInto(QPlainTextEdit* box) {
    QWidget* viewport = box->viewport();
    const QPointF at(40, 20);
    const QPointF global = viewport->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &release);
}

QString letters(qsizetype count) {
    QString run;
    run.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        run += QChar(u'a' + int(i % 26));
    return run;
}

bool resetPeak() {
    // What earlier figures freed goes back to the system first, or it would count here.
    malloc_trim(0);
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    return bool(clear.flush());
}

struct Steps {
    Cost ontoQuestion;
    Cost click;
    Cost scroll;
    Cost ontoAnswer;
    Cost showAnswer;
    Cost back;
    double peak = -1;
};

Steps measure(const BankInfo& bank, const QString& run) {
    Steps steps;
    const bool peakKept = resetPeak();
    app::resetProgram();
    app::setProgramFolder(bank.folder);
    app::showWindow<app::FrmSplash>().btn_Continue_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    viewer::FrmMain* main = app::loadedWindow<viewer::FrmMain>();
    require(main && main->isVisible(), "the main window is shown");
    const automation::MainControls ui(*main);
    paint(*main);

    steps.ontoQuestion = cost([&] {
        main->Next_Click();
        paint(*main);
    });
    require(ui.Question->toPlainText() == run, "the question box holds the whole run");
    steps.click = cost([&] {
        clickInto(ui.Question);
        paint(*main);
    });
    steps.scroll = cost([&] {
        QScrollBar* bar = ui.Question->verticalScrollBar();
        bar->setValue(bar->maximum());
        paint(*main);
    });
    steps.ontoAnswer = cost([&] {
        main->Next_Click();
        paint(*main);
    });
    require(ui.Answer->toPlainText() == run, "the answer box holds the whole run");
    steps.showAnswer = cost([&] {
        main->btn_AnswerToggle_MouseDown();
        paint(*main);
    });
    require(ui.Answer->isVisible(), "the answer is shown");
    steps.back = cost([&] {
        main->GoFirst_Click();
        paint(*main);
    });
    require(ui.CountLabel->text() == QStringLiteral("1 of 3"), "back on the first card");
    const long peak = peakKilobytes();
    steps.peak = peakKept && peak >= 0 ? double(peak) / 1024.0 : -1;
    app::resetProgram();
    app::setProgramFolder({});
    return steps;
}

QString both(const Cost& c) {
    const auto text = [](double ms) {
        return ms < 1000.0 ? QStringLiteral("%1 ms").arg(ms, 0, 'f', ms < 10 ? 2 : 0)
                           : QStringLiteral("%1 s").arg(ms / 1000.0, 0, 'f', 2);
    };
    return QStringLiteral("%1 (%2 CPU)").arg(text(c.wallMs), text(c.cpuMs));
}

void out(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
}

} // namespace

void hugeText(const QString& root) {
    const BankInfo bank = bankIn(QDir(root).filePath(QStringLiteral("huge")), 3);
    std::vector<Steps> results;
    for (const qsizetype bytes : RunBytes) {
        std::fprintf(stderr, "huge texts: a run of %lld bytes\n", static_cast<long long>(bytes));
        const QString run = letters(bytes);
        {
            RawBank raw(bank.file);
            RawStatement question(raw, "UPDATE QATABLE SET Question = ?1 WHERE rowid = 2");
            const QByteArray utf8 = run.toUtf8();
            question.bindText(1, utf8);
            question.step();
            RawStatement answer(raw, "UPDATE QATABLE SET Answer = ?1 WHERE rowid = 3");
            answer.bindText(1, utf8);
            answer.step();
        }
        results.push_back(measure(bank, run));
    }

    out(QString());
    out(QStringLiteral("### Huge texts: one unbroken run of letters"));
    out(QString());
    out(QStringLiteral("A bank of 3 cards: card 2's question and card 3's answer are one run of "
                       "letters with no space, shown in the main window off screen. Each step is "
                       "one call and the paint after it; wall time, CPU time beside it."));
    out(QString());
    QString header = QStringLiteral("| Step |");
    QString rule = QStringLiteral("|---|");
    for (const qsizetype bytes : RunBytes) {
        header += QStringLiteral(" %1 MB run |").arg(bytes / 1'000'000);
        rule += QStringLiteral("---:|");
    }
    out(header);
    out(rule);
    const std::array<std::pair<const char*, Cost Steps::*>, 6> rows = {{
        {"Next onto the question", &Steps::ontoQuestion},
        {"Click in the question", &Steps::click},
        {"Scroll the question to its end", &Steps::scroll},
        {"Next onto the answer (hidden)", &Steps::ontoAnswer},
        {"View Answer", &Steps::showAnswer},
        {"Reset to card 1", &Steps::back},
    }};
    for (const auto& [name, member] : rows) {
        QString line = QStringLiteral("| %1 |").arg(QString::fromLatin1(name));
        for (const Steps& steps : results)
            line += QStringLiteral(" %1 |").arg(both(steps.*member));
        out(line);
    }
    QString peak = QStringLiteral("| Peak memory (VmHWM) |");
    for (const Steps& steps : results)
        peak += steps.peak < 0 ? QStringLiteral(" not kept here |")
                               : QStringLiteral(" %1 MiB |").arg(steps.peak, 0, 'f', 0);
    out(peak);

    const Steps& five = results.front();
    const Steps& fifty = results.back();
    const auto verdict = [](bool met) {
        return met ? QStringLiteral("target met") : QStringLiteral("target MISSED");
    };
    const double slowestAnswer = std::max(five.click.wallMs, five.scroll.wallMs);
    out(QString());
    out(QStringLiteral("- 5 MB question shows (Next) within %1 s: %2, %3.")
            .arg(ShowTargetMs / 1000.0)
            .arg(verdict(five.ontoQuestion.wallMs <= ShowTargetMs), both(five.ontoQuestion)));
    out(QStringLiteral("- 5 MB answer shows (View Answer) within %1 s: %2, %3.")
            .arg(ShowTargetMs / 1000.0)
            .arg(verdict(five.showAnswer.wallMs <= ShowTargetMs), both(five.showAnswer)));
    out(QStringLiteral("- 5 MB: a click and a scroll answer within %1 ms: %2 (slowest %3 ms).")
            .arg(AnswerTargetMs)
            .arg(verdict(slowestAnswer <= AnswerTargetMs))
            .arg(slowestAnswer, 0, 'f', 1));
    out(QStringLiteral("- 50 MB shows without a hang: the question in %1, the answer in %2.")
            .arg(both(fifty.ontoQuestion), both(fifty.showAnswer)));
    out(QStringLiteral("- Next and Reset first store the mark of the card they leave; the engine "
                       "rewrites that whole record, so leaving a huge card costs that too."));
    std::fflush(stdout);
}

} // namespace bench
