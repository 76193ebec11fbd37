#include "store/BankPassword.h"
#include "store/BankTable.h"
#include "store/ConnectText.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "store/Error.h"
#include "store/RecordSet.h"
#include "tests/support/TestBank.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <sqlcipher/sqlite3.h>
#include <unistd.h>

using namespace testing;

namespace {

const QString Connect = store::BankConnectText;

std::shared_ptr<store::Database> open(const QString& path, const QString& connect = Connect) {
    store::Engine engine;
    return engine.openDatabase(path, store::Database::Mode::ReadWrite, connect);
}

int errorOf(const std::function<void()>& run) {
    try {
        run();
    } catch (const store::Error& error) {
        return error.number();
    }
    return 0;
}

QString descriptionOf(const std::function<void()>& run) {
    try {
        run();
    } catch (const store::Error& error) {
        return error.description();
    }
    return {};
}

QStringList questions(store::RecordSet& set) {
    QStringList out;
    if (set.recordCount() == 0)
        return out;
    set.moveFirst();
    while (!set.eof()) {
        out << set.field(QStringLiteral("question")).toString();
        set.moveNext();
    }
    set.moveFirst();
    return out;
}

} // namespace

class TestRecordSet : public QObject {
    Q_OBJECT

private slots:
    void connectTextGivesThePassword() {
        QCOMPARE(*store::ConnectText::parse(Connect).password, store::BankPassword.toUtf8());
        QCOMPARE(store::ConnectText::parse(QStringLiteral("MS Access")).password, std::nullopt);
        QCOMPARE(*store::ConnectText::parse(QStringLiteral("MS Access;UID=x;pwd=a=b")).password,
                 QByteArray("a=b"));
    }

    void filtersMatchYesNoTextAndNumbers() {
        auto rows = numberedRows(6);
        rows[0].sets = {1, 0, 0};
        rows[1].sets = {-1, 1, 0}; // any non-zero is yes
        rows[2].sets = {2, 0, 1};
        rows[3].category = QStringLiteral("Mendel's peas");
        ProgramFolder bank(rows);
        auto db = open(bank.bank());
        auto set = [&](const char* where) {
            return questions(*db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE") +
                                                QString::fromLatin1(where)));
        };
        QCOMPARE(set(" WHERE BASICS = YES"),
                 QStringList({"Question 1", "Question 2", "Question 3"}));
        QCOMPARE(set(" WHERE basics = no"),
                 QStringList({"Question 4", "Question 5", "Question 6"}));
        QCOMPARE(set(" WHERE TOUGH = TRUE OR FINAL = true"),
                 QStringList({"Question 2", "Question 3"}));
        QCOMPARE(set(" WHERE CATEGORY =  'Mendel''s peas' OR CATEGORY = 'Cell Division'"),
                 QStringList({"Question 4"}));
        QCOMPARE(set(" WHERE ID = 5 OR [Index] = 99"), QStringList({"Question 5"}));
        QCOMPARE(set(" WHERE Category = 'x'' OR ''1''=''1'"), QStringList());
        QCOMPARE(db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE"))->recordCount(), 6);

        // An index hands the rows out in its own order; a set still holds them in row order.
        runSql(bank.bank(), QStringLiteral("CREATE INDEX byCategory ON QATABLE (Category)"));
        db = open(bank.bank());
        QCOMPARE(set(""), QStringList({"Question 1", "Question 2", "Question 3", "Question 4",
                                       "Question 5", "Question 6"}));
        QCOMPARE(set(" WHERE CATEGORY = 'The Chemistry of Life' OR CATEGORY = 'Mendel''s peas' "
                     "OR CATEGORY = 'Cell Structure and Function'"),
                 QStringList({"Question 1", "Question 2", "Question 4"}));
    }

    void unknownNamesAreErrors() {
        ProgramFolder bank(numberedRows(2));
        auto db = open(bank.bank());
        QCOMPARE(errorOf([&] { db->openRecordSet(QStringLiteral("SELECT * FROM NOTABLE")); }),
                 3078);
        QCOMPARE(errorOf([&] {
                     db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE WHERE MARK9 = YES"));
                 }),
                 3265);
        auto set = db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE"));
        QCOMPARE(errorOf([&] { set->field(QStringLiteral("Nope")); }), 3265);
        QCOMPARE(set->field(QStringLiteral("qUeStIoN")).toString(), QStringLiteral("Question 1"));
    }

    void movesAndFlagsAtBothEnds() {
        ProgramFolder bank(numberedRows(3));
        auto db = open(bank.bank());
        auto set = db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE"));
        QCOMPARE(set->recordCount(), 3);
        QCOMPARE(set->absolutePosition(), 0);
        QVERIFY(!set->bof() && !set->eof());
        set->movePrevious();
        QVERIFY(set->bof());
        QCOMPARE(set->absolutePosition(), -1);
        QCOMPARE(errorOf([&] { set->field(QStringLiteral("ID")); }), 3021);
        QCOMPARE(errorOf([&] { set->movePrevious(); }), 3021);
        set->moveNext(); // from before the first: back to the first
        QCOMPARE(set->field(QStringLiteral("ID")).toLongLong(), 1);
        set->moveLast();
        QCOMPARE(set->absolutePosition(), 2);
        set->moveNext();
        QVERIFY(set->eof() && !set->bof());
        QCOMPARE(errorOf([&] { set->moveNext(); }), 3021);
        QCOMPARE(errorOf([&] { set->edit(); }), 3021);
        set->movePrevious(); // from past the last: back to the last
        QCOMPARE(set->field(QStringLiteral("ID")).toLongLong(), 3);
        set->setAbsolutePosition(1);
        QCOMPARE(set->field(QStringLiteral("ID")).toLongLong(), 2);
        QCOMPARE(errorOf([&] { set->setAbsolutePosition(3); }), 3001);
        QCOMPARE(errorOf([&] { set->setAbsolutePosition(-1); }), 3001);
    }

    void setOfOneAndEmptySet() {
        ProgramFolder bank(numberedRows(1));
        auto db = open(bank.bank());
        auto one = db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE"));
        one->moveNext();
        QVERIFY(one->eof());
        one->movePrevious();
        QCOMPARE(one->absolutePosition(), 0);
        QCOMPARE(one->recordCount(), 1);

        auto none = db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE WHERE MARK1 = YES"));
        QCOMPARE(none->recordCount(), 0);
        QVERIFY(none->bof() && none->eof());
        QCOMPARE(none->absolutePosition(), -1);
        QCOMPARE(errorOf([&] { none->moveFirst(); }), 3021);
        QCOMPARE(errorOf([&] { none->moveLast(); }), 3021);
        QCOMPARE(errorOf([&] { none->moveNext(); }), 3021);
        QCOMPARE(errorOf([&] { none->field(QStringLiteral("Question")); }), 3021);
        QCOMPARE(errorOf([&] { none->setAbsolutePosition(0); }), 3001);
    }

    void rowIdsOfAnySizeKeepRowOrder() {
        ProgramFolder bank(numberedRows(4));
        writeField(bank.bank(), 2, QStringLiteral("rowid"), 5000000000LL); // beyond 32 bits
        auto db = open(bank.bank());
        auto set = db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE"));
        QCOMPARE(questions(*set),
                 QStringList({"Question 1", "Question 3", "Question 4", "Question 2"}));
        set->moveLast();
        set->edit();
        set->setField(QStringLiteral("Mark2"), 1);
        set->update();
        QCOMPARE(readField(bank.bank(), 5000000000LL, QStringLiteral("Mark2")).toInt(), 1);

        writeField(bank.bank(), 3, QStringLiteral("rowid"), -7LL); // now the first row
        set = db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE"));
        QCOMPARE(questions(*set),
                 QStringList({"Question 3", "Question 1", "Question 4", "Question 2"}));
        QCOMPARE(set->field(QStringLiteral("ID")).toLongLong(), 3);
        set->moveLast();
        QCOMPARE(set->field(QStringLiteral("ID")).toLongLong(), 2);

        // Renumbering finds such rows among those noted at opening too.
        runSql(bank.bank(), "CREATE INDEX QATABLE_ID_Index ON QATABLE (ID, \"Index\")");
        set = db->openRecordSet("SELECT * FROM QATABLE", {"Index", "ID"});
        store::Database::Transaction writing(*db);
        set->setEveryRecord("Index", "ID", [](const QVariant&) { return qint64(-1); });
        writing.commit();
        QCOMPARE(readColumn(bank.bank(), "Index"), readColumn(bank.bank(), "ID"));
    }

    void editsAreStoredAndMembershipStaysFixed() {
        auto rows = numberedRows(4);
        rows[1].marks[0] = 1;
        rows[2].marks[0] = 1;
        ProgramFolder bank(rows);
        auto db = open(bank.bank());
        auto marked = db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE WHERE MARK1 = YES"));
        auto all = db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE"));
        QCOMPARE(marked->recordCount(), 2);
        all->setAbsolutePosition(1);
        QCOMPARE(all->field(QStringLiteral("Mark1")).toInt(), 1); // cached before the edit
        marked->edit();
        marked->setField(QStringLiteral("mark1"), 0);
        marked->setField(QStringLiteral("Mark2"), 1);
        marked->update();
        // The record no longer matches, yet stays; reads see the stored values.
        QCOMPARE(marked->recordCount(), 2);
        QCOMPARE(marked->absolutePosition(), 0);
        QCOMPARE(marked->field(QStringLiteral("Mark1")).toInt(), 0);
        QCOMPARE(all->field(QStringLiteral("Mark1")).toInt(), 0);
        QCOMPARE(all->field(QStringLiteral("Mark2")).toInt(), 1);
        // Durable: another connection sees it at once.
        QCOMPARE(readField(bank.bank(), 2, QStringLiteral("Mark1")).toInt(), 0);
        QCOMPARE(readField(bank.bank(), 2, QStringLiteral("Mark2")).toInt(), 1);
        QCOMPARE(db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE WHERE MARK1 = YES"))
                     ->recordCount(),
                 1);
        // A write by another program is seen at the next read too.
        writeField(bank.bank(), 2, QStringLiteral("Answer"), QStringLiteral("changed"));
        QCOMPARE(all->field(QStringLiteral("Answer")).toString(), QStringLiteral("changed"));
    }

    // Renumbering visits only the records noted when the set opened, unless the bank changed.
    void renumberingSeesChangesSinceTheSetOpened_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("none") << "";
        QTest::newRow("by another connection") << "other";
        QTest::newRow("through this connection") << "this";
    }

    void renumberingSeesChangesSinceTheSetOpened() {
        QFETCH(QString, change);
        auto rows = numberedRows(5);
        for (Row& row : rows)
            row.index = *row.id;
        rows[3].index = 0;
        ProgramFolder bank(rows);
        runSql(bank.bank(), "CREATE INDEX QATABLE_ID_Index ON QATABLE (ID, \"Index\")");
        auto db = open(bank.bank());
        auto set = db->openRecordSet("SELECT * FROM QATABLE", {"Index", "ID"});
        if (change == "other")
            writeField(bank.bank(), 2, "Index", 0);
        if (change == "this") {
            auto other = db->openRecordSet("SELECT * FROM QATABLE");
            other->setAbsolutePosition(1);
            other->edit();
            other->setField("Index", 0);
            other->update();
        }
        const int before = sqlite3_total_changes(db->handle());
        store::Database::Transaction writing(*db);
        set->setEveryRecord("Index", "ID", [](const QVariant&) { return qint64(-1); });
        writing.commit();
        QVERIFY(set->eof());
        QCOMPARE(readColumn(bank.bank(), "Index"), readColumn(bank.bank(), "ID"));
        QCOMPARE(sqlite3_total_changes(db->handle()) - before, change.isEmpty() ? 1 : 2);
    }

    void editRulesAndNulls() {
        auto rows = numberedRows(2);
        rows[0].answer.reset();
        ProgramFolder bank(rows);
        auto db = open(bank.bank());
        auto set = db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE"));
        QVERIFY(set->field(QStringLiteral("Answer")).isNull());
        QCOMPARE(errorOf([&] { set->update(); }), 3020);
        QCOMPARE(errorOf([&] { set->setField(QStringLiteral("Mark1"), 1); }), 3020);
        set->edit();
        QCOMPARE(errorOf([&] { set->setField(QStringLiteral("Nope"), 1); }), 3265);
        set->setField(QStringLiteral("Mark3"), 1);
        set->moveNext(); // a move drops the edit
        QCOMPARE(errorOf([&] { set->update(); }), 3020);
        QCOMPARE(readField(bank.bank(), 1, QStringLiteral("Mark3")).toInt(), 0);
    }

    void openingFailures() {
        ProgramFolder bank(numberedRows(2));
        const QString missing = bank.folder() + QStringLiteral("/db/none.mdb");
        QCOMPARE(errorOf([&] { open(missing); }), 3024);
        QCOMPARE(descriptionOf([&] { open(missing); }),
                 QStringLiteral("Could not find file '%1'.").arg(missing));
        QVERIFY(!QFile::exists(missing)); // never created

        QCOMPARE(errorOf([&] { open(bank.bank(), QStringLiteral("MS Access;PWD=wrong")); }), 3031);
        QCOMPARE(errorOf([&] { open(bank.bank(), QStringLiteral("MS Access")); }), 3031);

        const QString noise = bank.folder() + QStringLiteral("/noise.mdb");
        QFile file(noise);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray bytes(8192, 0);
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 7919 + 13) % 251);
        file.write(bytes);
        file.close();
        QCOMPARE(errorOf([&] { open(noise); }), 3031);

        const QString empty = bank.folder() + QStringLiteral("/empty.mdb");
        QFile(empty).open(QIODevice::WriteOnly);
        QCOMPARE(errorOf([&] { open(empty); }), 3049);
        QCOMPARE(QFileInfo(empty).size(), 0);
    }

    void readOnlyAndLockedFilesRefuseUpdates() {
        ProgramFolder bank(numberedRows(2));
        {
            // Another program holds a write transaction.
            sqlite3* other = nullptr;
            sqlite3_open(QFile::encodeName(bank.bank()).constData(), &other);
            const QByteArray key = store::BankPassword.toUtf8();
            sqlite3_key(other, key.constData(), int(key.size()));
            QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE; UPDATE QATABLE SET Mark6 = 1;", nullptr,
                                  nullptr, nullptr),
                     SQLITE_OK);
            auto db = open(bank.bank());
            auto set = db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE"));
            set->edit();
            set->setField(QStringLiteral("Mark1"), 1);
            QCOMPARE(errorOf([&] { set->update(); }), 3260);
            sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(other);
        }
        // Root may write a file without write permission; the engine's read-only mode stands
        // in for it there.
        QFile::setPermissions(bank.bank(), QFile::ReadOwner);
        store::Engine engine;
        auto db = engine.openDatabase(bank.bank(),
                                      ::geteuid() == 0 ? store::Database::Mode::ReadOnly
                                                       : store::Database::Mode::ReadWrite,
                                      Connect);
        auto set = db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE"));
        set->edit();
        set->setField(QStringLiteral("Mark1"), 1);
        QCOMPARE(errorOf([&] { set->update(); }), 3027);
    }

    void aBankSwappedWhileOpenIsNamedSo_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("says");
        QTest::newRow("deleted") << "delete"
                                 << "was deleted or moved while Memvane was running";
        QTest::newRow("moved") << "move"
                               << "was deleted or moved while Memvane was running";
        QTest::newRow("replaced by another bank")
            << "replace"
            << "was replaced by another file while Memvane was running";
    }

    void aBankSwappedWhileOpenIsNamedSo() {
        QFETCH(QString, how);
        QFETCH(QString, says);
        ProgramFolder bank(numberedRows(3));
        const QString path = bank.bank();
        auto db = open(path);
        auto set = db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE"));
        if (how == "delete") {
            QVERIFY(QFile::remove(path));
        } else if (how == "move") {
            QVERIFY(QFile::rename(path, path + QStringLiteral(".moved")));
        } else {
            const QString other = bank.folder() + QStringLiteral("/db/other.mdb");
            writeBank(other, numberedRows(3), QStringLiteral("another password"));
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::rename(other, path));
        }
        set->edit();
        set->setField(QStringLiteral("Mark1"), 1);
        // The number stays the engine's; the words say what happened to the file.
        QCOMPARE(errorOf([&] { set->update(); }), 3027);
        set->edit();
        set->setField(QStringLiteral("Mark1"), 1);
        QCOMPARE(descriptionOf([&] { set->update(); }),
                 QStringLiteral("The question bank '%1' %2.").arg(path, says));
    }

    void bankMadeWithTheSqlcipherCommand() {
        ProgramFolder folder({});
        QProcess sqlcipher;
        sqlcipher.start(QStringLiteral("sqlcipher"), {folder.bank()});
        if (!sqlcipher.waitForStarted())
            QSKIP("no sqlcipher command");
        sqlcipher.write("PRAGMA key = '" + store::BankPassword.toUtf8() + "';\n");
        sqlcipher.write(QStringLiteral("CREATE TABLE QATABLE (%1);\n")
                            .arg(store::bankColumnDefinitions(store::IdColumn::Plain))
                            .toUtf8() +
                        "INSERT INTO QATABLE VALUES (7, 0, 'Why?', 'Because.', 'Plants', 1, 0, 0, "
                        "0, 0, -1, 0, 0, 0);\n");
        sqlcipher.closeWriteChannel();
        QVERIFY(sqlcipher.waitForFinished());
        auto db = open(folder.bank());
        auto set = db->openRecordSet(QStringLiteral("SELECT * FROM QATABLE WHERE MARK3 = YES"));
        QCOMPARE(set->recordCount(), 1);
        QCOMPARE(set->field(QStringLiteral("Answer")).toString(), QStringLiteral("Because."));
    }
};

QTEST_GUILESS_MAIN(TestRecordSet)
#include "tst_recordset.moc"
