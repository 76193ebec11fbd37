#include "store/Bank.h"
#include "tests/support/TestBank.h"
#include "tools/bank/BankCommands.h"
#include "tools/decks/DeckFile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

int bankTool(const QStringList& args, QString* err = nullptr) {
    QString out;
    QString error;
    QTextStream o(&out);
    QTextStream e(&error);
    const int status = tools::runBankCommand(args, o, e);
    e.flush();
    if (err)
        *err = error;
    return status;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// Markup, every kind of line end, a question in no topic and one in a topic not of the fifteen.
std::vector<testing::Row> oddRows() {
    std::vector<testing::Row> rows(3);
    rows[0] = {1,
               "Name <b>two</b> & \"more\"",
               "Line one\nLine\ttwo\r\nend",
               "The Human Body",
               {1, 0, 1},
               {0, 0, 1, 0, 0, 1},
               1};
    rows[1] = {2, "$$E=mc^2$$ [blank] naïve CO₂", "", std::nullopt, {}, {1, 0, 0, 0, 0, 0}, 2};
    rows[2] = {7, "Q3", "A3", "Odd topic", {}, {}, 7};
    return rows;
}

// What a bank holds of each question but its ID, in question order.
QStringList contents(const QString& bank) {
    QStringList lines;
    for (const store::Question& q : store::readBank(bank)) {
        QStringList flags;
        for (const int f : q.sets)
            flags << QString::number(f);
        for (const int f : q.marks)
            flags << QString::number(f);
        lines << QStringList{*q.question, *q.answer, *q.category, flags.join(u',')}.join(u'|');
    }
    lines.sort();
    return lines;
}

using Lessons = QMap<QString, QSet<QString>>; // "question|answer" to the names of its lessons

// A KVTML file's cards as KDE's library reads it, with KDE's folding of white space; entries
// with an empty side are left out, as our reader skips them.
Lessons kdeLessons(const QString& file, const QStringList& sides) {
#ifdef KVTML_CARDS
    QProcess kde;
    kde.start(KVTML_CARDS, QStringList{file} + sides);
    if (!kde.waitForFinished() || kde.exitStatus() != QProcess::NormalExit || kde.exitCode() != 0)
        return {{"kvtml-cards failed", {QString::fromUtf8(kde.readAllStandardError())}}};
    Lessons cards;
    // KDE's texts hold no line end or tab: they are folded.
    const auto unescape = [](QString t) { return t.replace("\\\\", "\\"); };
    for (const QString& line : QString::fromUtf8(kde.readAllStandardOutput()).split(u'\n')) {
        const QStringList f = line.split(u'\t');
        if (f.size() == 3 && !f[0].isEmpty() && !f[1].isEmpty()) {
            const QStringList path = f[2].split(u'/');
            cards[unescape(f[0]) + u'|' + unescape(f[1])] +=
                QSet<QString>(path.begin(), path.end());
        }
    }
    return cards;
#else
    return {};
#endif
}

Lessons ourLessons(const QString& file, const QStringList& sides) {
    decks::DeckOptions options;
    if (!sides.isEmpty())
        options.sides = {sides[0].toInt(), sides[1].toInt()};
    decks::DeckReport report;
    Lessons cards;
    decks::readDeck(
        file, options,
        [&](decks::Card&& c) {
            const QStringList names = c.names.isEmpty() ? QStringList{"Default Lesson"} : c.names;
            cards[c.question.simplified() + u'|' + c.answer.simplified()] +=
                QSet<QString>(names.begin(), names.end());
        },
        report);
    return cards;
}

const QByteArray AnkiHeader =
    "#separator:tab\n#html:true\n#deck:Memvane\n#guid column:1\n#tags column:4\n";

} // namespace

class TestExport : public QObject {
    Q_OBJECT

private slots:
    void writesTheFormatTheNameOrOptionAsksFor_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QByteArray>("start");
        const QByteArray anki =
            AnkiHeader +
            "memvane-1\tName &lt;b&gt;two&lt;/b&gt; &amp; &quot;more&quot;\tLine one<br>"
            "Line&#9;two&#13;<br>end\tThe_Human_Body Just_the_Basics Final_Exam Custom_Set_3 "
            "Custom_Set_6\n"
            "memvane-2\t$$E=mc^2$$ [blank] naïve CO₂\t\tCustom_Set_1\n"
            "memvane-7\tQ3\tA3\tOdd_topic\n";
        QTest::newRow(".txt is Anki") << "deck.txt"
                                      << "" << anki;
        QTest::newRow("--to anki over .csv") << "deck.csv"
                                             << "Anki" << anki;
        QTest::newRow("--to csv over .txt") << "deck.TXT"
                                            << "csv" << QByteArray("ID,Question,");
        QTest::newRow(".kvtml") << "deck.kvtml"
                                << "" << QByteArray("<?xml version=\"1.0\"");
        QTest::newRow("no ending is CSV") << "deck"
                                          << "" << QByteArray("ID,Question,");
    }

    void writesTheFormatTheNameOrOptionAsksFor() {
        QFETCH(QString, file);
        QFETCH(QString, to);
        QFETCH(QByteArray, start);
        QTemporaryDir dir;
        testing::writeBank(dir.filePath("bank.mdb"), oddRows());
        QStringList args{"export", dir.filePath("bank.mdb"), dir.filePath(file)};
        if (!to.isEmpty())
            args << "--to" << to;
        QCOMPARE(bankTool(args), 0);
        const QByteArray written = readFile(dir.filePath(file));
        QCOMPARE(written.left(start.size()), start);
    }

    void refusesAndWritesNothing_data() {
        QTest::addColumn<QString>("question");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown --to") << "Q" << QStringList{"--to", "apkg"} << 2
                                      << "--to takes csv, anki or kvtml, not 'apkg'";
        QTest::newRow("a control character XML cannot hold")
            << "bell\a" << QStringList() << 1
            << "question 1: its question holds the character U+0007, which KVTML cannot hold";
        QTest::newRow("a noncharacter") << "x\uFFFF" << QStringList() << 1 << "U+ffff";
    }

    void refusesAndWritesNothing() {
        QFETCH(QString, question);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QString, message);
        QTemporaryDir dir;
        auto rows = testing::numberedRows(2);
        rows[0].question = question;
        testing::writeBank(dir.filePath("bank.mdb"), rows);
        QString err;
        QCOMPARE(bankTool(QStringList{"export", dir.filePath("bank.mdb"), dir.filePath("d.kvtml")} +
                              options,
                          &err),
                 status);
        QVERIFY2(err.contains(message), qPrintable(err));
        QVERIFY(!QFile::exists(dir.filePath("d.kvtml")));
    }

    // KDE's own library reads our KVTML: every card in its topic (KDE's default lesson when it
    // has none) and in each of its sets.
    void kdeReadsOurKvtml() {
#ifndef KVTML_CARDS
        QSKIP("KDE's libkeduvocdocument is not installed (Debian: libkeduvocdocument-dev)");
#else
        QTemporaryDir dir;
        testing::writeBank(dir.filePath("bank.mdb"), oddRows());
        QCOMPARE(bankTool({"export", dir.filePath("bank.mdb"), dir.filePath("deck.kvtml")}), 0);
        QProcess kde;
        kde.start(KVTML_CARDS, {dir.filePath("deck.kvtml")});
        QVERIFY(kde.waitForFinished());
        QVERIFY2(kde.exitStatus() == QProcess::NormalExit && kde.exitCode() == 0,
                 kde.readAllStandardError().constData());
        QStringList cards = QString::fromUtf8(kde.readAllStandardOutput()).split(u'\n');
        cards.sort();
        // KDE's library folds every run of white space, line ends too, into one blank.
        const QString first = "Name <b>two</b> & \"more\"\tLine one Line two end\t";
        QStringList expected{"",
                             first + "The Human Body",
                             first + "Just the Basics",
                             first + "Final Exam",
                             first + "Custom Set 3",
                             first + "Custom Set 6",
                             "$$E=mc^2$$ [blank] naïve CO₂\t\tCustom Set 1",
                             "$$E=mc^2$$ [blank] naïve CO₂\t\tDefault Lesson",
                             "Q3\tA3\tOdd topic"};
        expected.sort();
        QCOMPARE(cards, expected);
#endif
    }

    // The shipped bank with marks in several custom sets goes out and comes back whole, into a
    // new bank and into itself.
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
        const QString deck = dir.filePath(file);
        QCOMPARE(bankTool({"create", QUESTIONS_CSV, bank}), 0);
        testing::runSql(bank, "UPDATE QATABLE SET Mark1 = 1 WHERE ID <= 3");
        testing::runSql(bank, "UPDATE QATABLE SET Mark2 = 1 WHERE ID % 7 = 0");
        testing::runSql(bank, "UPDATE QATABLE SET Mark5 = 1 WHERE ID % 11 = 0");
        testing::runSql(bank, "UPDATE QATABLE SET Mark6 = 1 WHERE ID % 13 = 0");
        const QStringList before = contents(bank);
        QCOMPARE(bankTool({"export", bank, deck}), 0);
        QCOMPARE(bankTool({"create", deck, dir.filePath("copy.mdb")}), 0);
        QCOMPARE(contents(dir.filePath("copy.mdb")), before);
        QCOMPARE(bankTool({"import", deck, bank}), 0);
        QCOMPARE(contents(bank), before);
    }

    // KDE's library and ours read the same cards in the same lessons from real decks and from
    // our export.
    void kdeReadsDecksAsWeDo_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("sides");
        const QString decks = DECKS_DIR "/";
        QTest::newRow("KWordQuiz") << decks + "kwordquiz-fill_in_the_blank.kvtml" << QStringList();
        QTest::newRow("Parley") << decks + "parley-feature_test_document.kvtml" << QStringList();
        QTest::newRow("Parley, sides 1,0")
            << decks + "parley-feature_test_document.kvtml" << QStringList{"1", "0"};
        QTest::newRow("KVTML 1") << decks + "kvoctrain-sample-template-ascii.kvtml"
                                 << QStringList();
        QTest::newRow("our export") << "" << QStringList();
    }

    void kdeReadsDecksAsWeDo() {
#ifndef KVTML_CARDS
        QSKIP("KDE's libkeduvocdocument is not installed (Debian: libkeduvocdocument-dev)");
#endif
        QFETCH(QString, file);
        QFETCH(QStringList, sides);
        QTemporaryDir dir;
        if (file.isEmpty()) {
            file = dir.filePath("deck.kvtml");
            QCOMPARE(bankTool({"create", QUESTIONS_CSV, dir.filePath("bank.mdb")}), 0);
            testing::runSql(dir.filePath("bank.mdb"), "UPDATE QATABLE SET Mark4 = 1 WHERE ID < 50");
            QCOMPARE(bankTool({"export", dir.filePath("bank.mdb"), file}), 0);
        }
        const Lessons kde = kdeLessons(file, sides);
        QVERIFY(kde.size() > 2);
        QCOMPARE(ourLessons(file, sides), kde);
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
