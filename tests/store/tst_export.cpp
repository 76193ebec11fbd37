#include "decks/DeckFile.h"
#include "decks/KvtmlReader.h"
#include "store/Bank.h"
#include "tests/support/BankToolRun.h"
#include "tests/support/TestBank.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

int bankTool(const QStringList& args, QString* err = nullptr) {
    const testing::BankToolRun run = testing::bankTool(args);
    if (err)
        *err = run.err;
    return run.status;
}

// The shipped questions with marks in four custom sets.
void shippedBank(const QString& bank) {
    QCOMPARE(bankTool({"create", QUESTIONS_CSV, bank}), 0);
    for (const char* sql : {"Mark1 = 1 WHERE ID <= 3", "Mark2 = 1 WHERE ID % 7 = 0",
                            "Mark5 = 1 WHERE ID % 11 = 0", "Mark6 = 1 WHERE ID % 13 = 0"})
        testing::runSql(bank, QStringLiteral("UPDATE QATABLE SET ") + sql);
}

// Each question of a bank with its answer, topic, sets and marks, in question order.
QStringList contents(const QString& bank) {
    QStringList lines;
    for (const store::Question& q : store::readBank(bank)) {
        QString flags;
        for (const int f : q.sets)
            flags += QString::number(f);
        for (const int f : q.marks)
            flags += QString::number(f);
        lines << QStringList{*q.question, *q.answer, *q.category, flags}.join(u'|');
    }
    lines.sort();
    return lines;
}

using Lessons = QMap<QString, QSet<QString>>; // "question|answer" to its lessons' names

// KDE's reading, which folds white space; entries with an empty side are left out, as ours
// skips them. Entries counts every entry of every lesson.
Lessons kdeLessons([[maybe_unused]] const QString& file, [[maybe_unused]] const QStringList& sides,
                   int& entries) {
    Lessons cards;
    entries = 0;
#ifdef KVTML_CARDS
    QProcess kde;
    kde.start(KVTML_CARDS, QStringList{file} + sides);
    if (!kde.waitForFinished() || kde.exitStatus() != QProcess::NormalExit || kde.exitCode() != 0)
        return {{"kvtml-cards failed", {QString::fromUtf8(kde.readAllStandardError())}}};
    for (const QString& line : QString::fromUtf8(kde.readAllStandardOutput()).split(u'\n')) {
        QStringList f = line.split(u'\t');
        entries += f.size() == 3 ? 1 : 0;
        if (f.size() == 3 && !f[0].isEmpty() && !f[1].isEmpty()) {
            const QStringList path = f[2].split(u'/');
            cards[f[0].replace("\\\\", "\\") + u'|' + f[1].replace("\\\\", "\\")] +=
                QSet<QString>(path.begin(), path.end());
        }
    }
#endif
    return cards;
}

// Our reading, without what KDE's programs keep apart: pictures and sets.
Lessons ourLessons(const QString& file, const QStringList& sides) {
    decks::DeckOptions options;
    if (!sides.isEmpty())
        options.sides = *decks::kvtmlSides(sides.join(u','));
    decks::DeckReport report;
    Lessons cards;
    const auto add = [&](decks::Card&& c) {
        std::erase_if(c.names, [](const decks::Name& n) { return n.kind == decks::Name::Set; });
        const QStringList names =
            c.names.empty() ? QStringList{"Default Lesson"} : decks::nameTexts(c.names);
        static const QRegularExpression picture(QStringLiteral(" ?\\[picture: [^]]*\\]"));
        cards[c.question.remove(picture).simplified() + u'|' +
              c.answer.remove(picture).simplified()] += QSet<QString>(names.begin(), names.end());
    };
    decks::readDeck(file, options, add, report);
    return cards;
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT

private slots:
    void writesTheFormatAskedFor_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QByteArray>("start");
        const QByteArray anki =
            "#separator:tab\n#html:true\n#deck:Memvane\n#guid column:1\n#tags column:4\n"
            "memvane-1\tName &lt;b&gt;two&lt;/b&gt; &amp; &quot;more&quot;\tLine one<br>"
            "Line&#9;two&#13;<br>end\tThe_Human_Body Just_the_Basics Final_Exam Custom_Set_3\n"
            "memvane-2\tQ2\tA2\tOdd_topic\n";
        QTest::newRow(".txt is Anki") << "deck.txt"
                                      << "" << anki;
        QTest::newRow("--to anki over .csv") << "deck.csv"
                                             << "Anki" << anki;
        QTest::newRow("--to csv over .txt") << "deck.TXT"
                                            << "csv" << QByteArray("ID,Question,");
        QTest::newRow(".kvtml") << "deck.kvtml"
                                << "" << QByteArray("<?xml version=\"1.0\"");
        QTest::newRow("--to csv over no ending") << "deck"
                                                 << "csv" << QByteArray("ID,Question,");
        QTest::newRow(".CSV") << "deck.CSV"
                              << "" << QByteArray("ID,Question,");
        QTest::newRow("--to kvtml over .txt") << "deck.txt"
                                              << "KVTML" << QByteArray("<?xml ");
    }

    void writesTheFormatAskedFor() {
        QFETCH(QString, file);
        QFETCH(QString, to);
        QFETCH(QByteArray, start);
        QTemporaryDir dir;
        std::vector<testing::Row> rows(2);
        rows[0] = {1,
                   "Name <b>two</b> & \"more\"",
                   "Line one\nLine\ttwo\r\nend",
                   "The Human Body",
                   {1, 0, 1},
                   {0, 0, 1, 0, 0, 0},
                   1};
        rows[1] = {2, "Q2", "A2", "Odd topic", {}, {}, 2};
        testing::writeBank(dir.filePath("bank.mdb"), rows);
        const QStringList args{"export", dir.filePath("bank.mdb"), dir.filePath(file)};
        QCOMPARE(bankTool(to.isEmpty() ? args : args + QStringList{"--to", to}), 0);
        QFile written(dir.filePath(file));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.read(start.size()), start);
    }

    void refusesAndWritesNothing_data() {
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown --to") << "Q"
                                      << "d"
                                      << "apkg" << 2
                                      << "--to takes csv, anki, kvtml, not 'apkg'; did you mean "
                                         "'anki'?";
        QTest::newRow("no ending") << "Q"
                                   << "d"
                                   << "" << 2 << "'D' does not end in .csv, .txt (Anki) or .kvtml";
        QTest::newRow("a PDF") << "Q"
                               << "d.pdf"
                               << "" << 2 << "memvane-bank print BANK D prints the cards";
        QTest::newRow("a control character XML cannot hold")
            << "bell\a"
            << "d"
            << "kvtml" << 1
            << "question 1: its question holds the character U+0007, which KVTML cannot hold";
        QTest::newRow("a noncharacter") << "x\uFFFF"
                                        << "d"
                                        << "kvtml" << 1 << "U+ffff";
    }

    void refusesAndWritesNothing() {
        QFETCH(QString, question);
        QFETCH(QString, file);
        QFETCH(QString, to);
        QFETCH(int, status);
        QFETCH(QString, message);
        QTemporaryDir dir;
        auto rows = testing::numberedRows(2);
        rows[0].question = question;
        testing::writeBank(dir.filePath("bank.mdb"), rows);
        QString err;
        const QStringList args{"export", dir.filePath("bank.mdb"), dir.filePath(file)};
        QCOMPARE(bankTool(to.isEmpty() ? args : args + QStringList{"--to", to}, &err), status);
        QVERIFY2(err.contains(QString(message)
                                  .replace("'D'", "'" + dir.filePath(file) + "'")
                                  .replace(" D ", " " + dir.filePath(file) + " ")),
                 qPrintable(err));
        QVERIFY2(!err.contains(QRegularExpression("error \\d+:")), qPrintable(err));
        QVERIFY(!QFile::exists(dir.filePath(file)));
    }

    // A note that came from Anki goes back with its guid, and comes in again as itself.
    void ankiNotesKeepTheirGuid() {
        QTemporaryDir dir;
        const QString bank = dir.filePath("bank.mdb");
        testing::writeBank(bank, testing::numberedRows(2));
        QFile deck(dir.filePath("in.txt"));
        QVERIFY(deck.open(QIODevice::WriteOnly));
        deck.write("#separator:tab\n#guid column:1\n#deck:Plants\nf&Qx<1%2\tNew Q\tNew A\n");
        deck.close();
        QCOMPARE(bankTool({"import", deck.fileName(), bank}), 0);
        QCOMPARE(bankTool({"export", bank, dir.filePath("out.txt")}), 0);
        QFile out(dir.filePath("out.txt"));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QVERIFY(out.readAll().contains("\nf&Qx<1%2\tNew Q\tNew A\tPlants\n"));
        QCOMPARE(bankTool({"import", out.fileName(), bank}), 0);
        QCOMPARE(store::readBank(bank).size(), size_t(3));
    }

    // Into a new bank and back into itself, where it changes nothing.
    void shippedBankComesBack_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("CSV") << "deck.csv";
        QTest::newRow("Anki") << "deck.txt";
        QTest::newRow("KVTML") << "deck.kvtml";
    }

    void shippedBankComesBack() {
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString bank = dir.filePath("bank.mdb");
        shippedBank(bank);
        const QStringList before = contents(bank);
        QCOMPARE(bankTool({"export", bank, dir.filePath(file)}), 0);
        QCOMPARE(bankTool({"create", dir.filePath(file), dir.filePath("copy.mdb")}), 0);
        QCOMPARE(contents(dir.filePath("copy.mdb")), before);
        QCOMPARE(bankTool({"import", dir.filePath(file), bank}), 0);
        QCOMPARE(contents(bank), before);
    }

    // The same cards in the same lessons, from real decks and from our export.
    // KDE's entries count each entry in each lesson it lists it in: our export's, once each.
    void kdeReadsDecksAsWeDo_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("sides");
        QTest::addColumn<int>("entries");
        const QString decks = DECKS_DIR "/";
        QTest::newRow("KWordQuiz")
            << decks + "kwordquiz-fill_in_the_blank.kvtml" << QStringList() << 15;
        QTest::newRow("Parley") << decks + "parley-feature_test_document.kvtml" << QStringList()
                                << 30;
        QTest::newRow("Parley, sides 1,0")
            << decks + "parley-feature_test_document.kvtml" << QStringList{"1", "0"} << 30;
        QTest::newRow("KVTML 1") << decks + "kvoctrain-sample-template-ascii.kvtml" << QStringList()
                                 << 6;
        QTest::newRow("KHangMan, word and hint")
            << decks + "khangman-animals.kvtml" << QStringList{"0", "comment"} << 44;
        QTest::newRow("our export") << "" << QStringList() << 300;
    }

    void kdeReadsDecksAsWeDo() {
#ifndef KVTML_CARDS
        QSKIP("KDE's libkeduvocdocument is not installed (Debian: libkeduvocdocument-dev)");
#endif
        QFETCH(QString, file);
        QFETCH(QStringList, sides);
        QFETCH(int, entries);
        QTemporaryDir dir;
        if (file.isEmpty()) {
            file = dir.filePath("deck.kvtml");
            shippedBank(dir.filePath("bank.mdb"));
            QCOMPARE(bankTool({"export", dir.filePath("bank.mdb"), file}), 0);
        }
        int listed = 0;
        const Lessons kde = kdeLessons(file, sides, listed);
        QVERIFY(kde.size() > 2);
        QCOMPARE(ourLessons(file, sides), kde);
        QCOMPARE(listed, entries);
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
