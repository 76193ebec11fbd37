#include "store/Bank.h"
#include "store/CsvReader.h"
#include "tests/support/TestBank.h"
#include "tools/bank/BankCommands.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

const QByteArray Header = "ID,Question,Answer,Category,BASICS,TOUGH,FINAL\n";

struct Run {
    int status;
    QString out;
    QString err;
};

Run bankTool(const QStringList& args) {
    QString out;
    QString err;
    QTextStream o(&out);
    QTextStream e(&err);
    const int status = tools::runBankCommand(args, o, e);
    o.flush();
    e.flush();
    return {status, out, err};
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestBankFile : public QObject {
    Q_OBJECT

private slots:
    void csvFieldsQuotesNullsAndLines() {
        const auto records = store::readCsv("a,\"b,\"\"c\"\"\",,\"\"\r\n"
                                            "\"multi\nline\",x,\"\",y\n"
                                            "\n"
                                            "p,q,r,s");
        QCOMPARE(records.size(), size_t(3));
        QCOMPARE(records[0].fields[1], std::optional<QString>(QStringLiteral("b,\"c\"")));
        QCOMPARE(records[0].fields[2], std::nullopt);                      // empty, unquoted
        QCOMPARE(records[0].fields[3], std::optional<QString>(QString())); // quoted empty
        QCOMPARE(records[1].fields[0], std::optional<QString>(QStringLiteral("multi\nline")));
        QCOMPARE(records[1].line, 2);
        QCOMPARE(records[2].line, 5);
    }

    void rejectsBadFilesWithLineAndReason_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unterminated quote")
            << Header + "1,Q,A,Plants,0,0,0\n2,\"Q\nstill open,A,Plants,0,0,0\n"
            << 3 << "not closed";
        QTest::newRow("wrong column count") << Header + "1,Q,A,Plants,0,0\n" << 2 << "7";
        QTest::newRow("non-integer ID") << Header + "1,Q,A,P,0,0,0\nx1,Q,A,P,0,0,0\n"
                                        << 3 << "not a whole number";
        QTest::newRow("duplicate ID") << Header + "4,Q,A,P,0,0,0\n4,R,B,P,0,0,0\n"
                                      << 3 << "used twice";
        QTest::newRow("bad flag") << Header + "1,Q,A,P,0,maybe,0\n" << 2 << "TOUGH";
        QTest::newRow("missing column")
            << QByteArray("ID,Question,Answer\n1,Q,A\n") << 1 << "Category";
        QTest::newRow("quote in bare field") << Header + "1,Q \"x\",A,P,0,0,0\n" << 2 << "quote";
    }

    void rejectsBadFilesWithLineAndReason() {
        QFETCH(QByteArray, csv);
        QFETCH(int, line);
        QFETCH(QString, reason);
        try {
            store::parseQuestions(csv);
            QFAIL("accepted");
        } catch (const store::CsvError& error) {
            QCOMPARE(error.line(), line);
            QVERIFY2(error.reason().contains(reason), qPrintable(error.reason()));
        }
    }

    void createWritesNothingOnErrorAndNeverOverwrites() {
        QTemporaryDir dir;
        const QString csv = dir.filePath("q.csv");
        const QString bank = dir.filePath("bank.mdb");
        writeFile(csv, Header + "1,Q,A,P,yes,No,TRUE\n2,Q,A,P,0,0,x\n");
        Run run = bankTool({"create", csv, bank});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("line 3"), qPrintable(run.err));
        QVERIFY(!QFile::exists(bank));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"q.csv"});

        writeFile(csv, Header + "5,\"It's \"\"here\"\"\",\"α, β\nγ\",Plants,yes,No,TRUE\n");
        QCOMPARE(bankTool({"create", csv, bank}).status, 0);
        QCOMPARE(testing::readField(bank, 5, "Index").toInt(), 5);
        QCOMPARE(testing::readField(bank, 5, "Question").toString(),
                 QStringLiteral("It's \"here\""));
        QCOMPARE(testing::readField(bank, 5, "Answer").toString(), QStringLiteral("α, β\nγ"));
        QCOMPARE(testing::readField(bank, 5, "FINAL").toInt(), 1);
        QCOMPARE(testing::readField(bank, 5, "Mark1").toInt(), 0);

        const QByteArray before = testing::checksum(bank);
        run = bankTool({"create", csv, bank});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains("never overwritten"));
        QCOMPARE(testing::checksum(bank), before);
    }

    void exportAndCreateRoundTripByteForByte() {
        QTemporaryDir dir;
        const QByteArray canonical =
            "ID,Question,Answer,Category,BASICS,TOUGH,FINAL,Index,Mark1,Mark2,Mark3,Mark4,Mark5,"
            "Mark6\n"
            "1,\"Comma, here\",\"Line\nbreak\",The Human Body,1,0,1,1,0,0,1,0,0,0\n"
            "2,,\"\",Ecology,0,1,0,2,1,0,0,0,0,1\n"
            "3,\" padded \",naïve CO₂ שלום,,0,0,0,3,0,0,0,0,0,0\n";
        writeFile(dir.filePath("a.csv"), canonical);
        QCOMPARE(bankTool({"create", dir.filePath("a.csv"), dir.filePath("a.mdb")}).status, 0);
        QCOMPARE(bankTool({"export", dir.filePath("a.mdb"), dir.filePath("b.csv")}).status, 0);
        QCOMPARE(readFile(dir.filePath("b.csv")), canonical);
        // Null and empty texts stay apart.
        QVERIFY(testing::readField(dir.filePath("a.mdb"), 2, "Question").isNull());
        QCOMPARE(testing::readField(dir.filePath("a.mdb"), 2, "Answer"), QVariant(QString()));
    }

    void importKeepsMarksAndCounts() {
        QTemporaryDir dir;
        const QString bank = dir.filePath("bank.mdb");
        writeFile(dir.filePath("v1.csv"), Header + "1,Q1,A1,Plants,0,0,0\n2,Q2,A2,Plants,0,0,0\n");
        QCOMPARE(bankTool({"create", dir.filePath("v1.csv"), bank}).status, 0);
        testing::writeField(bank, 2, "Mark4", 1); // the student's mark
        auto questions = store::readBank(bank);
        QCOMPARE(questions.size(), size_t(2));

        writeFile(
            dir.filePath("v2.csv"),
            Header + "1,Q1,A1,Plants,0,0,0\n2,Q2 better,A2,Animals,1,0,0\n3,Q3,A3,Ecology,0,0,1\n");
        const Run run = bankTool({"import", dir.filePath("v2.csv"), bank});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out.trimmed(), QStringLiteral("Added 1, updated 1, left alone 1."));
        questions = store::readBank(bank);
        QCOMPARE(questions.size(), size_t(3));
        QCOMPARE(*questions[1].question, QStringLiteral("Q2 better"));
        QCOMPARE(*questions[1].category, QStringLiteral("Animals"));
        QCOMPARE(questions[1].sets[0], 1);
        QCOMPARE(questions[1].marks[3], 1);
        QCOMPARE(questions[2].marks, (std::array<int, 6>{}));

        // A bad file changes nothing.
        const QByteArray before = testing::checksum(bank);
        writeFile(dir.filePath("bad.csv"), Header + "9,Q,A,P,0,0,0\n9,Q,A,P,0,0,0\n");
        QCOMPARE(bankTool({"import", dir.filePath("bad.csv"), bank}).status, 1);
        QCOMPARE(testing::checksum(bank), before);
    }

    void checkReports() {
        QTemporaryDir dir;
        const QString bank = dir.filePath("bank.mdb");
        writeFile(dir.filePath("q.csv"),
                  Header + "1,Q1,,Plants,1,0,0\n2,Q2,A2,Botany,0,1,1\n3,,A3,Plants,0,0,1\n");
        QCOMPARE(bankTool({"create", dir.filePath("q.csv"), bank}).status, 0);
        const Run run = bankTool({"check", bank});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains("Questions: 3"));
        QVERIFY(run.out.contains("  Plants: 2\n"));
        QVERIFY(run.out.contains("Botany: 1 (matches no category box)"));
        QVERIFY(run.out.contains("FINAL: 2"));
        QVERIFY(run.out.contains("Null texts: 2"));
        QVERIFY(run.out.contains("Index = ID in every question."));
        QCOMPARE(bankTool({"check", dir.filePath("none.mdb")}).status, 1);
        QVERIFY(bankTool({"check", dir.filePath("none.mdb")}).err.contains("3024"));
    }

    void everyCommandHasHelp() {
        for (const char* command : {"create", "import", "export", "check"}) {
            const Run run = bankTool({command, "--help"});
            QCOMPARE(run.status, 0);
            QVERIFY(run.out.startsWith("Usage: memvane-bank " + QString::fromLatin1(command)));
        }
        QCOMPARE(bankTool({}).status, 2);
        QCOMPARE(bankTool({"frobnicate"}).status, 2);
        QCOMPARE(bankTool({"create", "only-one"}).status, 2);
    }
};

QTEST_GUILESS_MAIN(TestBankFile)
#include "tst_bankfile.moc"
