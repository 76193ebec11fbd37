#include "tests/support/BankToolRun.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TestBank.h"

#include <QDir>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QXmlStreamReader>

// The PDFs are judged by poppler's pdftotext and pdffonts, not by our own code.
namespace {

constexpr double PointsPerMm = 72 / 25.4;
constexpr double MarginMm = 10;

struct Word {
    int page;
    QRectF box; // points
};

struct Pdf {
    QList<QSizeF> pages;
    QMultiHash<QString, Word> words;
};

QString run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

Pdf readPdf(const QString& path) {
    Pdf pdf;
    QXmlStreamReader xml(run("pdftotext", {"-bbox-layout", path, "-"}));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        const auto number = [&](const char* name) { return a.value(name).toDouble(); };
        if (xml.name() == u"page")
            pdf.pages << QSizeF(number("width"), number("height"));
        if (xml.name() == u"word")
            pdf.words.insert(
                xml.readElementText(),
                {int(pdf.pages.size()) - 1, QRectF(QPointF(number("xMin"), number("yMin")),
                                                   QPointF(number("xMax"), number("yMax")))});
    }
    return pdf;
}

using Run = testing::BankToolRun;

Run print(const QStringList& args) {
    return testing::bankTool(QStringList{"print"} + args);
}

// Cards whose question is the one word "frontN" and whose answer is "backN".
QString bank(const QTemporaryDir& dir, int count, const QString& lastAnswer = {}) {
    std::vector<testing::Row> rows;
    for (int n = 1; n <= count; ++n)
        rows.push_back(
            {n,
             QStringLiteral("front%1").arg(n),
             n == count && !lastAnswer.isNull() ? lastAnswer : QStringLiteral("back%1").arg(n),
             QStringLiteral("Ecology"),
             {1, 0, 0},
             {},
             n});
    const QString path = dir.filePath("bank.mdb");
    testing::writeBank(path, rows);
    return path;
}

// Words that a printer leaves out: ink closer to the edge than the margin.
QStringList outsideMargins(const Pdf& pdf) {
    QStringList outside;
    const double m = MarginMm * PointsPerMm;
    for (auto it = pdf.words.cbegin(); it != pdf.words.cend(); ++it) {
        const QSizeF page = pdf.pages[it->page];
        if (!QRectF(m, m, page.width() - 2 * m, page.height() - 2 * m).contains(it->box))
            outside << it.key();
    }
    return outside;
}

} // namespace

class TestPrint : public QObject {
    Q_OBJECT

private slots:
    void backsFallBehindTheirFronts_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("longEdge");
        QTest::addColumn<QPointF>("offsetMm");
        QTest::newRow("a8, long edge") << QStringList{} << true << QPointF();
        QTest::newRow("a8, short edge") << QStringList{"--flip", "short"} << false << QPointF();
        QTest::newRow("index on letter, short edge")
            << QStringList{"--card", "index", "--paper", "letter", "--flip", "short"} << false
            << QPointF();
        QTest::newRow("business, shifted backs")
            << QStringList{"--card", "business", "--offset", "-2.5,1"} << true << QPointF(-2.5, 1);
    }

    void backsFallBehindTheirFronts() {
        QFETCH(QStringList, options);
        QFETCH(bool, longEdge);
        QFETCH(QPointF, offsetMm);
        QTemporaryDir dir;
        const int count = 23; // the last sheet part full
        const Run r = print(options + QStringList{bank(dir, count), dir.filePath("c.pdf")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const Pdf pdf = readPdf(dir.filePath("c.pdf"));
        QVERIFY(pdf.pages.size() % 2 == 0);
        QVERIFY2(
            r.out.contains(QStringLiteral("%1 cards on %2 pages").arg(count).arg(pdf.pages.size())),
            qPrintable(r.out));
        for (int n = 1; n <= count; ++n) {
            const auto fronts = pdf.words.values(QStringLiteral("front%1").arg(n));
            const auto backs = pdf.words.values(QStringLiteral("back%1").arg(n));
            QCOMPARE(fronts.size(), 1);
            QCOMPARE(backs.size(), 1);
            QCOMPARE(fronts[0].page % 2, 0);
            QCOMPARE(backs[0].page, fronts[0].page + 1);
            const QSizeF page = pdf.pages[fronts[0].page];
            QPointF mirrored = fronts[0].box.center();
            if (longEdge)
                mirrored.setX(page.width() - mirrored.x());
            else
                mirrored.setY(page.height() - mirrored.y());
            // The text is centred across its card, exactly; down it, the front's text sits a
            // few millimetres above its topic line.
            const QPointF off = (backs[0].box.center() - mirrored) / PointsPerMm - offsetMm;
            QVERIFY2(
                std::abs(off.x()) < 0.3 && std::abs(off.y()) < 5,
                qPrintable(
                    QStringLiteral("card %1 is %2,%3 mm off").arg(n).arg(off.x()).arg(off.y())));
        }
        QCOMPARE(outsideMargins(pdf), QStringList());
    }

    void everyLayoutHoldsEveryCard_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("answers");
        QTest::newRow("fold") << QStringList{"--layout", "fold"} << true;
        QTest::newRow("list") << QStringList{"--layout", "list"} << true;
        QTest::newRow("list to test oneself")
            << QStringList{"--layout", "list", "--hide-answers"} << false;
    }

    void everyLayoutHoldsEveryCard() {
        QFETCH(QStringList, options);
        QFETCH(bool, answers);
        QTemporaryDir dir;
        const int count = 150; // more than a page of list
        // One answer longer than a page: cut, and said so.
        const QString longAnswer = QStringLiteral("word ").repeated(1500);
        const Run r =
            print(options + QStringList{bank(dir, count, longAnswer), dir.filePath("l.pdf")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.out.contains(QStringLiteral("card %1: its answer is cut").arg(count)), answers);
        const Pdf pdf = readPdf(dir.filePath("l.pdf"));
        QVERIFY(pdf.pages.size() > 1);
        for (int n = 1; n <= count; ++n) {
            QCOMPARE(pdf.words.count(QStringLiteral("front%1").arg(n)), 1);
            QCOMPARE(pdf.words.count(QStringLiteral("back%1").arg(n)),
                     answers && n < count ? 1 : 0);
        }
        if (options.contains("list")) { // the header and page number on every page
            QCOMPARE(pdf.words.count("Question"), pdf.pages.size());
            QCOMPARE(pdf.words.count("Page"), pdf.pages.size());
            QVERIFY(run("pdftotext", {"-f", "2", dir.filePath("l.pdf"), "-"})
                        .contains(QStringLiteral("Page 2 of %1").arg(pdf.pages.size())));
        }
        QCOMPARE(outsideMargins(pdf), QStringList());
    }

    void chosenCardsInTheProgramsOrder_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("ids"); // in the bank's row order, as the program steps
        QTest::addColumn<QString>("set"); // as the list's title names it
        QTest::newRow("all") << QStringList{} << "7 3 10 1 12 5 8 2 11 4 9 6"
                             << "All Available Questions";
        QTest::newRow("basics") << QStringList{"--set", "basics"} << "7 3 1 5 11 9"
                                << "Just the Basics";
        QTest::newRow("tough") << QStringList{"--set", "tough"} << "10 12 11 9"
                               << "Tough Terms";
        QTest::newRow("two topics")
            << QStringList{"--topic", "plants", "--topic", "Ecology"} << "7 3 10 1 12 4 9 6"
            << "Plants, Ecology";
        QTest::newRow("custom set 2") << QStringList{"--custom", "2"} << "4 9"
                                      << "Custom Set 2";
    }

    void chosenCardsInTheProgramsOrder() {
        QFETCH(QStringList, options);
        QFETCH(QString, ids);
        QFETCH(QString, set);
        QTemporaryDir dir;
        std::vector<testing::Row> rows;
        const char* topics[] = {"Ecology", "Plants", "Animals"};
        for (const int n : {7, 3, 10, 1, 12, 5, 8, 2, 11, 4, 9, 6})
            rows.push_back({n,
                            QStringLiteral("front%1").arg(n),
                            "a",
                            topics[n % 3],
                            {n % 2, n >= 9, 0},
                            {0, n == 4 || n == 9},
                            n});
        testing::writeBank(dir.filePath("b.mdb"), rows);
        const Run r = print(options + QStringList{"--layout", "list", dir.filePath("b.mdb"),
                                                  dir.filePath("l.pdf")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QList<std::pair<double, QString>> printed;
        const Pdf pdf = readPdf(dir.filePath("l.pdf"));
        for (auto it = pdf.words.cbegin(); it != pdf.words.cend(); ++it)
            if (it.key().startsWith("front"))
                printed.append({it->box.top(), it.key().mid(5)});
        std::sort(printed.begin(), printed.end());
        QStringList order;
        for (const auto& [y, id] : printed)
            order << id;
        QCOMPARE(order.join(' '), ids);
        QCOMPARE(run("pdftotext", {dir.filePath("l.pdf"), "-"}).section('\n', 0, 0),
                 QStringLiteral("b.mdb \u2014 ") + set);
    }

    void wordsBreakOnlyWhereTheyCannotFitWhole_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("text"); // the question of card 1
        QTest::addColumn<QString>("notes");
        // Texts of the shipped bank that broke words on Letter's upright cards.
        const QString shipped = "What is a monosaccharide, and what are two examples? Why is DNA "
                                "replication called \"semiconservative\"? Deoxyribonucleic acid.";
        const QString long60 = "Pneumonoultramicroscopicsilicovolcanoconiosis" + QString(15, 'x');
        const QString broken = "card 1: its question has a word too long for a line at %1 pt, "
                               "broken across lines\n";
        QTest::newRow("letter") << QStringList{"--paper", "letter"} << shipped << "";
        QTest::newRow("a4, 60 letters")
            << QStringList{"--paper", "a4"} << long60 + " acid" << broken.arg(6);
        QTest::newRow("letter, 60 letters, list")
            << QStringList{"--paper", "letter", "--layout", "list"} << long60 << broken.arg(10);
        QTest::newRow("a4, 60 letters and cut")
            << QStringList{"--paper", "a4"} << long60 + QStringLiteral(" acid").repeated(400)
            << broken.arg(6) + "card 1: its question is cut to fit (at 6 pt)\n";
    }

    void wordsBreakOnlyWhereTheyCannotFitWhole() {
        QFETCH(QStringList, options);
        QFETCH(QString, text);
        QFETCH(QString, notes);
        QTemporaryDir dir;
        testing::writeBank(dir.filePath("b.mdb"), {{1, text, "a", "Ecology", {}, {}, 1}});
        const Run r = print(options + QStringList{dir.filePath("b.mdb"), dir.filePath("w.pdf")});
        QVERIFY2(r.out.startsWith(notes + "Printed 1 card on "), qPrintable(r.out));
        const Pdf pdf = readPdf(dir.filePath("w.pdf"));
        for (const QString& word : text.split(' ').mid(0, 20))
            QCOMPARE(pdf.words.contains(word), word.size() < 60);
        QCOMPARE(outsideMargins(pdf), QStringList());
    }

    void everyScriptPrintsAsTextWithEmbeddedFonts() {
        QTemporaryDir dir;
        const QStringList texts = {
            "Ἀλήθεια Правда office", "אמת שלום",
            "مرحبا بالعالم",         "नमस्ते दुनिया",
            "ਸਤਿ ਸ੍ਰੀ ਅਕਾਲ",          "你好世界",
            "こんにちは世界",        QString::fromUcs4(U"Linear B \U00010000")};
        std::vector<testing::Row> rows;
        for (int i = 0; i < texts.size(); ++i)
            rows.push_back({i + 1, texts[i], texts[i], QStringLiteral("Ecology"), {}, {}, i + 1});
        testing::writeBank(dir.filePath("b.mdb"), rows);
        const Run r = print({"--layout", "list", dir.filePath("b.mdb"), dir.filePath("s.pdf")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        // Only the character no installed font has is named, with its card.
        QCOMPARE(r.out.count("no installed font"), 2);
        QVERIFY2(r.out.contains("card 8: no installed font has U+10000"), qPrintable(r.out));
        const QString text = run("pdftotext", {dir.filePath("s.pdf"), "-"});
        for (const QString word : {"Правда", "office", "שלום", "こんにちは世界", "你好世界"})
            QVERIFY2(text.contains(word), qPrintable(word + " is not in:\n" + text));
        const QStringList fonts = run("pdffonts", {dir.filePath("s.pdf")}).split('\n').mid(2);
        QVERIFY(fonts.filter(QRegularExpression("\\S")).size() >= 3);
        for (const QString& font : fonts.filter(QRegularExpression("\\S")))
            QVERIFY2(font.contains(QRegularExpression("\\byes\\s+\\S+\\s+\\S+\\s+\\d+\\s+\\d+$")),
                     qPrintable("not embedded: " + font));
    }

    void badInputLeavesNoFile_data() {
        QTest::addColumn<QStringList>("args"); // BANK, DECK and OUT stand for the files
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty set")
            << QStringList{"--custom", "3", "BANK", "OUT"} << 1 << "holds no cards of custom set 3";
        QTest::newRow("unknown topic")
            << QStringList{"--topic", "ecolgy", "BANK", "OUT"} << 2 << "did you mean 'Ecology'?";
        QTest::newRow("custom set 7")
            << QStringList{"--custom", "7", "BANK", "OUT"} << 2 << "--custom takes 1 to 6";
        QTest::newRow("unknown card") << QStringList{"--card", "huge", "BANK", "OUT"} << 2
                                      << "--card takes index, a7, a8, business, not 'huge'\n";
        QTest::newRow("unknown set")
            << QStringList{"--set", "TUFF", "BANK", "OUT"} << 2 << "did you mean 'tough'?";
        QTest::newRow("a deck for the bank")
            << QStringList{"DECK", "OUT"} << 1 << "is a deck (KVTML, found from its content";
        QTest::newRow("no such folder")
            << QStringList{"BANK", "OUT/../nowhere/x.pdf"} << 1 << "No such file or directory";
        QTest::newRow("file there") << QStringList{"BANK", "BANK"} << 1 << "exists already";
        QTest::newRow("1 MB card") << QStringList{"--set", "tough", "BANK", "OUT"} << 1
                                   << "card 9: its answer has 1048576 characters";
        QTest::newRow("offset past the margins")
            << QStringList{"--offset", "6,0", "BANK", "OUT"} << 2 << "over 5 mm";
    }

    void badInputLeavesNoFile() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        QTemporaryDir dir;
        std::vector<testing::Row> rows = {{9, "q", QString(1 << 20, 'x'), "Ecology", {0, 1, 0}},
                                          {10, "q", "a", "Ecology", {}}};
        testing::writeBank(dir.filePath("bank.mdb"), rows);
        QVERIFY(QFile::copy(QStringLiteral(DECKS_DIR "/kwordquiz-fill_in_the_blank.kvtml"),
                            dir.filePath("deck.kvtml")));
        args.replaceInStrings("BANK", dir.filePath("bank.mdb"));
        args.replaceInStrings("DECK", dir.filePath("deck.kvtml"));
        args.replaceInStrings("OUT", dir.filePath("out.pdf"));
        const Run r = print(args);
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY2(!r.err.contains(QRegularExpression("error \\d+:")), qPrintable(r.err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"bank.mdb", "deck.kvtml"}));
    }

    void fullDiskLeavesNoFile() {
        QTemporaryDir dir;
        const QString disk = dir.filePath("disk");
        QVERIFY(QDir().mkpath(disk));
        testing::SmallDisk small(disk, 64);
        if (!small.mounted())
            QSKIP(qPrintable("a 64 KB tmpfs cannot be mounted here: " + small.error()));
        const Run r = print({bank(dir, 2000), disk + "/c.pdf"});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("No space left on device"), qPrintable(r.err));
        QCOMPARE(QDir(disk).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }

    // As a teacher runs it: no display, no Qt setting; the paper from the system's setting.
    void toolPrintsWithoutDisplayOnTheSystemsPaper() {
        QTemporaryDir dir;
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        env.insert("PAPERSIZE", "letter");
        tool.setProcessEnvironment(env);
        tool.start(BANK_TOOL, {"print", bank(dir, 3), dir.filePath("c.pdf")});
        QVERIFY(tool.waitForFinished(60000));
        QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
        QCOMPARE(readPdf(dir.filePath("c.pdf")).pages.value(0), QSizeF(612, 792));
        tool.start(BANK_TOOL, {"print", "--test-page", dir.filePath("t.pdf")});
        QVERIFY(tool.waitForFinished(60000));
        const Pdf test = readPdf(dir.filePath("t.pdf"));
        QCOMPARE(test.pages, QList<QSizeF>(2, QSizeF(612, 792)));
        QCOMPARE(test.words.value("back").page, 1); // the scales' page
        QList<QRectF> labels;
        for (const QString label : {"-10", "-5", "5", "10"})
            for (const Word& word : test.words.values(label))
                labels << word.box;
        QCOMPARE(labels.size(), 8);
        for (int i = 0; i < labels.size(); ++i)
            for (int j = i + 1; j < labels.size(); ++j)
                QVERIFY(!labels[i].intersects(labels[j]));
    }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
