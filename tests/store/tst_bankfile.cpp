#include "store/Bank.h"
#include "store/BankError.h"
#include "store/BankPassword.h"
#include "store/ConnectText.h"
#include "store/CsvReader.h"
#include "store/Database.h"
#include "store/QuestionCsv.h"
#include "store/RecordSet.h"
#include "store/Schema.h"
#include "tests/support/BankToolRun.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TestBank.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

const QByteArray Header = "ID,Question,Answer,Category,BASICS,TOUGH,FINAL\n";

using Run = testing::BankToolRun;
using testing::bankTool;
using testing::writeFile;

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Everything in a folder, hidden entries and folders too.
QStringList everything(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// What the question reader makes of text handed over in pieces of the given size (0: at once):
// the fault as "line N: reason", or the questions' IDs.
QString readInPieces(const QByteArray& csv, qsizetype pieceSize) {
    QStringList ids;
    store::QuestionReader reader([&](const store::Question& q) { ids << QString::number(q.id); });
    try {
        const qsizetype step = pieceSize > 0 ? pieceSize : std::max<qsizetype>(csv.size(), 1);
        for (qsizetype at = 0; at < csv.size(); at += step)
            reader.feed(QByteArrayView(csv).sliced(at, std::min(step, csv.size() - at)));
        reader.finish();
    } catch (const store::CsvError& error) {
        return QStringLiteral("line %1: %2").arg(error.line()).arg(error.reason());
    }
    return ids.join(u',');
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

        // Fed a byte at a time, the same records on the same lines.
        const QByteArray text = "\xef\xbb\xbf"
                                "a,\"b,\"\"c\"\"\",,\"\"\r\n"
                                "\"multi\nline\",x,\"\",y\n"
                                "\n"
                                "p,q,r,s";
        std::vector<store::CsvRecord> pieces;
        store::CsvReader reader(
            [&](store::CsvRecord&& record) { pieces.push_back(std::move(record)); });
        for (const char byte : text)
            reader.feed(QByteArrayView(&byte, 1));
        reader.finish();
        QCOMPARE(pieces.size(), records.size());
        for (size_t i = 0; i < records.size(); ++i) {
            QCOMPARE(pieces[i].fields, records[i].fields);
            QCOMPARE(pieces[i].line, records[i].line);
        }
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
        // A fault of the CSV anywhere wins over an earlier fault in a record.
        QTest::newRow("open quote after a bad flag")
            << Header + "1,Q,A,P,0,maybe,0\n2,\"Q\nstill open,A,P,0,0,0\n"
            << 3 << "not closed";
        QTest::newRow("not UTF-8 after a repeated ID")
            << Header + "4,Q,A,P,0,0,0\n4,Q,A,P,0,0,0\n5,Q\xff,A,P,0,0,0\n"
            << 4 << "UTF-8";
        QTest::newRow("not UTF-8 in a last line without a break")
            << Header + "1,Q,A,P,0,0,0\n2,\"Q\nA\xff\",A,P,0,0,0" << 4 << "UTF-8";
        QTest::newRow("bad flag after a byte-order mark")
            << "\xef\xbb\xbf" + Header + "1,Q,A,P,0,maybe,0\n"
            << 2 << "TOUGH";
        // Old Mac tools end lines in CR alone; a spreadsheet in a European locale writes
        // semicolons and may retype the header's case.
        QTest::newRow("CR alone, quoted CR in a field")
            << QByteArray(Header).replace('\n', '\r') + "1,\"Q\r\",A,P,0,0,0\r2,Q,A,P,0,x,0\r" << 4
            << "TOUGH";
        QTest::newRow("CRLF, CR and LF mixed")
            << QByteArray(Header).replace("\n", "\r\n") +
                   "1,Q,A,P,0,0,0\r2,Q,A,P,0,0,0\n3,Q,A,P,0,x,0\r\n"
            << 4 << "TOUGH";
        QTest::newRow("semicolons, header in another case")
            << QByteArray("id;QUESTION;answer;Category;Basics;tough;final\n1;Q, yes;A;P;0;no;x\n")
            << 2 << "FINAL";
        QTest::newRow("NUL inside a field")
            << Header + QByteArrayLiteral("1,Q,A,P,0,0,0\n2,\"Q\nQ\0\",A,P,0,0,0\n") << 4
            << "U+0000";
        QTest::newRow("escape character") << Header + "1,Q\x1b,A,P,0,0,0\n" << 2 << "U+001B";
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
            // Read in pieces, however small, the same fault.
            const QString whole = QStringLiteral("line %1: %2").arg(line).arg(error.reason());
            QCOMPARE(readInPieces(csv, 0), whole);
            QCOMPARE(readInPieces(csv, 1), whole);
            QCOMPARE(readInPieces(csv, 5), whole);
        }
    }

    void createWritesNothingOnErrorAndNeverOverwrites() {
        QTemporaryDir dir;
        const QString csv = dir.filePath("q.csv");
        const QString bank = dir.filePath("bank.mdb");
        // A file of a name a builder might use, that create did not make.
        writeFile(bank + ".building", "not ours");
        const QStringList others = {"bank.mdb.building", "q.csv"};
        writeFile(csv, Header + "1,Q,A,P,yes,No,TRUE\n2,Q,A,P,0,0,x\n");
        Run run = bankTool({"create", csv, bank});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("line 3"), qPrintable(run.err));
        QVERIFY(!QFile::exists(bank));
        QCOMPARE(everything(dir.path()), others);

        // Only a header: no bank, as Memvane cannot start on an empty one.
        writeFile(csv, Header);
        run = bankTool({"create", csv, bank});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("holds no questions") && run.err.contains("empty bank"),
                 qPrintable(run.err));
        QCOMPARE(everything(dir.path()), others);

        // A file that takes the name while the bank is being built stays as it came.
        try {
            store::createBank(bank, [&](const store::QuestionSink& sink) {
                sink(store::parseQuestions(Header + "1,Q,A,P,0,0,0\n").front());
                writeFile(bank, "came meanwhile");
            });
            QFAIL("created over a file that came meanwhile");
        } catch (const store::BankError& error) {
            QVERIFY2(QString::fromStdString(error.what()).contains("never overwritten"),
                     error.what());
        }
        QCOMPARE(readFile(bank), QByteArray("came meanwhile"));
        QVERIFY(QFile::remove(bank));
        QCOMPARE(everything(dir.path()), others);

        // A journal beside the name would be played back into the new bank when it is opened.
        writeFile(csv, Header + "5,\"It's \"\"here\"\"\",\"α, β\nγ\",Plants,yes,No,TRUE\n");
        writeFile(bank + "-journal", "not ours either");
        run = bankTool({"create", csv, bank});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("bank.mdb-journal"), qPrintable(run.err));
        QCOMPARE(everything(dir.path()), QStringList{"bank.mdb-journal"} + others);
        QCOMPARE(readFile(bank + "-journal"), QByteArray("not ours either"));
        QVERIFY(QFile::remove(bank + "-journal"));

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
        QCOMPARE(readFile(bank + ".building"), QByteArray("not ours"));
        QCOMPARE(everything(dir.path()), QStringList{"bank.mdb"} + others);
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

    // Another tool may store a yes/no as any value; the card sets take all but 0 and null as yes.
    void oddYesNoValuesReadAsTheProgramReadsThem_data() {
        QTest::addColumn<QString>("literal"); // SQL, written straight into the bank
        QTest::addColumn<bool>("yes");
        QTest::newRow("text yes") << "'yes'" << true;
        QTest::newRow("text -1") << "'-1'" << true;
        QTest::newRow("text no") << "'no'" << true;
        QTest::newRow("a half") << "0.5" << true;
        QTest::newRow("blob") << "x'00'" << true;
        QTest::newRow("-1") << "-1" << true;
        QTest::newRow("0") << "0" << false;
        QTest::newRow("text 0") << "'0'" << false;
        QTest::newRow("0.0") << "0.0" << false;
        QTest::newRow("null") << "NULL" << false;
    }

    void oddYesNoValuesReadAsTheProgramReadsThem() {
        QFETCH(QString, literal);
        QFETCH(bool, yes);
        QTemporaryDir dir;
        const QString bank = dir.filePath("odd.mdb");
        testing::writeBank(bank, testing::numberedRows(3));
        // A QByteArray goes into the SQL as it is, unquoted.
        testing::writeField(bank, 2, "Mark3", literal.toUtf8());
        testing::writeField(bank, 2, "FINAL", literal.toUtf8());
        testing::writeField(bank, 3, "Mark5", 1);

        // The card sets' own reading, for the program's view of the same bank.
        auto db = std::make_shared<store::Database>(
            bank, store::ConnectText::parse(store::BankConnectText),
            store::Database::Mode::ReadOnly);
        QCOMPARE(db->openRecordSet("SELECT * FROM QATABLE WHERE MARK3 = YES")->recordCount(),
                 int(yes));
        QCOMPARE(db->openRecordSet("SELECT * FROM QATABLE WHERE FINAL = YES")->recordCount(),
                 int(yes));
        db.reset();

        const Run checked = bankTool({"check", bank});
        QCOMPARE(checked.status, 0);
        QVERIFY2(checked.out.contains(QStringLiteral("Custom Set #3: %1\n").arg(int(yes))),
                 qPrintable(checked.out));
        QVERIFY2(checked.out.contains(QStringLiteral("FINAL: %1\n").arg(int(yes))),
                 qPrintable(checked.out));

        // Export writes 1 for it, so a bank made from the export keeps the mark.
        QCOMPARE(bankTool({"export", bank, dir.filePath("odd.csv")}).status, 0);
        QCOMPARE(bankTool({"create", dir.filePath("odd.csv"), dir.filePath("copy.mdb")}).status, 0);
        for (const QString& path : {bank, dir.filePath("copy.mdb")})
            QCOMPARE(testing::readField(path, 3, "Mark5"), QVariant(qint64(1)));
        QCOMPARE(testing::readField(dir.filePath("copy.mdb"), 2, "Mark3"), QVariant(qint64(yes)));
        QCOMPARE(testing::readField(dir.filePath("copy.mdb"), 2, "FINAL"), QVariant(qint64(yes)));
        QCOMPARE(testing::readColumn(dir.filePath("copy.mdb"), "Mark3"),
                 (QVariantList{qint64(0), qint64(yes), qint64(0)}));
    }

    void exportOntoAFullDiskLeavesNoFile() {
        QTemporaryDir dir;
        const QString bank = dir.filePath("bank.mdb");
        testing::writeBank(bank, testing::numberedRows(4000));
        const QString disk = dir.filePath("disk");
        QVERIFY(QDir().mkpath(disk));
        testing::SmallDisk small(disk, 64);
        if (!small.mounted())
            QSKIP(qPrintable("a 64 KB tmpfs cannot be mounted here (it takes root): " +
                             small.error()));

        // Some 250 KB of CSV onto 64 KB: the disk fills up part way.
        const Run run = bankTool({"export", bank, disk + "/bank.csv"});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("No space left on device"), qPrintable(run.err));
        QVERIFY2(!run.out.contains("Exported"), qPrintable(run.out));
        QCOMPARE(everything(disk), QStringList());

        // What fits is written whole.
        const QString few = dir.filePath("few.mdb");
        testing::writeBank(few, testing::numberedRows(20));
        QCOMPARE(bankTool({"export", few, disk + "/few.csv"}).status, 0);
        QCOMPARE(everything(disk), QStringList{"few.csv"});
        QCOMPARE(store::parseQuestions(readFile(disk + "/few.csv")).size(), size_t(20));
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
        QCOMPARE(run.out.split('\n')[1],
                 QStringLiteral("Added 1, updated 1, left alone 1, skipped 0."));
        questions = store::readBank(bank);
        QCOMPARE(questions.size(), size_t(3));
        QCOMPARE(*questions[1].question, QStringLiteral("Q2 better"));
        QCOMPARE(*questions[1].category, QStringLiteral("Animals"));
        QCOMPARE(questions[1].sets[0], 1);
        QCOMPARE(questions[1].marks[3], 1);
        QCOMPARE(questions[2].marks, (std::array<int, 6>{}));

        // A bank of an older tool gets the start-up index.
        testing::runSql(bank, "DROP INDEX QATABLE_ID_Index");
        QCOMPARE(bankTool({"import", dir.filePath("v2.csv"), bank}).status, 0);
        QVERIFY(store::hasStartIndex(bank));

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
        QVERIFY(run.out.contains("Start-up index: present."));
        QCOMPARE(bankTool({"check", dir.filePath("none.mdb")}).status, 1);
        QVERIFY(bankTool({"check", dir.filePath("none.mdb")}).err.contains("3024"));
    }

    void startIndexIsReadNotAssumed_data() {
        QTest::addColumn<QString>("sql"); // run on a bank made without the index
        QTest::addColumn<bool>("present");
        QTest::newRow("none") << "" << false;
        QTest::newRow("made by hand") << "CREATE INDEX mine ON QATABLE (id, \"INDEX\")" << true;
        QTest::newRow("unique") << "CREATE UNIQUE INDEX u ON QATABLE (ID, \"Index\")" << true;
        QTest::newRow("its name on other columns")
            << "CREATE INDEX QATABLE_ID_Index ON QATABLE (\"Index\", ID)" << false;
        QTest::newRow("one column") << "CREATE INDEX i ON QATABLE (ID)" << false;
        QTest::newRow("a third column")
            << "CREATE INDEX i ON QATABLE (ID, \"Index\", Mark1)" << false;
        QTest::newRow("partial") << "CREATE INDEX i ON QATABLE (ID, \"Index\") WHERE ID > 0"
                                 << false;
        QTest::newRow("expression") << "CREATE INDEX i ON QATABLE (ID, \"Index\" + 0)" << false;
        QTest::newRow("descending") << "CREATE INDEX i ON QATABLE (ID, \"Index\" DESC)" << false;
        QTest::newRow("collation")
            << "CREATE INDEX i ON QATABLE (ID COLLATE NOCASE, \"Index\")" << false;
        QTest::newRow("its name on another table")
            << "CREATE TABLE t (a); CREATE INDEX QATABLE_ID_Index ON t (a)" << false;
    }

    void startIndexIsReadNotAssumed() {
        QFETCH(QString, sql);
        QFETCH(bool, present);
        QTemporaryDir dir;
        const QString bank = dir.filePath("bank.mdb");
        testing::writeBank(bank, testing::numberedRows(4));
        if (!sql.isEmpty())
            testing::runSql(bank, sql);
        const QByteArray questions = store::questionsCsv(store::readBank(bank));
        const QString missing = "Start-up index: missing; memvane-bank check --fix BANK adds it.";
        QVERIFY(
            bankTool({"check", bank}).out.contains(present ? "Start-up index: present." : missing));
        // An index of another table keeps its name: the fix refuses and writes nothing.
        const bool refused = sql.contains("ON t ");
        const QByteArray before = testing::checksum(bank);
        const Run fixed = bankTool({"check", "--fix", bank});
        QCOMPARE(fixed.status, refused ? 1 : 0);
        QCOMPARE(fixed.out.contains("Start-up index: added."), !present && !refused);
        QCOMPARE(store::hasStartIndex(bank), present || !refused);
        QCOMPARE(testing::checksum(bank) == before, present || refused);
        QCOMPARE(store::questionsCsv(store::readBank(bank)), questions);
    }

    // The manual page tells each command with the usage and every option --help lists.
    void everyCommandHasHelp() {
        QFile file(QStringLiteral(MANUAL_PAGE));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString manual = QString::fromUtf8(file.readAll()).replace("\\-", "-");
        const QRegularExpression section("^\\.S[SH] (.*)$", QRegularExpression::MultilineOption);
        const QRegularExpression option("--([a-z][a-z-]*)");
        const QStringList overview =
            bankTool({"--help"}).out.split("Commands:\n").last().split('\n');
        for (const QString& line : overview.filter(QRegularExpression("^  \\w"))) {
            const QString usage = line.trimmed();
            const QString command = usage.section(' ', 0, 0);
            const Run run = bankTool({command, "--help"});
            QCOMPARE(run.status, 0);
            QVERIFY(run.out.startsWith("Usage: memvane-bank " + usage + "\n"));
            QVERIFY2(manual.contains("\n.SS " + usage + "\n"), qPrintable(usage));
            QSet<QString> helped;
            for (const QString& help : run.out.split('\n').filter(QRegularExpression("^  -")))
                helped << option.match(help.section("--", 0, 1)).captured(1);
            helped.remove("help");
            QSet<QString> told;
            for (auto it = section.globalMatch(manual); it.hasNext();) {
                const auto heading = it.next();
                if (!heading.captured(0).startsWith(".SS") ||
                    !heading.captured(1).split(' ').contains(command))
                    continue;
                const qsizetype end = manual.indexOf(
                    QRegularExpression("^\\.S[SH] ", QRegularExpression::MultilineOption),
                    heading.capturedEnd());
                const QString text = manual.mid(heading.capturedEnd(), end - heading.capturedEnd());
                for (auto o = option.globalMatch(text); o.hasNext();)
                    told << o.next().captured(1);
            }
            QCOMPARE(told, helped);
        }
        QCOMPARE(bankTool({"--version"}).out, "memvane-bank " MEMVANE_VERSION "\n");
        // Usage errors: status 2, said on standard error alone.
        for (const QStringList& args :
             {QStringList{}, {"frobnicate"}, {"create", "only-one"}, {"check", "--fox", "bank"}}) {
            const Run run = bankTool(args);
            QCOMPARE(run.status, 2);
            QVERIFY2(run.out.isEmpty() && run.err.contains("Usage: memvane-bank"),
                     qPrintable(run.err));
        }
    }
};

QTEST_GUILESS_MAIN(TestBankFile)
#include "tst_bankfile.moc"
