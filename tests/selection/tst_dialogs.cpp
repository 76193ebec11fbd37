#include "app/ProgramState.h"
#include "app/Windows.h"
#include "app/launch.h"
#include "selection/FrmOptions.h"
#include "selection/FrmSetOptions.h"
#include "store/Categories.h"
#include "store/RecordSet.h"
#include "tests/support/TestBank.h"
#include "viewer/FrmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QTest>

using namespace testing;
using selection::FrmOptions;
using selection::FrmSetOptions;

namespace {

// 20 questions: 1-4 in BASICS, 5 in FINAL; categories cycle; 3 and 7 marked in set 2.
std::vector<Row> bankRows() {
    auto rows = numberedRows(20);
    for (int i = 0; i < 4; ++i)
        rows[size_t(i)].sets[0] = 1;
    rows[4].sets[2] = 1;
    rows[2].marks[1] = 1;
    rows[6].marks[1] = 1;
    return rows;
}

QString selected(const FrmOptions& d) {
    QString out;
    for (int i = 0; i < 3; ++i)
        out += d.TestType[size_t(i)]->isChecked() ? QString::number(i) : QString();
    out += u'/';
    for (int i = 0; i < 4; ++i)
        out += d.PremadeType[size_t(i)]->isChecked() ? QString::number(i) : QString();
    out += u'/';
    QStringList boxes;
    for (int i = 0; i < 15; ++i) {
        if (d.customCheck[size_t(i)]->isChecked())
            boxes << QString::number(i);
    }
    return out + boxes.join(u',');
}

FrmOptions& openOptions() {
    return app::showWindow<FrmOptions>();
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { initGuiTests(); }
    void cleanup() { cleanupGuiTest(); }

    void layouts_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("keys"); // what Return, Enter and Space click on it
        QTest::addColumn<QString>("look");
        auto row = [](const char* window, const char* name, const char* container, QRect g,
                      const QString& caption, const char* tip = "", const QString& keys = {},
                      const char* look = "") {
            QTest::addRow("%s.%s", window, name)
                << window << name << container << g << caption << tip << keys << look;
        };
        // Enter clicks a command button only; Space clicks any button.
        const auto enterAndSpace = [](const char* name) {
            return QStringLiteral("%1 3").arg(name);
        };
        const auto space = [](const QString& name) { return name + QStringLiteral(" 1"); };
        const char* face = "face 255,255,128, caption button text";
        const char* titled = "inside 0,0,128; etched border; caption across border";
        const char* untitled = "inside 0,0,128; etched border";
        row("o", "picOptions", "frmOptions", {24, 16, 555, 393}, "");
        row("o", "fraSample1", "picOptions", {0, 0, 549, 389},
            "Flash Card Content Selection : ", "", {}, titled);
        row("o", "TestType_0", "fraSample1", {16, 16, 161, 29}, "Pre-Made Flash Cards",
            "Previous Made Question Sets", space("TestType_0"));
        row("o", "Frame1", "fraSample1", {32, 40, 489, 65}, "", "", {}, untitled);
        row("o", "PremadeType_0", "Frame1", {24, 16, 193, 17}, "\"Just the Basics\"", "",
            space("PremadeType_0"));
        row("o", "PremadeType_1", "Frame1", {24, 40, 193, 17}, "\"Tough Terms\"", "",
            space("PremadeType_1"));
        row("o", "PremadeType_2", "Frame1", {296, 16, 169, 17}, "\"Final Exam\"", "",
            space("PremadeType_2"));
        row("o", "PremadeType_3", "Frame1", {296, 40, 169, 17}, "\"All Available Questions\"", "",
            space("PremadeType_3"));
        row("o", "TestType_1", "fraSample1", {16, 112, 161, 29}, "Customized Flash Cards",
            "Customizable Question Sets", space("TestType_1"));
        row("o", "Frame2", "fraSample1", {32, 136, 489, 209}, "", "", {}, untitled);
        for (int i = 0; i < 15; ++i) {
            const QRect g = i <= 7 ? QRect(24, 16 + 24 * i, i == 2 ? 244 : 220, 17)
                                   : QRect(296, 16 + 24 * (i - 8), 180, 17);
            const QString name = QStringLiteral("customCheck_%1").arg(i);
            row("o", qPrintable(name), "Frame2", g, store::categories()[size_t(i)], "",
                space(name));
        }
        row("o", "TestType_2", "fraSample1", {16, 352, 185, 29}, "Custom Set #1 Flash Cards Only",
            "Set of User Marked Questions", space("TestType_2"));
        row("o", "cmdChangeSet", "fraSample1", {208, 360, 105, 17}, "Change Current Set", "",
            enterAndSpace("cmdChangeSet"), face);
        row("o", "cmdOK", "frmOptions", {416, 416, 65, 25}, "OK",
            "Accept and Apply selected Options", enterAndSpace("cmdOK"), face);
        row("o", "cmdCancel", "frmOptions", {504, 416, 65, 25}, "Cancel", "Cancel and close window",
            enterAndSpace("cmdCancel"), face);
        row("s", "Frame1", "frmSetOptions", {16, 16, 425, 129}, "Custom Set Selection :", "", {},
            titled);
        const QRect sets[] = {{32, 24, 161, 25},  {32, 56, 161, 25},  {32, 88, 153, 25},
                              {240, 24, 145, 25}, {240, 56, 145, 25}, {240, 88, 145, 25}};
        for (int i = 0; i < 6; ++i) {
            const QString name = QStringLiteral("setSelection_%1").arg(i);
            row("s", qPrintable(name), "Frame1", sets[i],
                QStringLiteral("Custom Set #%1").arg(i + 1), "", space(name));
        }
        row("s", "Label1", "frmSetOptions", {24, 160, 233, 33},
            "Please review the readme.txt file for information on how to use Custom Sets!!");
        row("s", "cmdOK", "frmSetOptions", {288, 160, 65, 25}, "OK", "", enterAndSpace("cmdOK"),
            face);
        row("s", "cmdCancel", "frmSetOptions", {376, 160, 65, 25}, "Cancel", "",
            enterAndSpace("cmdCancel"), face);
    }

    void layouts() {
        QFETCH(QString, window);
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        QFETCH(QString, tip);
        QFETCH(QString, keys);
        QFETCH(QString, look);
        std::unique_ptr<QWidget> dialog;
        if (window == "o")
            dialog = std::make_unique<FrmOptions>();
        else
            dialog = std::make_unique<FrmSetOptions>();
        auto* w = dialog->findChild<QWidget*>(name);
        QVERIFY2(w, qPrintable(name));
        QCOMPARE(w->parentWidget()->objectName(), container);
        QCOMPARE(w->geometry(), geometry);
        QCOMPARE(w->toolTip(), tip);
        const QString text = testing::caption(w);
        QCOMPARE(text, caption);
        QCOMPARE(w->font().pixelSize(), 11);
        QCOMPARE(w->font().family(), QStringLiteral("MS Sans Serif"));
        if (w->focusPolicy() & Qt::TabFocus) {
            // Every control of the dialogs that takes the focus is spoken by its caption.
            QVERIFY(!caption.isEmpty());
            QCOMPARE(spokenName(w), caption);
            QCOMPARE(clicksFromKeys(w), keys);
        } else {
            QVERIFY(keys.isEmpty());
        }
        QCOMPARE(testing::look(w), look);
    }

    void windowsAndFocusOrder() {
        FrmOptions options;
        QCOMPARE(options.windowTitle(), QStringLiteral("Options"));
        QCOMPARE(options.size(), QSize(602, 449));
        QCOMPARE(options.minimumSize(), options.maximumSize());
        QVERIFY(!(options.windowFlags() &
                  (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(options.windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(selected(options), QStringLiteral("0/0/"));
        QStringList order;
        QWidget* w = control<QWidget>(options, "cmdOK");
        for (int i = 0; i < 25; ++i, w = w->nextInFocusChain()) {
            while (w->focusPolicy() == Qt::NoFocus)
                w = w->nextInFocusChain();
            order << w->objectName();
        }
        QStringList expected = {"cmdOK",         "cmdCancel",     "TestType_0",
                                "TestType_1",    "TestType_2",    "PremadeType_0",
                                "PremadeType_1", "PremadeType_2", "PremadeType_3"};
        for (int i = 0; i < 15; ++i)
            expected << QStringLiteral("customCheck_%1").arg(i);
        expected << "cmdChangeSet";
        QCOMPARE(order, expected);

        FrmSetOptions sets;
        sets.show();
        QCOMPARE(sets.windowTitle(), QStringLiteral("Custom Set Options"));
        QCOMPARE(sets.size(), QSize(459, 201));
        QVERIFY(sets.minimumSize() != sets.maximumSize()); // resizable
        QVERIFY(sets.windowFlags() & Qt::WindowMaximizeButtonHint);
        QVERIFY(!sets.parentWidget()); // a window of its own, with a task-bar entry
        sets.resize(700, 400);
        QCOMPARE(control<QWidget>(sets, "cmdOK")->geometry(),
                 QRect(288, 160, 65, 25)); // nothing moves
        QVERIFY(sets.setSelection[0]->isChecked());
        QCOMPARE(sets.focusWidget(), sets.setSelection[0]);
        QCOMPARE(unnamedControls(&options), QStringList());
        QCOMPARE(unnamedControls(&sets), QStringList());
    }

    void optionGroupsFollowTheirContainers() {
        FrmOptions options;
        options.TestType[2]->click();
        QCOMPARE(selected(options), QStringLiteral("2/0/"));
        options.PremadeType[3]->click();
        QCOMPARE(selected(options), QStringLiteral("0/3/")); // through the handler
        options.customCheck[4]->click();
        QCOMPARE(selected(options), QStringLiteral("1/3/4"));
        options.customCheck[4]->click(); // unticking selects it too
        options.TestType[0]->setChecked(true);
        options.customCheck[4]->click();
        options.customCheck[4]->click();
        QCOMPARE(selected(options), QStringLiteral("1/3/"));
        options.customCheck[6]->click();
        options.PremadeType[1]->click();
        QCOMPARE(selected(options), QStringLiteral("0/1/6")); // boxes stay ticked on screen
    }

    void emptyCustomSetThenCancel() {
        ProgramFolder folder(bankRows());
        viewer::FrmMain& main = startProgram(folder.folder());
        MainControls(main).Next->click();
        MainControls(main).Next->click();
        const auto loaded = app::state().CardSet;
        FrmOptions& options = openOptions();
        QCOMPARE(app::state().SavedCardSet, loaded);
        options.TestType[2]->setChecked(true);
        {
            MessageCatcher catcher;
            control<QPushButton>(options, "cmdOK")->click();
            QCOMPARE(
                catcher.texts(),
                QStringList{QStringLiteral(
                    "The selected Custom Set does not contain any previously Marked questions.")});
            QCOMPARE(catcher.title(), QStringLiteral("Memvane"));
            QVERIFY(!catcher.hadIcon());
            QCOMPARE(catcher.buttons(), 1);
        }
        QVERIFY(app::loadedWindow<FrmOptions>() == &options && options.isVisible());
        QCOMPARE(app::state().LastTestType, QStringLiteral("2"));
        QCOMPARE(app::state().CurrentSQL,
                 QStringLiteral("SELECT * FROM QATABLE WHERE MARK1 = YES"));
        QCOMPARE(app::state().CardSet->recordCount(), 0);
        QCOMPARE(MainControls(main).CountLabel->text(), QStringLiteral("3 of 20"));
        main.Next_Click(); // the empty set is current: nothing moves, nothing fails
        QCOMPARE(MainControls(main).CountLabel->text(), QStringLiteral("3 of 20"));

        QTest::keyClick(&options, Qt::Key_Escape); // Escape is Cancel
        QVERIFY(!app::loadedWindow<FrmOptions>());
        QCOMPARE(app::state().CardSet, loaded);
        QCOMPARE(loaded->absolutePosition(), 2);
        main.Next_Click();
        QCOMPARE(MainControls(main).CountLabel->text(), QStringLiteral("4 of 20"));
        // The next opening shows the choice that gave the empty set.
        QCOMPARE(selected(openOptions()), QStringLiteral("2/0/"));
    }

    void categoryOkShowsTheNewSetAndIsRemembered() {
        ProgramFolder folder(bankRows());
        viewer::FrmMain& main = startProgram(folder.folder());
        for (int i = 0; i < 19; ++i)
            main.Next_Click();
        main.btn_AnswerToggle_MouseDown();
        FrmOptions& options = openOptions();
        options.customCheck[2]->click();
        options.customCheck[9]->click();
        control<QPushButton>(options, "cmdOK")->click();
        QVERIFY(!app::loadedWindow<FrmOptions>());
        const MainControls ui(main);
        QCOMPARE(ui.CountLabel->text(), QStringLiteral("1 of 3")); // questions 3, 10, 18
        QCOMPARE(ui.Question->toPlainText(), QStringLiteral("Question 3"));
        QCOMPARE(ui.Category->text(), store::categories()[2]);
        QVERIFY(ui.Mark->isChecked() == false);
        QVERIFY(ui.Next->isEnabled() && !ui.Previous->isEnabled() && !ui.GoFirst->isEnabled());
        QVERIFY(ui.Answer->isVisible()); // the reveal state stays
        QCOMPARE(app::state().CardSet->absolutePosition(), 0);
        QCOMPARE(selected(openOptions()), QStringLiteral("1/0/2,9"));
    }

    void premadeAndCustomSetChoicesAreRemembered() {
        ProgramFolder folder(bankRows());
        viewer::FrmMain& main = startProgram(folder.folder());
        FrmOptions* options = &openOptions();
        options->customCheck[5]->click();
        options->cmdOK_Click();
        options = &openOptions();
        options->PremadeType[2]->click();
        options->cmdOK_Click();
        QCOMPARE(MainControls(main).CountLabel->text(), QStringLiteral("1 of 1"));
        QVERIFY(!MainControls(main).Next->isEnabled());
        options = &openOptions();
        QCOMPARE(selected(*options), QStringLiteral("0/2/"));
        QCOMPARE(app::state().LastCategoryChecks[5], QStringLiteral("TRUE"));

        app::state().MarkField = QStringLiteral("Mark2");
        options->TestType[2]->setChecked(true);
        options->cmdOK_Click();
        QCOMPARE(MainControls(main).CountLabel->text(), QStringLiteral("1 of 2"));
        options = &openOptions();
        QCOMPARE(selected(*options), QStringLiteral("2/0/"));
        QCOMPARE(options->TestType[2]->text(), QStringLiteral("Custom Set #1 Flash Cards Only"));
    }

    void aSecondShowingKeepsTheDialogAsItIs() {
        ProgramFolder folder(bankRows());
        startProgram(folder.folder());
        FrmOptions& options = openOptions();
        options.customCheck[1]->click();
        const auto saved = app::state().SavedCardSet;
        app::state().SavedCardSet.reset();
        QCOMPARE(&openOptions(), &options);
        QVERIFY(!app::state().SavedCardSet); // no second load
        QCOMPARE(selected(options), QStringLiteral("1/0/1"));

        // Enter on a check box does not accept; closing through the frame changes nothing.
        options.customCheck[1]->setFocus();
        QTest::keyClick(options.customCheck[1], Qt::Key_Return);
        QVERIFY(app::loadedWindow<FrmOptions>());
        const auto current = app::state().CardSet;
        options.close();
        QCoreApplication::processEvents();
        QVERIFY(!app::loadedWindow<FrmOptions>());
        QCOMPARE(app::state().CardSet, current);
        QCOMPARE(app::state().LastTestType, QString());
    }

    void customSetSwitch() {
        ProgramFolder folder(bankRows());
        viewer::FrmMain& main = startProgram(folder.folder());
        const MainControls ui(main);
        app::state().MarkField = QStringLiteral("Mark4");
        main.Next_Click();
        main.Next_Click(); // question 3: marked in set 2
        FrmSetOptions& sets = app::showWindow<FrmSetOptions>();
        QVERIFY(sets.setSelection[0]->isChecked()); // whatever set is active
        QApplication::setActiveWindow(&sets);
        sets.setSelection[0]->setFocus();
        QTest::keyClick(sets.setSelection[0], Qt::Key_Down);
        QVERIFY(sets.setSelection[1]->isChecked());
        QVERIFY(!app::loadedWindow<FrmOptions>());
        control<QPushButton>(sets, "cmdOK")->click();
        QVERIFY(!app::loadedWindow<FrmSetOptions>());
        QCOMPARE(app::state().MarkField, QStringLiteral("Mark2"));
        QCOMPARE(ui.Mark->text(), QStringLiteral("Add to Custom Set #2"));
        QVERIFY(ui.Mark->isChecked());
        // The options dialog was loaded, hidden, with its load step run and the new caption.
        FrmOptions* options = app::loadedWindow<FrmOptions>();
        QVERIFY(options && !options->isVisible());
        QCOMPARE(app::state().SavedCardSet, app::state().CardSet);
        QCOMPARE(options->TestType[2]->text(), QStringLiteral("Custom Set #2 Memvane Only"));
        QCOMPARE(&openOptions(), options);
        QCOMPARE(options->TestType[2]->text(), QStringLiteral("Custom Set #2 Memvane Only"));

        // Build the set from custom set 2, then make set 1 active and mark: it goes to set 1.
        options->TestType[2]->setChecked(true);
        options->cmdOK_Click();
        QCOMPARE(ui.CountLabel->text(), QStringLiteral("1 of 2"));
        app::showWindow<FrmSetOptions>().cmdOK_Click(); // set 1
        QCOMPARE(app::state().MarkField, QStringLiteral("Mark1"));
        QCOMPARE(ui.Mark->text(), QStringLiteral("Add to Custom Set #1"));
        QVERIFY(!ui.Mark->isChecked());
        ui.Mark->setChecked(true);
        main.Next_Click();
        QCOMPARE(readField(folder.bank(), 3, "Mark1").toInt(), 1);
        QCOMPARE(readField(folder.bank(), 3, "Mark2").toInt(), 1);
        QCOMPARE(ui.CountLabel->text(), QStringLiteral("2 of 2")); // the set on show stays
    }

    void cancellingTheSetDialogChangesNothing() {
        ProgramFolder folder(bankRows());
        viewer::FrmMain& main = startProgram(folder.folder());
        FrmOptions& options = openOptions();
        control<QPushButton>(options, "cmdChangeSet")->click();
        QVERIFY(options.TestType[2]->isChecked());
        FrmSetOptions* sets = app::loadedWindow<FrmSetOptions>();
        QVERIFY(sets && sets->isVisible());
        sets->setSelection[4]->setChecked(true);
        control<QPushButton>(*sets, "cmdCancel")->click();
        QCOMPARE(app::state().MarkField, QStringLiteral("Mark1"));
        QVERIFY(options.TestType[2]->isChecked());
        app::showWindow<FrmSetOptions>().close(); // the close box: same as Cancel
        QCOMPARE(app::state().MarkField, QStringLiteral("Mark1"));
        QCOMPARE(MainControls(main).Mark->text(), QStringLiteral("Add to Custom Set #1"));
    }

    void switchingWithAnEmptySetKeepsTheBox() {
        ProgramFolder folder(bankRows());
        viewer::FrmMain& main = startProgram(folder.folder());
        FrmOptions& options = openOptions();
        options.TestType[2]->setChecked(true);
        {
            MessageCatcher catcher;
            options.cmdOK_Click();
        }
        MainControls(main).Mark->setChecked(true);
        FrmSetOptions& sets = app::showWindow<FrmSetOptions>();
        sets.setSelection[5]->setChecked(true);
        sets.cmdOK_Click();
        QCOMPARE(app::state().MarkField, QStringLiteral("Mark6"));
        QCOMPARE(options.TestType[2]->text(), QStringLiteral("Custom Set #6 Memvane Only"));
        QVERIFY(MainControls(main).Mark->isChecked());
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
