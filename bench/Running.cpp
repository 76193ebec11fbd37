#include "bench/Running.h"

#include "app/FrmSplash.h"
#include "app/ProgramFolder.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "app/launch.h"
#include "bench/BareWindow.h"
#include "bench/Check.h"
#include "bench/Paint.h"
#include "bench/RawBank.h"
#include "selection/FrmOptions.h"
#include "store/Categories.h"
#include "store/RecordSet.h"
#include "viewer/FrmMain.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QRadioButton>

#include <array>
#include <functional>
#include <random>
#include <stdexcept>
#include <utility>

namespace bench {

namespace {

// Fewer runs where one takes long, so the whole stays within minutes.
int runsFor(int questions, int small, int large) {
    return questions > 100000 ? large : small;
}

// The window's paint, run now instead of when the event loop would next get to it: the
// update request that changing the controls posted paints what changed into the backing
// store and flushes it. Every card change repaints the question box.
void paintNow(PaintWatch& painted) {
    painted.clear();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    require(painted.allPainted(), "the card is painted");
}

// The program, its baseline and the bare window, measured in an order that turns from run to
// run: the first after a pause finds the caches cold, and no side should always be the one.
struct Sides {
    std::vector<Sample> program;
    std::vector<Sample> baseline;
    std::vector<Sample> bare;

    void measureRun(int run, const std::function<void()>& programWork,
                    const std::function<void()>& baselineWork,
                    const std::function<void()>& bareWork) {
        const std::array<std::pair<std::vector<Sample>*, const std::function<void()>*>, 3> sides = {
            {{&program, &programWork}, {&baseline, &baselineWork}, {&bare, &bareWork}}};
        for (size_t i = 0; i < sides.size(); ++i) {
            const auto& [samples, work] = sides[(size_t(run) + i) % sides.size()];
            samples->push_back(measure(*work));
        }
    }
    Comparison programFigure(int runs) const { return {median(program), median(baseline), runs}; }
    Comparison bareFigure(int runs) const { return {median(bare), median(baseline), runs}; }
};

viewer::FrmMain& startProgram(const BankInfo& bank) {
    app::setProgramFolder(bank.folder);
    app::launch();
    settle();
    PaintWatch painted({QStringLiteral("Question"), QStringLiteral("CountLabel")});
    app::loadedWindow<app::FrmSplash>()->btn_Continue_Click();
    waitForPaint(painted);
    settle();
    viewer::FrmMain* main = app::loadedWindow<viewer::FrmMain>();
    require(main && main->isVisible(), "the main window is shown after start-up");
    return *main;
}

Comparison next(const BankInfo& bank, viewer::FrmMain& main, PaintWatch& painted, BareWindow& bare,
                Comparison& bareFigure) {
    store::RecordSet& cards = *app::state().CardSet;
    RawBank raw(bank.file);
    RawStatement all(raw, SelectAllRows);
    const std::vector<std::int64_t> rows = rowIds(all);
    RawStatement card(raw, SelectCard);
    RawStatement update(raw, UpdateMark);
    size_t at = 0;
    std::int64_t mark = readCard(card, rows[at]);

    const int runs = runsFor(bank.questions, 300, 200);
    Sides sides;
    for (int run = 0; run < runs; ++run) {
        if (cards.absolutePosition() + 1 == cards.recordCount())
            main.GoFirst_Click();
        const int before = cards.absolutePosition();
        if (at + 1 == rows.size())
            at = 0;
        const std::int64_t left = mark;
        sides.measureRun(
            run,
            [&] {
                main.Next_Click();
                paintNow(painted);
            },
            [&] {
                writeMark(update, rows[at], left);
                mark = readCard(card, rows[at + 1]);
            },
            [&] {
                writeMark(update, rows[at], left);
                const CardTexts texts = readCardTexts(card, rows[at + 1]);
                bare.showCard(texts.question, texts.category,
                              viewer::counterText(int(at) + 2, int(rows.size())));
            });
        require(cards.absolutePosition() == before + 1, "Next moves one card on");
        ++at;
    }
    bareFigure = sides.bareFigure(runs);
    return sides.programFigure(runs);
}

void displayAndJump(const BankInfo& bank, viewer::FrmMain& main, PaintWatch& painted,
                    RunningFigures& figures) {
    store::RecordSet& cards = *app::state().CardSet;
    RawBank raw(bank.file);
    RawStatement all(raw, SelectAllRows);
    const std::vector<std::int64_t> rows = rowIds(all);
    RawStatement card(raw, SelectCard);
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> anyRow(0, rows.size() - 1);
    size_t at = 0;

    const int runs = runsFor(bank.questions, 500, 300);
    std::vector<Sample> display;
    std::vector<Sample> jump;
    std::vector<Sample> rawNext;
    std::vector<Sample> rawJump;
    for (int run = 0; run < runs; ++run) {
        if (cards.absolutePosition() + 1 == cards.recordCount())
            cards.moveFirst();
        display.push_back(measure([&] {
            cards.moveNext();
            main.ShowCurrentCard();
            paintNow(painted);
        }));
        jump.push_back(measure([&] {
            main.cmdRandomCard_Click();
            paintNow(painted);
        }));
        if (at + 1 == rows.size())
            at = 0;
        rawNext.push_back(measure([&] { readCard(card, rows[++at]); }));
        const std::int64_t row = rows[anyRow(random)];
        rawJump.push_back(measure([&] { readCard(card, row); }));
    }
    figures.nextDisplay = {median(display), median(rawNext), runs};
    figures.jump = {median(jump), median(rawJump), runs};
}

Comparison cardSet(const BankInfo& bank, viewer::FrmMain& main, PaintWatch& painted,
                   BareWindow& bare, Comparison& bareFigure) {
    std::vector<QByteArray> names;
    for (const QString& caption : store::categories())
        names.push_back(caption.toUtf8());
    RawBank raw(bank.file);
    RawStatement select(raw, selectCategoryRows(int(names.size())));
    RawStatement card(raw, SelectCard);
    const auto query = [&] {
        for (size_t i = 0; i < names.size(); ++i)
            select.bindText(int(i + 1), names[i]);
        return rowIds(select);
    };

    const int runs = runsFor(bank.questions, 21, 7);
    Sides sides;
    for (int run = 0; run < runs; ++run) {
        auto& options = app::showWindow<selection::FrmOptions>();
        for (QCheckBox* box : options.customCheck)
            box->setChecked(true);
        options.TestType[1]->setChecked(true);
        settle();
        std::vector<std::int64_t> rows;
        std::vector<std::int64_t> bareRows;
        sides.measureRun(
            run,
            [&] {
                options.cmdOK_Click();
                paintNow(painted);
            },
            [&] {
                rows = query();
                readCard(card, rows.front());
            },
            [&] {
                bareRows = query();
                const CardTexts texts = readCardTexts(card, bareRows.front());
                bare.showCard(texts.question, texts.category,
                              viewer::counterText(1, int(bareRows.size())));
            });
        require(app::state().CardSet->recordCount() == bank.questions,
                "all fifteen categories select every card");
        require(int(rows.size()) == bank.questions && rows == bareRows,
                "the bare query selects every card");
        settle();
        require(!app::loadedWindow<selection::FrmOptions>(), "OK closes the options");
    }
    bareFigure = sides.bareFigure(runs);
    return sides.programFigure(runs);
}

} // namespace

RunningFigures measureRunning(const BankInfo& bank) {
    RunningFigures figures;
    viewer::FrmMain& main = startProgram(bank);
    PaintWatch painted({QStringLiteral("Question")});
    BareWindow bare(main);
    bare.show();
    settle();
    main.activateWindow();
    settle();
    require(main.isActiveWindow(), "the main window stays the active one");
    figures.next = next(bank, main, painted, bare, figures.bareNext);
    displayAndJump(bank, main, painted, figures);
    figures.cardSet = cardSet(bank, main, painted, bare, figures.bareCardSet);
    app::resetProgram();
    return figures;
}

} // namespace bench
