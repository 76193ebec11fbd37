#include "selection/QueryBuilder.h"
#include "store/Categories.h"

#include <QTest>

using selection::buildQuery;
using selection::OptionsChoice;
using selection::Selection;

namespace {

const QString T = QStringLiteral("TRUE");
const QString F = QStringLiteral("False");

OptionsChoice choice(int testType, int premade = 0, std::initializer_list<int> ticked = {},
                     const char* markField = "Mark1") {
    OptionsChoice c;
    if (testType >= 0)
        c.testType[size_t(testType)] = true;
    if (premade >= 0)
        c.premadeType[size_t(premade)] = true;
    for (int i : ticked)
        c.customCheck[size_t(i)] = 1;
    c.captions = store::categories();
    c.markField = QString::fromLatin1(markField);
    return c;
}

Selection earlier() {
    Selection s;
    s.CurrentSQL = QStringLiteral("SELECT * FROM QATABLE WHERE MARK3 = YES");
    s.LastTestType = QStringLiteral("2");
    s.LastPremadeType = QStringLiteral("2");
    s.LastCategoryChecks.fill(F);
    s.LastCategoryChecks[5] = T;
    return s;
}

} // namespace

class TestQueryBuilder : public QObject {
    Q_OBJECT

private slots:
    void premadeSets_data() {
        QTest::addColumn<int>("premade");
        QTest::addColumn<QString>("sql");
        QTest::newRow("basics") << 0 << "SELECT * FROM QATABLE WHERE BASICS = YES";
        QTest::newRow("tough") << 1 << "SELECT * FROM QATABLE WHERE TOUGH = YES";
        QTest::newRow("final") << 2 << "SELECT * FROM QATABLE WHERE FINAL = YES";
        QTest::newRow("all") << 3 << "SELECT * FROM QATABLE";
    }

    void premadeSets() {
        QFETCH(int, premade);
        QFETCH(QString, sql);
        const Selection s = buildQuery(choice(0, premade, {4}), earlier());
        QCOMPARE(s.CurrentSQL, sql);
        QCOMPARE(s.LastTestType, QStringLiteral("0"));
        QCOMPARE(s.LastPremadeType, QString::number(premade));
        QCOMPARE(s.LastCategoryChecks, earlier().LastCategoryChecks); // untouched
    }

    void premadeWithNoneSelectedKeepsTheQuery() {
        const Selection s = buildQuery(choice(0, -1), earlier());
        QCOMPARE(s.CurrentSQL, earlier().CurrentSQL);
        QCOMPARE(s.LastTestType, QStringLiteral("0"));
        QCOMPARE(s.LastPremadeType, QString());
    }

    void categories_data() {
        QTest::addColumn<QList<int>>("ticked");
        QTest::addColumn<QString>("sql");
        QTest::newRow("none") << QList<int>{} << "SELECT * FROM QATABLE";
        QTest::newRow("box 0: two blanks")
            << QList<int>{0} << "SELECT * FROM QATABLE WHERE CATEGORY =  'The Chemistry of Life'";
        QTest::newRow("box 7: one blank")
            << QList<int>{7} << "SELECT * FROM QATABLE WHERE CATEGORY = 'Evolution'";
        QTest::newRow("0, 3, 14") << QList<int>{0, 3, 14}
                                  << "SELECT * FROM QATABLE WHERE CATEGORY =  'The Chemistry of "
                                     "Life' OR CATEGORY = 'Cell Division' OR CATEGORY = 'Ecology'";
        QTest::newRow("2 and 9") << QList<int>{9, 2}
                                 << "SELECT * FROM QATABLE WHERE CATEGORY = 'Photosynthesis and "
                                    "Cellular Respiration' OR CATEGORY = 'Bacteria and Viruses'";
    }

    void categories() {
        QFETCH(QList<int>, ticked);
        QFETCH(QString, sql);
        OptionsChoice c = choice(1, 2);
        for (int i : ticked)
            c.customCheck[size_t(i)] = 1;
        const Selection s = buildQuery(c, earlier());
        QCOMPARE(s.CurrentSQL, sql);
        QCOMPARE(s.LastTestType, QStringLiteral("1"));
        QCOMPARE(s.LastPremadeType, QStringLiteral("2")); // untouched
        for (int i = 0; i < 15; ++i)
            QCOMPARE(s.LastCategoryChecks[size_t(i)], ticked.contains(i) ? T : F);
    }

    void onlyAValueOfExactlyOneCounts() {
        OptionsChoice c = choice(1);
        c.customCheck[1] = 2; // a grey, third-state box is not ticked
        const Selection s = buildQuery(c, {});
        QCOMPARE(s.CurrentSQL, QStringLiteral("SELECT * FROM QATABLE"));
        QCOMPARE(s.LastCategoryChecks[1], F);
    }

    void captionsAreTakenAsTheyStand() {
        OptionsChoice c = choice(1);
        c.customCheck[14] = 1;
        c.captions[14] = QStringLiteral("Plants WHERE");
        // Only a tail of exactly " WHERE" is cut after " OR" is.
        QCOMPARE(buildQuery(c, {}).CurrentSQL,
                 QStringLiteral("SELECT * FROM QATABLE WHERE CATEGORY = 'Plants WHERE'"));
    }

    void customSets_data() {
        QTest::addColumn<QString>("markField");
        QTest::addColumn<QString>("sql");
        for (int n = 1; n <= 6; ++n)
            QTest::addRow("Mark%d", n)
                << QStringLiteral("Mark%1").arg(n)
                << QStringLiteral("SELECT * FROM QATABLE WHERE MARK%1 = YES").arg(n);
        QTest::newRow("not a mark field") << "mark4" << earlier().CurrentSQL;
    }

    void customSets() {
        QFETCH(QString, markField);
        QFETCH(QString, sql);
        OptionsChoice c = choice(2, 1, {3});
        c.markField = markField;
        const Selection s = buildQuery(c, earlier());
        QCOMPARE(s.CurrentSQL, sql);
        QCOMPARE(s.LastTestType, QStringLiteral("2"));
        QCOMPARE(s.LastPremadeType, earlier().LastPremadeType);
        QCOMPARE(s.LastCategoryChecks, earlier().LastCategoryChecks);
    }

    void noModeSelectedChangesNothing() {
        const Selection s = buildQuery(choice(-1, -1), earlier());
        QCOMPARE(s.CurrentSQL, earlier().CurrentSQL);
        QCOMPARE(s.LastTestType, earlier().LastTestType);
    }
};

QTEST_APPLESS_MAIN(TestQueryBuilder)
#include "tst_querybuilder.moc"
