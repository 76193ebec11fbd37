#include "app/ProgramState.h"
#include "app/Windows.h"
#include "app/launch.h"
#include "selection/FrmOptions.h"
#include "selection/FrmSetOptions.h"
#include "store/Database.h"
#include "store/RecordSet.h"
#include "tests/support/TestBank.h"
#include "viewer/FrmMain.h"

#include <QApplication>
#include <QClipboard>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace testing;

namespace {

const QColor Navy(0, 0, 128);
const QColor PaleYellow(255, 255, 128);

QString counter(viewer::FrmMain& main) {
    return MainControls(main).CountLabel->text();
}

QVariant mark(const ProgramFolder& folder, qint64 id, int set = 1) {
    return readField(folder.bank(), id, QStringLiteral("Mark%1").arg(set));
}

void click(QWidget* widget, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(widget, button);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { initGuiTests(); }
    void cleanup() { cleanupGuiTest(); }

    void layoutTable_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("font");   // family/pixels/bold
        QTest::addColumn<QString>("spoken"); // the accessible name
        QTest::addColumn<QString>("keys");   // what Return, Enter and Space click on it
        QTest::addColumn<QString>("look");
        auto row = [](const char* name, const char* kind, const char* container, QRect geometry,
                      const char* caption, const char* tip, const char* font, const char* spoken,
                      const char* keys = "", const char* look = "") {
            QTest::newRow(name) << name << kind << container << geometry
                                << QString::fromUtf8(caption) << tip << font << spoken << keys
                                << look;
        };
        const char* plain = "MS Sans Serif/11/0";
        const char* bold = "MS Sans Serif/11/1";
        const char* face = "face 255,255,128, caption button text";
        const char* frame = "inside 0,0,128; etched border; caption across border";
        row("lbl_Category", "QGroupBox", "centralwidget", {16, 16, 337, 40}, "Category : ", "",
            plain, "Category : ", "", frame);
        row("Category", "QLabel", "lbl_Category", {16, 16, 313, 17}, "Category Box",
            "Question's Category", bold, "Category Box");
        row("Label1", "QLabel", "centralwidget", {368, 24, 89, 17}, "Question:", "", plain,
            "Question:");
        row("CountLabel", "QLabel", "centralwidget", {368, 40, 89, 17}, "2 of 20", "",
            "MS Sans Serif/13/1", "2 of 20");
        row("cmdChangeSet", "QPushButton", "centralwidget", {512, 24, 65, 17}, "Change Set", "",
            plain, "Change Set", "cmdChangeSet 3", face);
        row("Mark", "QCheckBox", "centralwidget", {456, 40, 129, 21}, "Add to Custom Set #1",
            "Mark Question for later review", plain, "Add to Custom Set #1", "Mark 1");
        row("Question_Frame", "QGroupBox", "centralwidget", {16, 56, 569, 105}, "Question :", "",
            plain, "Question :", "", frame);
        row("Question", "QPlainTextEdit", "Question_Frame", {16, 16, 537, 81}, "Text1",
            "Current Question", "Courier/13/0", "Current Question");
        row("btn_AnswerToggle", "QPushButton", "centralwidget", {16, 176, 89, 25}, "View Answer",
            "View Answser / Hide Answer", plain, "View Answer", "btn_AnswerToggle 3", face);
        row("btnOptions", "QPushButton", "centralwidget", {168, 176, 105, 25}, "Flash Card Options",
            "", plain, "Flash Card Options", "btnOptions 3", face);
        row("cmdRandomCard", "QPushButton", "centralwidget", {352, 176, 81, 25}, "Random Card", "",
            plain, "Random Card", "cmdRandomCard 3", face);
        row("GoFirst", "QPushButton", "centralwidget", {448, 176, 40, 25}, "Reset",
            "First Question", bold, "Reset", "GoFirst 3", face);
        // Disabled: it takes no focus, and its face is not that of the others.
        row("Previous", "QPushButton", "centralwidget", {504, 176, 33, 25}, "<",
            "Previous Question", bold, "Previous Question", "",
            "face 247,247,183, caption disabled button text");
        row("Next", "QPushButton", "centralwidget", {552, 176, 33, 25}, ">", "Next Question", bold,
            "Next Question", "Next 3", face);
        row("Answer_Frame", "QGroupBox", "centralwidget", {16, 232, 569, 185}, "Answer :", "",
            plain, "Answer :", "", frame);
        row("Answer", "QPlainTextEdit", "Answer_Frame", {16, 16, 537, 161}, "Text1",
            "Current Answer", "Courier/13/0", "Current Answer");
        row("Line1", "QFrame", "centralwidget", {0, 0, 728, 1}, "", "", plain, "");
        row("Line2", "QFrame", "centralwidget", {0, 216, 608, 1}, "", "", plain, "");
    }

    void layoutTable() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, container);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        QFETCH(QString, tip);
        QFETCH(QString, font);
        QFETCH(QString, spoken);
        QFETCH(QString, keys);
        QFETCH(QString, look);
        // A fresh window straight from its layout, before any card is shown.
        viewer::FrmMain main;
        auto* widget = main.findChild<QWidget*>(name);
        QVERIFY2(widget, qPrintable(name));
        QCOMPARE(widget->metaObject()->className(), kind);
        QCOMPARE(widget->parentWidget()->objectName(), container);
        QCOMPARE(widget->geometry(), geometry);
        QCOMPARE(widget->toolTip(), tip);
        const QString text = testing::caption(widget);
        QCOMPARE(text, caption);
        const QFont f = widget->font();
        QCOMPARE(QStringLiteral("%1/%2/%3").arg(f.family()).arg(f.pixelSize()).arg(f.bold()), font);

        QCOMPARE(spokenName(widget), spoken);
        if (widget->focusPolicy() & Qt::TabFocus)
            QVERIFY(!spoken.isEmpty());

        // The answer pane shown, so that the whole layout is on screen.
        main.btn_AnswerToggle_MouseDown();
        if (widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus))
            QCOMPARE(clicksFromKeys(widget), keys);
        QCOMPARE(testing::look(widget), look);
    }

    void windowFrameColoursAndInitialState() {
        viewer::FrmMain main;
        main.show();
        QCOMPARE(main.objectName(), QStringLiteral("FrmMain"));
        QCOMPARE(main.windowTitle(), QStringLiteral("Memvane"));
        QCOMPARE(main.centralWidget()->size(), QSize(602, 211));
        QCOMPARE(main.minimumSize(), main.maximumSize()); // not resizable
        const Qt::WindowFlags flags = main.windowFlags();
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QCOMPARE(main.windowIcon().availableSizes().value(0), QSize(48, 48));

        const MainControls ui(main);
        QCOMPARE(main.palette().color(QPalette::Window), Navy);
        QCOMPARE(ui.Category->palette().color(QPalette::WindowText), PaleYellow);
        QCOMPARE(ui.Mark->palette().color(QPalette::WindowText), PaleYellow);
        QCOMPARE(ui.Next->palette().color(QPalette::Button), PaleYellow);
        QCOMPARE(ui.Line2->palette().color(QPalette::Window), PaleYellow);
        QCOMPARE(ui.Line1->palette().color(QPalette::Window), QColor(128, 128, 128));
        // The text boxes keep the desktop's colours; disabled buttons look different.
        QCOMPARE(ui.Question->palette().color(QPalette::Base),
                 QApplication::palette().color(QPalette::Base));
        QVERIFY(ui.Next->palette().color(QPalette::Disabled, QPalette::ButtonText) !=
                ui.Next->palette().color(QPalette::Active, QPalette::ButtonText));
        // A focused button carries a dotted mark in its caption colour inside its edges.
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        const QImage unfocused = ui.Next->grab().toImage();
        ui.Next->setFocus();
        const QImage focused = ui.Next->grab().toImage();
        QVERIFY(focused != unfocused);
        const QRgb ink = QApplication::palette().color(QPalette::ButtonText).rgb();
        int dots = 0;
        for (int x = 0; x < focused.width(); ++x)
            dots += focused.pixel(x, 3) == ink && unfocused.pixel(x, 3) != ink;
        QVERIFY2(dots > focused.width() / 4, qPrintable(QString::number(dots)));

        QVERIFY(!ui.Answer->isVisible() && ui.Answer_Frame->isVisible());
        QVERIFY(!ui.Previous->isEnabled() && ui.Next->isEnabled());
        QVERIFY(ui.Question->isReadOnly() && !ui.Answer->isReadOnly());
        QCOMPARE(ui.Question->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(ui.Question->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        // The short window ends above the answer pane and the yellow rule.
        QVERIFY(ui.Line2->y() >= main.centralWidget()->height());
    }

    void focusOrderAndMenus() {
        viewer::FrmMain main;
        const MainControls ui(main);
        ui.Answer->setVisible(true); // hidden controls are skipped; show it to see its place
        QStringList order;
        QWidget* w = ui.Mark;
        for (int i = 0; i < 10; ++i) {
            order << w->objectName();
            do
                w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(&main));
        }
        QCOMPARE(order,
                 QStringList({"Mark", "btn_AnswerToggle", "Previous", "Next", "Answer", "Question",
                              "GoFirst", "btnOptions", "cmdChangeSet", "cmdRandomCard"}));
        QCOMPARE(ui.mnuFile->title(), QStringLiteral("&File"));
        QCOMPARE(ui.mnuHelp->title(), QStringLiteral("&Help"));
        QStringList items;
        for (QAction* action : ui.mnuFile->actions() + ui.mnuHelp->actions())
            items << action->objectName() + u'=' + action->text();
        QCOMPARE(items, QStringList({"itmOptions=&Options", "itmExit=E&xit",
                                     "itmHelp=&View Readme.txt", "itmAbout=&About Memvane"}));
        for (QAction* action : ui.mnuFile->actions() + ui.mnuHelp->actions())
            QVERIFY(action->shortcut().isEmpty() && !action->isCheckable());
        for (auto* button : main.findChildren<QPushButton*>())
            QVERIFY(!button->isDefault());
        QCOMPARE(unnamedControls(&main), QStringList());
    }

    void steppingStoresTheMarkBeforeMoving() {
        ProgramFolder folder(numberedRows(20));
        viewer::FrmMain& main = startProgram(folder.folder());
        const MainControls ui(main);
        app::state().MarkField = QStringLiteral("Mark4");
        click(ui.Next);
        click(ui.Next);
        QCOMPARE(counter(main), QStringLiteral("3 of 20"));
        ui.Mark->setChecked(true);
        click(ui.Next);
        QCOMPARE(counter(main), QStringLiteral("4 of 20"));
        QVERIFY(!ui.Mark->isChecked());
        for (int set = 1; set <= 6; ++set)
            QCOMPARE(mark(folder, 3, set).toInt(), set == 4 ? 1 : 0);
        click(ui.Previous);
        QCOMPARE(counter(main), QStringLiteral("3 of 20"));
        QVERIFY(ui.Mark->isChecked());

        // Card 5, GoFirst: card 5 keeps the box value from before the move.
        click(ui.Next);
        click(ui.Next);
        ui.Mark->setChecked(true);
        click(ui.GoFirst);
        QCOMPARE(counter(main), QStringLiteral("1 of 20"));
        QCOMPARE(mark(folder, 5, 4).toInt(), 1);
        QVERIFY(!ui.GoFirst->isEnabled() && !ui.Previous->isEnabled());

        // Unticking is stored the same way.
        click(ui.Next);
        click(ui.Next);
        QVERIFY(ui.Mark->isChecked());
        ui.Mark->setChecked(false);
        click(ui.Previous);
        QCOMPARE(mark(folder, 3, 4).toInt(), 0);
    }

    void longRunsShowExactlyAndWrapAnywhere() {
        QString run;
        run.reserve(2 << 20);
        for (int i = 0; run.size() < (2 << 20); ++i)
            run += QChar(u'a' + i % 26);
        const QString hebrew(100000, QChar(0x05d0));
        auto rows = numberedRows(3);
        rows[0].question = run;
        rows[0].answer = QStringLiteral("An answer of words");
        rows[2].question = QStringLiteral("First line\n") + hebrew + QStringLiteral("\nlast");
        rows[2].answer = run.left(70000) + QStringLiteral(" tail");
        ProgramFolder folder(rows);
        viewer::FrmMain& main = startProgram(folder.folder());
        const MainControls ui(main);
        const auto shows = [&](const std::optional<QString>& question,
                               const std::optional<QString>& answer, bool anywhere) {
            const auto wrap =
                anywhere ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
            return ui.Question->toPlainText() == question && ui.Answer->toPlainText() == answer &&
                   ui.Question->wordWrapMode() == wrap;
        };
        QVERIFY(shows(run, rows[0].answer, true));
        QCOMPARE(ui.Answer->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        click(ui.Next);
        QVERIFY(shows(rows[1].question, rows[1].answer, false));
        click(ui.Next);
        QVERIFY(shows(rows[2].question, rows[2].answer, true));
        QCOMPARE(ui.Answer->wordWrapMode(), QTextOption::WrapAnywhere);
        click(ui.GoFirst);
        QVERIFY(shows(run, rows[0].answer, true));
        click(ui.btn_AnswerToggle);
        QVERIFY(ui.Answer->isVisible());
    }

    // A step repaints only what changed; what the window then holds must be what painting it
    // whole gives.
    void repaintingWhatChangedMatchesAWholePaint() {
        auto rows = numberedRows(6);
        rows[1].marks[0] = 1;
        rows[2].question = QStringLiteral("A question long enough to wrap onto a second line of "
                                          "the box, and then a third, with jg descenders");
        rows[3].category = QStringLiteral("Ég");
        rows[3].question =
            QStringLiteral("More lines than the box shows, so it scrolls. ").repeated(12);
        rows[4].marks[0] = 1;
        ProgramFolder folder(rows);
        viewer::FrmMain& main = startProgram(folder.folder());
        const MainControls ui(main);
        const auto held = [&] {
            QCoreApplication::processEvents();
            const QRect area = main.windowHandle()->geometry();
            return main.screen()
                ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        };
        // Painted at an offset, so that no control's own coordinates are the device's.
        const auto wholePaint = [&] {
            const QPoint offset(40, 30);
            QImage image(main.size() + QSize(offset.x(), offset.y()), QImage::Format_RGB32);
            main.render(&image, offset);
            return image.copy(QRect(offset, main.size()));
        };
        const QRect counterArea(ui.CountLabel->mapTo(&main, QPoint()), ui.CountLabel->size());
        QImage before = held();
        QCOMPARE(before, wholePaint());
        for (QPushButton* step : {ui.Next, ui.Next, ui.Next, ui.Next, ui.Previous, ui.Next,
                                  ui.btn_AnswerToggle, ui.Next, ui.GoFirst}) {
            click(step);
            const QImage now = held();
            QCOMPARE(now, wholePaint());
            if (step != ui.btn_AnswerToggle) // the new count is drawn
                QVERIFY(now.copy(counterArea) != before.copy(counterArea));
            before = now;
        }

        // A new card's text starts afresh: nothing typed before can be undone into it.
        QTest::keyClicks(ui.Answer, QStringLiteral("typed"));
        QVERIFY(ui.Answer->document()->isUndoAvailable() && ui.Answer->document()->isModified());
        click(ui.Next);
        QCOMPARE(ui.Answer->toPlainText(), *rows[1].answer);
        QVERIFY(!ui.Answer->document()->isUndoAvailable() && !ui.Answer->document()->isModified());
        QCOMPARE(ui.Answer->textCursor().position(), 0);
        QVERIFY(!ui.Answer->textCursor().hasSelection());
    }

    void anUntouchedCardIsStillUpdated() {
        auto rows = numberedRows(3);
        rows[0].marks[0] = 1;
        ProgramFolder folder(rows);
        viewer::FrmMain& main = startProgram(folder.folder());
        QVERIFY(MainControls(main).Mark->isChecked());
        writeField(folder.bank(), 1, "Mark1", 7); // another writer changes it behind our back
        click(MainControls(main).Next);
        QCOMPARE(mark(folder, 1).toInt(), 1); // the box value went back in
    }

    void randomJumpDiscardsTheTick() {
        ProgramFolder folder(numberedRows(4));
        viewer::FrmMain& main = startProgram(folder.folder());
        const MainControls ui(main);
        click(ui.Next);
        click(ui.Next);
        click(ui.Next);
        ui.Mark->setChecked(true);
        for (int i = 0; i < 20; ++i)
            click(ui.cmdRandomCard);
        QCOMPARE(mark(folder, 4).toInt(), 0);
        QVERIFY(!ui.Mark->isChecked());
        const QString c = counter(main);
        QVERIFY2(QRegularExpression("^[1-4] of 4$").match(c).hasMatch(), qPrintable(c));
    }

    void randomPositionCoversTheSet() {
        QCOMPARE(viewer::randomCardNumber(0.0f, 20), 1);
        QCOMPARE(viewer::randomCardNumber(0.99999994f, 20), 20);
        QCOMPARE(viewer::randomCardNumber(0.5f, 20), 11);
        QCOMPARE(viewer::randomCardNumber(0.99999994f, 1), 1);
        QCOMPARE(viewer::randomCardNumber(0.99999994f, 32767), 32767);
    }

    void stepsStopAtBothEndsWithoutWrapping() {
        ProgramFolder folder(numberedRows(3));
        viewer::FrmMain& main = startProgram(folder.folder());
        viewer::FrmMain* m = &main;
        m->Previous_Click(); // disabled on screen, but the handler must hold too
        QCOMPARE(counter(main), QStringLiteral("1 of 3"));
        m->Next_Click();
        m->Next_Click();
        m->Next_Click();
        QCOMPARE(counter(main), QStringLiteral("3 of 3"));
        QVERIFY(!MainControls(main).Next->isEnabled());
        QCOMPARE(app::state().CardSet->absolutePosition(), 2);
    }

    void aSetOfOne() {
        ProgramFolder folder(numberedRows(1));
        viewer::FrmMain& main = startProgram(folder.folder());
        const MainControls ui(main);
        QVERIFY(!ui.Next->isEnabled() && !ui.Previous->isEnabled() && !ui.GoFirst->isEnabled());
        click(ui.cmdRandomCard);
        QCOMPARE(counter(main), QStringLiteral("1 of 1"));
        ui.Mark->setChecked(true);
        main.Next_Click();
        QCOMPARE(counter(main), QStringLiteral("1 of 1"));
        QCOMPARE(mark(folder, 1).toInt(), 1);
    }

    void answerToggleOnAnyButtonNotTheSpaceBar() {
        ProgramFolder folder(numberedRows(3));
        viewer::FrmMain& main = startProgram(folder.folder());
        const MainControls ui(main);
        const QPoint where = main.pos();
        QCOMPARE(main.centralWidget()->height(), 211);

        click(ui.btn_AnswerToggle, Qt::RightButton);
        QVERIFY(ui.Answer->isVisible());
        QCOMPARE(ui.btn_AnswerToggle->text(), QStringLiteral("Hide Answer"));
        QCOMPARE(main.centralWidget()->height(), 430);
        QVERIFY(ui.Answer_Frame->geometry().bottom() < main.centralWidget()->height());
        QCOMPARE(main.width(), 602);
        QCOMPARE(main.pos(), where);

        // The answer stays revealed on the next card.
        click(ui.Next);
        QVERIFY(ui.Answer->isVisible());
        QCOMPARE(ui.Answer->toPlainText(), QStringLiteral("Answer 2"));
        QCOMPARE(ui.btn_AnswerToggle->text(), QStringLiteral("Hide Answer"));

        // Keys click the focused toggle, but only a mouse press toggles it.
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        ui.btn_AnswerToggle->setFocus();
        QCOMPARE(QApplication::focusWidget(), ui.btn_AnswerToggle);
        QTest::keyClick(ui.btn_AnswerToggle, Qt::Key_Space);
        QTest::keyClick(ui.btn_AnswerToggle, Qt::Key_Return);
        QTest::keyClick(ui.btn_AnswerToggle, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(ui.Answer->isVisible());
        QCOMPARE(ui.btn_AnswerToggle->text(), QStringLiteral("Hide Answer"));

        QTest::mousePress(ui.btn_AnswerToggle, Qt::MiddleButton,
                          Qt::ShiftModifier | Qt::AltModifier);
        QTest::mouseRelease(ui.btn_AnswerToggle, Qt::MiddleButton);
        QVERIFY(!ui.Answer->isVisible());
        QCOMPARE(ui.btn_AnswerToggle->text(), QStringLiteral("View Answer"));
        QCOMPARE(main.centralWidget()->height(), 211);
        QVERIFY(ui.Answer_Frame->y() > main.centralWidget()->height());
    }

    void enterAndSpaceClickTheFocusedButton() {
        ProgramFolder folder(numberedRows(5));
        viewer::FrmMain& main = startProgram(folder.folder());
        const MainControls ui(main);
        QVERIFY(QTest::qWaitForWindowActive(&main));
        ui.Next->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(counter(main), QStringLiteral("4 of 5"));
        // Enter on the mark box neither ticks it nor clicks anything else.
        ui.Mark->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!ui.Mark->isChecked());
        QCOMPARE(counter(main), QStringLiteral("4 of 5"));
        ui.GoFirst->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(counter(main), QStringLiteral("1 of 5"));
        ui.cmdChangeSet->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(app::loadedWindow<selection::FrmSetOptions>());
    }

    void questionSelectsAndCopiesFromTheKeyboard() {
        ProgramFolder folder(numberedRows(3));
        viewer::FrmMain& main = startProgram(folder.folder());
        const MainControls ui(main);
        QVERIFY(QTest::qWaitForWindowActive(&main));
        // With the focus, the box shows a caret where a selection would start.
        const QImage unfocused = ui.Question->viewport()->grab().toImage();
        ui.Question->setFocus();
        QCOMPARE(QApplication::focusWidget(), ui.Question);
        QVERIFY(ui.Question->viewport()->grab().toImage() != unfocused);
        QTest::keyClick(ui.Question, Qt::Key_Home, Qt::ControlModifier);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(ui.Question, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(ui.Question->textCursor().selectedText(), QStringLiteral("Que"));
        QTest::keyClick(ui.Question, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(ui.Question->textCursor().selectedText(), QStringLiteral("Question 1"));
        QTest::keyClick(ui.Question, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(ui.Question, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Question "));
        // Still read-only.
        QTest::keyClicks(ui.Question, QStringLiteral("x"));
        QTest::keyClick(ui.Question, Qt::Key_Delete);
        QCOMPARE(ui.Question->toPlainText(), QStringLiteral("Question 1"));
        QTest::keyClick(ui.Question, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(ui.Question, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Question 1"));
        // Tab still leaves the box for the next control in the focus order (GoFirst is
        // disabled on the first card).
        QTest::keyClick(ui.Question, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), ui.btnOptions);
    }

    void anEmptyCardSetMakesNoCommandFail() {
        ProgramFolder folder(numberedRows(5));
        viewer::FrmMain& main = startProgram(folder.folder());
        const MainControls ui(main);
        click(ui.Next);
        app::state().CardSet = app::state().QuestionDb->openRecordSet(
            QStringLiteral("SELECT * FROM QATABLE WHERE MARK2 = YES"));
        const QByteArray before = checksum(folder.bank());
        ui.Mark->setChecked(true);
        main.GoFirst_Click();
        main.Next_Click();
        main.Previous_Click();
        main.cmdRandomCard_Click();
        main.StoreMark();
        QCOMPARE(counter(main), QStringLiteral("2 of 5"));
        QCOMPARE(ui.Question->toPlainText(), QStringLiteral("Question 2"));
        QCOMPARE(checksum(folder.bank()), before);
    }

    void optionsButtonStoresFirstTheMenuItemDoesNot() {
        ProgramFolder folder(numberedRows(3));
        viewer::FrmMain& main = startProgram(folder.folder());
        const MainControls ui(main);
        ui.Mark->setChecked(true);
        ui.itmOptions->trigger();
        QVERIFY(app::loadedWindow<selection::FrmOptions>());
        QCOMPARE(mark(folder, 1).toInt(), 0);
        click(ui.btnOptions);
        click(ui.btnOptions); // a second press: still one dialog, and it stores again
        QCOMPARE(mark(folder, 1).toInt(), 1);
        QCOMPARE(main.findChildren<selection::FrmOptions*>().size(), 1);
        QVERIFY(app::loadedWindow<selection::FrmOptions>()->isVisible());
    }

    void changeSetStoresUnderTheSetActiveBefore() {
        ProgramFolder folder(numberedRows(3));
        viewer::FrmMain& main = startProgram(folder.folder());
        const MainControls ui(main);
        app::state().MarkField = QStringLiteral("Mark2");
        ui.Mark->setChecked(true);
        click(ui.cmdChangeSet);
        auto* dialog = app::loadedWindow<selection::FrmSetOptions>();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(mark(folder, 1, 2).toInt(), 1);
        dialog->cmdOK_Click(); // set 1 is selected on opening
        QCOMPARE(app::state().MarkField, QStringLiteral("Mark1"));
        QVERIFY(!ui.Mark->isChecked());
        QCOMPARE(ui.Mark->text(), QStringLiteral("Add to Custom Set #1"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
