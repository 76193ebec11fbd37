#include "app/Failure.h"
#include "app/FrmSplash.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "store/Bank.h"
#include "store/BankPassword.h"
#include "store/Database.h"
#include "store/Error.h"
#include "store/RecordSet.h"
#include "tests/support/TestBank.h"
#include "viewer/FrmMain.h"

#include <QTest>

#include <sqlcipher/sqlite3.h>

using namespace testing;

namespace {

std::pair<int, QString> startupFailure(const QString& folder) {
    try {
        startProgram(folder);
    } catch (const store::Error& error) {
        return {error.number(), error.description()};
    }
    return {0, {}};
}

int startupError(const QString& folder) {
    return startupFailure(folder).first;
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

// Indexes a bank may carry; only the second lets start-up read ID and Index from an index.
// Partial, expression and descending look-alikes are told apart in tst_bankfile, by the same
// reading of the bank's indexes.
const std::pair<const char*, const char*> IndexKinds[] = {
    {"no index", ""},
    {"start-up index", "CREATE INDEX QATABLE_ID_Index ON QATABLE (ID, \"Index\")"},
    {"its name on Question", "CREATE INDEX QATABLE_ID_Index ON QATABLE (Question)"},
};

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
            writeBank(folder.bank(), numberedRows(3), store::BankPassword, {"Index"});
        const QByteArray before = checksum(folder.bank());
        QCOMPARE(startupError(folder.folder()), error);
        QCOMPARE(checksum(folder.bank()), before);
        QVERIFY(!app::loadedWindow<viewer::FrmMain>());
    }

    void aBadIdLeavesEveryIndexAsItWas_data() {
        QTest::addColumn<int>("record");      // the record with the bad ID, from 1
        QTest::addColumn<QVariant>("id");     // its ID; null for none
        QTest::addColumn<QVariant>("index");  // its Index
        QTest::addColumn<bool>("renumbered"); // the other records hold Index = ID already
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("description"); // %1: the bank
        QTest::addColumn<QVariant>("later");      // the bad ID of record 5, after it in row order
        QTest::addColumn<QString>("indexSql");    // adds an index

        const QString noId = QStringLiteral("Invalid use of Null: a question in '%1' has no ID.");
        const QString notWhole =
            QStringLiteral("Type mismatch: the ID '%2' in '%1' is not a whole number.");
        for (const auto& [kind, index] : IndexKinds) {
            const auto row = [&](const char* name) {
                return &QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(name, kind)));
            };
            *row("null ID, every Index to change") << 4 << QVariant() << QVariant(104LL) << false
                                                   << 94 << noId << QVariant(7.5) << QString(index);
            // Records that need no write are checked all the same.
            *row("null ID and null Index, the rest renumbered")
                << 1 << QVariant() << QVariant() << true << 94 << noId << QVariant(7.5)
                << QString(index);
            // A null sorts before every number in an index, a text after: the first bad record
            // in row order is the one reported.
            *row("ID 2.5 and Index 2.5, the rest renumbered")
                << 2 << QVariant(2.5) << QVariant(2.5) << true << 13 << notWhole.arg("%1", "2.5")
                << QVariant() << QString(index);
            *row("text ID and the same Index, the rest renumbered")
                << 3 << QVariant(QStringLiteral("five")) << QVariant(QStringLiteral("five")) << true
                << 13 << notWhole.arg("%1", "five") << QVariant() << QString(index);
        }
    }

    void aBadIdLeavesEveryIndexAsItWas() {
        QFETCH(int, record);
        QFETCH(QVariant, id);
        QFETCH(QVariant, index);
        QFETCH(bool, renumbered);
        QFETCH(int, error);
        QFETCH(QString, description);
        QFETCH(QVariant, later);
        QFETCH(QString, indexSql);
        auto rows = numberedRows(5);
        for (Row& row : rows)
            row.index = (renumbered ? 0 : 100) + *row.id;
        rows[size_t(record - 1)].id.reset();
        ProgramFolder folder(rows);
        writeField(folder.bank(), record, "ID", id);
        writeField(folder.bank(), record, "Index", index);
        writeField(folder.bank(), 5, "ID", later);
        if (!indexSql.isEmpty())
            runSql(folder.bank(), indexSql);
        const QVariantList before = readColumn(folder.bank(), "Index");
        const QByteArray unchanged = checksum(folder.bank());
        const auto [number, text] = startupFailure(folder.folder());
        QCOMPARE(number, error);
        QCOMPARE(text, description.arg(folder.bank()));
        // All or nothing: records before the bad one were renumbered, then rolled back.
        QCOMPARE(readColumn(folder.bank(), "Index"), before);
        QCOMPARE(checksum(folder.bank()), unchanged);
        // Nothing of the failed start-up keeps the bank locked.
        QVERIFY_THROWS_NO_EXCEPTION(writeField(folder.bank(), 1, "Mark6", 1));
    }

    void renumberingWritesOnlyWhatDiffers_data() {
        QTest::addColumn<QVariantList>("index");   // Index of the six records before start-up
        QTest::addColumn<QVariantList>("written"); // row ids of the records that differ
        QTest::addColumn<QString>("indexSql");     // adds an index

        // The records' IDs are 1, 2, 40000, 4, -5 and 6: an index on ID holds them in
        // another order than the rows'.
        const QVariantList renumbered = {1LL, 2LL, 40000LL, 4LL, -5LL, 6LL};
        QVariantList oneOff = renumbered;
        oneOff[2] = 39999LL;
        QVariantList ends = renumbered;
        ends[0] = -1LL;
        ends[5] = 7LL;
        QVariantList notIntegers = renumbered;
        notIntegers[1] = QVariant();
        notIntegers[4] = -5.5;
        for (const auto& [kind, index] : IndexKinds) {
            const auto row = [&](const char* name) {
                return &QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(name, kind)));
            };
            *row("first start") << QVariantList(6, 0LL)
                                << QVariantList({1LL, 2LL, 3LL, 4LL, 5LL, 6LL}) << QString(index);
            *row("renumbered before") << renumbered << QVariantList() << QString(index);
            *row("one record differs") << oneOff << QVariantList({3LL}) << QString(index);
            *row("first and last differ") << ends << QVariantList({1LL, 6LL}) << QString(index);
            *row("a null and a real Index")
                << notIntegers << QVariantList({2LL, 5LL}) << QString(index);
        }
    }

    void renumberingWritesOnlyWhatDiffers() {
        QFETCH(QVariantList, index);
        QFETCH(QVariantList, written);
        auto rows = numberedRows(6);
        const qint64 ids[] = {1, 2, 40000, 4, -5, 6};
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i].id = ids[i];
        ProgramFolder folder(rows);
        // One connection for every change: each opening derives the key again.
        QFETCH(QString, indexSql);
        QString sql = indexSql;
        for (int i = 0; i < int(index.size()); ++i)
            sql += QStringLiteral("; UPDATE QATABLE SET \"Index\" = %1 WHERE rowid = %2")
                       .arg(index[i].isNull() ? QStringLiteral("NULL") : index[i].toString())
                       .arg(i + 1);
        runSql(folder.bank(), sql);
        const QVariantList texts = readColumn(folder.bank(), "Question");
        const QByteArray before = checksum(folder.bank());

        // The card set in row order, whatever order an index holds.
        viewer::FrmMain& main = startProgram(folder.folder());
        QCOMPARE(shown(main).mid(0, 4),
                 QStringList({"Question 1", "Answer 1", "The Chemistry of Life", "1 of 6"}));
        app::state().CardSet->moveLast();
        QCOMPARE(app::state().CardSet->field("Question").toString(), QStringLiteral("Question 6"));
        // Every record that differed must have been written to end as below, so the count of
        // rows written says that no other one was.
        QCOMPARE(sqlite3_total_changes(app::state().QuestionDb->handle()), int(written.size()));
        // As rewriting every record leaves it: Index holds ID, as an integer, everywhere.
        const QVariantList after = readColumn(folder.bank(), "Index");
        QCOMPARE(after, readColumn(folder.bank(), "ID"));
        for (const QVariant& value : after)
            QCOMPARE(value.typeId(), QMetaType::LongLong);
        QCOMPARE(readColumn(folder.bank(), "Question"), texts);
        QCOMPARE(checksum(folder.bank()) == before, written.isEmpty());
    }

    // The bank tool's banks keep ID as the row id and carry the index, so the scan reads the
    // very index that each write of Index changes; every record must still be written once.
    void aFirstStartOnTheToolsBankRenumbersEveryRecord() {
        ProgramFolder folder({});
        std::vector<store::Question> questions(5000);
        for (size_t i = 0; i < questions.size(); ++i) {
            questions[i].id = qint64(i) + 1;
            questions[i].index = 5000 - qint64(i);
            questions[i].question = QStringLiteral("Question %1").arg(i + 1);
        }
        store::createBank(folder.bank(), questions);
        viewer::FrmMain& main = startProgram(folder.folder());
        QCOMPARE(MainControls(main).CountLabel->text(), QStringLiteral("1 of 5000"));
        QCOMPARE(sqlite3_total_changes(app::state().QuestionDb->handle()), 5000);
        QCOMPARE(readColumn(folder.bank(), "Index"), readColumn(folder.bank(), "ID"));
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
