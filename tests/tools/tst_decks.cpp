#include "store/Bank.h"
#include "tests/support/TestBank.h"
#include "tools/bank/BankCommands.h"
#include "tools/decks/DeckFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

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

QString deck(const char* name) {
    return QStringLiteral(DECKS_DIR "/") + QLatin1String(name);
}

// A card as the tests compare it: "question | answer | names".
QString shown(const decks::Card& card) {
    return QStringLiteral("%1 | %2 | %3").arg(card.question, card.answer, card.names.join(u'/'));
}

// An Anki "Notes in Plain Text" export of this shape, as Anki writes it.
const QByteArray AnkiNotes = "#separator:tab\n#html:true\n#guid column:1\n#notetype column:2\n"
                             "#deck column:3\n#tags column:6\n"
                             "a1B2c3\tBasic\tBiology::Cells\tWhat is <b>osmosis</b>?\t"
                             "\"Water<br>across a <div>membrane</div>\"\tcells exam\n"
                             "d4E5f6\tBasic\tBiology::Ecology\tA &lt;niche&gt;\t"
                             "<img src=\"niche.png\"> [sound:niche.mp3]role&nbsp;of a species\t\n";

} // namespace

class TestDecks : public QObject {
    Q_OBJECT

private slots:
    // Real files of the other programs, and text as their exports write it.
    void readsDecks_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("text"); // written to file when not empty
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("cards");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("card");
        const QStringList none;
        QTest::newRow("KWordQuiz, blanks stay")
            << deck("kwordquiz-fill_in_the_blank.kvtml") << QByteArray() << none << 15 << 0 << 0
            << "the lawyer reads the newspaper | der "
               "Rechtsanwalt liest [die Zeitung] | Default "
               "Lesson";
        // Conjugations and comparisons nested in a translation are not its text.
        QTest::newRow("Parley, a conjugated verb")
            << deck("parley-feature_test_document.kvtml") << QByteArray() << none << 24 << 6 << 17
            << "gehen | to go | Verbs, Conjugations";
        QTest::newRow("Parley, a formula")
            << deck("parley-feature_test_document.kvtml") << QByteArray() << none << 24 << 6 << 20
            << "$$f(z) = \\frac{1}{2\\pi\\mathrm{i}}\\oint_{|z - "
               "\\zeta| = 1}\\frac{f(\\zeta)}{\\zeta-z}\\mathrm{d}"
               "\\zeta$$ | math test | LaTeX";
        QTest::newRow("Parley, sides swapped")
            << deck("parley-feature_test_document.kvtml") << QByteArray()
            << QStringList{"--sides", "1,0"} << 24 << 6 << 0 << "hello | hallo | Normal words";
        QTest::newRow("KVTML 1, comparison left out")
            << deck("kvoctrain-sample-template-ascii.kvtml") << QByteArray() << none << 6 << 0 << 3
            << "good | good | Lesson two";
        QTest::newRow("Mnemosyne, lines ending in CR alone")
            << deck("mnemosyne-excel_import.txt") << QByteArray() << QStringList{"--from", "tsv"}
            << 5 << 0 << 4 << "Question 5 | Answer 5 | ";
        QTest::newRow("Mnemosyne, three fields and a reference")
            << deck("mnemosyne-tsv_2.txt") << QByteArray() << QStringList{"--from", "tsv"} << 1 << 0
            << 0 << "f | p\n至 | ";
        QTest::newRow("Anki manual, a two-line answer")
            << deck("ankidroid-text-anki-manual-csv-multi-line.txt") << QByteArray() << none << 2
            << 0 << 0 << "hello | this is\na two line answer | ";
        QTest::newRow("Anki notes, HTML") << "notes.txt" << AnkiNotes << none << 2 << 0 << 0
                                          << "What is osmosis? | Water\nacross a\nmembrane | "
                                             "Biology::Cells/Cells/Biology/cells/exam";
        QTest::newRow("Anki notes, picture and sound")
            << "notes.txt" << AnkiNotes << none << 2 << 0 << 1
            << "A <niche> | [picture: niche.png] role\u00a0of a species | "
               "Biology::Ecology/Ecology/Biology";
        QTest::newRow("Anki cards, answer after its rule")
            << "cards.txt"
            << QByteArray("#separator:Semicolon;;;\n#HTML: true;;;\n# a comment\n"
                          "Q1;\"Q1<hr id=answer>A1\"\n# another\nQ2;A2 <b>x</b>;;\n")
            << none << 2 << 0 << 1 << "Q2 | A2 x | ";
        QTest::newRow("Anki without header, a card missing its answer")
            << "guess.txt" << QByteArray("a,b\nc,\n") << none << 1 << 1 << 0 << "a | b | ";
        QTest::newRow("Quizlet, own separators")
            << "set.txt" << QByteArray("term 1 - def, with - dash;;term 2 - def 2;;")
            << QStringList{"--from", "quizlet",          "--field-separator",
                           " - ",    "--card-separator", ";;"}
            << 2 << 0 << 0 << "term 1 | def, with - dash | ";
        QTest::newRow("Latin-1 told")
            << "old.tsv" << QByteArray("caf\xe9\tcoffee\n") << QStringList{"--encoding", "latin1"}
            << 1 << 0 << 0 << "café | coffee | ";
    }

    void readsDecks() {
        QFETCH(QString, file);
        QFETCH(QByteArray, text);
        QFETCH(QStringList, options);
        QFETCH(int, cards);
        QFETCH(int, skipped);
        QFETCH(int, at);
        QFETCH(QString, card);
        QTemporaryDir dir;
        if (!text.isEmpty()) {
            file = dir.filePath(file);
            writeFile(file, text);
        }
        // The options as the bank tool parses them.
        decks::DeckOptions read;
        for (int i = 0; i + 1 < options.size(); i += 2) {
            const QString& value = options[i + 1];
            if (options[i] == u"--from")
                read.format = decks::Format(decks::formatNames().indexOf(value));
            else if (options[i] == u"--sides")
                read.sides = {value.section(u',', 0, 0).toInt(), value.section(u',', 1).toInt()};
            else if (options[i] == u"--encoding")
                read.encoding = decks::Encoding::Latin1;
            else if (options[i] == u"--field-separator")
                read.fieldSeparator = value;
            else if (options[i] == u"--card-separator")
                read.cardSeparator = value;
        }
        std::vector<decks::Card> read_;
        decks::DeckReport report;
        decks::readDeck(
            file, read, [&](decks::Card&& c) { read_.push_back(std::move(c)); }, report);
        QCOMPARE(int(read_.size()), cards);
        QCOMPARE(int(report.skipped.size()), skipped);
        QCOMPARE(shown(read_[size_t(at)]), card);

        // The bank tool makes a bank of the same cards.
        const Run run = bankTool(QStringList{"create", "--category", "Ecology"} + options +
                                 QStringList{file, dir.filePath("bank.mdb")});
        QCOMPARE(run.status, 0);
        const auto questions = store::readBank(dir.filePath("bank.mdb"));
        // One question for each question text.
        QSet<QString> texts;
        for (const decks::Card& c : read_)
            texts.insert(c.question);
        QCOMPARE(int(questions.size()), int(texts.size()));
        QCOMPARE(*questions[size_t(at)].answer, read_[size_t(at)].answer);
    }
};

QTEST_GUILESS_MAIN(TestDecks)
#include "tst_decks.moc"
