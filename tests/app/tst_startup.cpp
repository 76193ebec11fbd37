#include "app/Failure.h"
#include "app/FrmSplash.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "store/Bank.h"
#include "store/Error.h"
#include "store/RecordSet.h"
#include "tests/support/TestBank.h"
#include "viewer/FrmMain.h"

#include <QTest>

using namespace testing;

namespace {

int startupError(const QString& folder) {
    try {
        startProgram(folder);
    } catch (const store::Error& error) {
        return error.number();
    }
    return 0;
}

QStringList shown(viewer::FrmMain& main) {
    const MainControls ui(main);
    return {ui.Question->toPlainText(),
            ui.Answer->toPlainText(),
            ui.Category->text(),
            ui.CountLabel->text(),
            ui.Mark->isChecked() ? "ticked" : "unticked",
            QString("%1%2%3")
                .arg(ui.GoFirst->isEnabled())
                .arg(ui.Previous->isEnabled())
                .arg(ui.Next->isEnabled())};
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { initGuiTests(); }
    void cleanup() { cleanupGuiTest(); }

    void continueOpensTheBankAndShowsTheFirstCard() {
        auto rows = numberedRows(20);
        rows[0].marks[0] = -1;
        ProgramFolder folder(rows);
        QVERIFY(app::state().LastTestType.isEmpty());
        viewer::FrmMain& main = startProgram(folder.folder());
        const app::ProgramState& s = app::state();
        QCOMPARE(s.CurrentSQL, QStringLiteral("SELECT * FROM QATABLE"));
        QCOMPARE(s.DbPath, folder.folder() + QStringLiteral("/db/voreldb.mdb"));
        QCOMPARE(s.MarkField, QStringLiteral("Mark1"));
        QVERIFY(s.QuestionDb && s.Engine && !s.SavedCardSet);
        QVERIFY(s.LastTestType.isEmpty() && s.LastPremadeType.isEmpty());
        QCOMPARE(shown(main), QStringList({"Question 1", "Answer 1", "The Chemistry of Life",
                                           "1 of 20", "ticked", "001"}));
        QVERIFY(main.isVisible());
        QVERIFY(!MainControls(main).Answer->isVisible());
        QVERIFY(!app::loadedWindow<app::FrmSplash>()); // closed and gone
        QCOMPARE(readColumn(folder.bank(), "Index"), readColumn(folder.bank(), "ID"));
    }

    void oneRecordTwiceKeepsIndexEqualToId() {
        std::vector<Row> rows = numberedRows(1);
        rows[0].id = 40000; // wider than 16 bits
        ProgramFolder folder(rows);
        for (int run = 0; run < 2; ++run) {
            viewer::FrmMain& main = startProgram(folder.folder());
            QCOMPARE(shown(main), QStringList({"Question 1", "Answer 1", "The Chemistry of Life",
                                               "1 of 1", "unticked", "000"}));
            QVERIFY(MainControls(main).cmdRandomCard->isEnabled());
            QCOMPARE(readField(folder.bank(), 1, "Index").toLongLong(), 40000);
        }
    }

    void failuresAtStartup_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing file") << 3024 << "missing";
        QTest::newRow("wrong password") << 3031 << "password";
        QTest::newRow("empty table") << 3021 << "empty";
        QTest::newRow("no Index column") << 3265 << "column";
    }

    void failuresAtStartup() {
        QFETCH(int, error);
        QFETCH(QString, kind);
        ProgramFolder folder({});
        if (kind == "password")
            writeBank(folder.bank(), numberedRows(3), "other");
        else if (kind == "empty")
            writeBank(folder.bank(), {});
        else if (kind == "column")
            writeBank(folder.bank(), numberedRows(3), store::BankPassword, {"\"Index\""});
        const QByteArray before = checksum(folder.bank());
        QCOMPARE(startupError(folder.folder()), error);
        QCOMPARE(checksum(folder.bank()), before);
        QVERIFY(!app::loadedWindow<viewer::FrmMain>());
    }

    void aNullIdLeavesEveryIndexAsItWas() {
        auto rows = numberedRows(5);
        for (Row& row : rows)
            row.index = 100 + *row.id;
        rows[3].id.reset();
        ProgramFolder folder(rows);
        const QByteArray before = checksum(folder.bank());
        QCOMPARE(startupError(folder.folder()), 94);
        // All or nothing: the first three were renumbered, then rolled back.
        QCOMPARE(readColumn(folder.bank(), "Index"),
                 QVariantList({101LL, 102LL, 103LL, 104LL, 105LL}));
        QCOMPARE(checksum(folder.bank()), before);
    }

    void failuresReadAsRunTimeErrors() {
        QCOMPARE(app::failureText(std::make_exception_ptr(
                     store::Error(3024, QStringLiteral("Could not find file 'x'.")))),
                 QStringLiteral("Run-time error '3024':\n\nCould not find file 'x'."));
        QCOMPARE(app::failureText(std::make_exception_ptr(std::bad_alloc())),
                 QStringLiteral("Run-time error '7':\n\nOut of memory"));
    }

    void counterAndButtonsFollowThePosition() {
        ProgramFolder folder(numberedRows(20));
        viewer::FrmMain& main = startProgram(folder.folder());
        store::RecordSet& cards = *app::state().CardSet;
        cards.setAbsolutePosition(6);
        main.ShowCurrentCard();
        QCOMPARE(shown(main).mid(3), QStringList({"7 of 20", "unticked", "111"}));
        cards.moveLast();
        main.ShowCurrentCard();
        QCOMPARE(shown(main).mid(3), QStringList({"20 of 20", "unticked", "110"}));
    }

    void nullsShowAsEmptyText() {
        auto rows = numberedRows(3);
        rows[1].category.reset();
        rows[1].question.reset();
        rows[1].answer.reset();
        rows[1].marks = {1, 0, 7, 0, 0, 0};
        ProgramFolder folder(rows);
        viewer::FrmMain& main = startProgram(folder.folder());
        QCOMPARE(MainControls(main).Category->text(), QStringLiteral("The Chemistry of Life"));
        app::state().CardSet->moveNext();
        app::state().MarkField = QStringLiteral("Mark2");
        main.ShowCurrentCard();
        QCOMPARE(shown(main).mid(0, 5), QStringList({"", "", "", "2 of 3", "unticked"}));
        app::state().MarkField = QStringLiteral("Mark3"); // 7 counts as yes
        main.ShowCurrentCard();
        QVERIFY(MainControls(main).Mark->isChecked());
        app::state().MarkField = QStringLiteral("mark2"); // no such mark field: box left alone
        main.ShowCurrentCard();
        QVERIFY(MainControls(main).Mark->isChecked());
        // A null mark is no mark, as the query "MARK1 = YES" sees it.
        writeField(folder.bank(), 2, "Mark1", QVariant());
        app::state().MarkField = QStringLiteral("Mark1");
        main.ShowCurrentCard();
        QVERIFY(!MainControls(main).Mark->isChecked());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
