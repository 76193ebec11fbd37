#include "store/Error.h"
#include "store/QueryText.h"

#include <QTest>

using store::Condition;
using store::Query;

class TestQuery : public QObject {
    Q_OBJECT

private slots:
    void accepts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("terms");
        QTest::newRow("all") << "SELECT * FROM QATABLE"
                             << "QATABLE"
                             << "";
        QTest::newRow("lower case, odd blanks") << "  select\t*from   qatable\n"
                                                << "qatable"
                                                << "";
        QTest::newRow("yes") << "SELECT * FROM QATABLE WHERE BASICS = YES"
                             << "QATABLE"
                             << "BASICS:true";
        QTest::newRow("true, no, false") << "SELECT * FROM T WHERE a=true OR b = No OR c = FALSE"
                                         << "T"
                                         << "a:true|b:false|c:false";
        QTest::newRow("two blanks after =")
            << "SELECT * FROM QATABLE WHERE CATEGORY =  'Cell Division' OR CATEGORY = 'Plants'"
            << "QATABLE"
            << "CATEGORY='Cell Division'|CATEGORY='Plants'";
        QTest::newRow("apostrophe doubled") << "SELECT * FROM QATABLE WHERE Category = 'Mendel''s'"
                                            << "QATABLE"
                                            << "Category='Mendel's'";
        QTest::newRow("integers") << "SELECT * FROM QATABLE WHERE ID = -12 OR ID=+7 OR ID = 0"
                                  << "QATABLE"
                                  << "ID=-12|ID=7|ID=0";
        QTest::newRow("bracketed name") << "SELECT * FROM QATABLE WHERE [Index] = 3"
                                        << "QATABLE"
                                        << "Index=3";
        QTest::newRow("empty text") << "SELECT * FROM QATABLE WHERE Answer = ''"
                                    << "QATABLE"
                                    << "Answer=''";
        QTest::newRow("text with OR inside") << "SELECT * FROM Q WHERE c = 'a OR b = YES'"
                                             << "Q"
                                             << "c='a OR b = YES'";
    }

    void accepts() {
        QFETCH(QString, text);
        QFETCH(QString, table);
        QFETCH(QString, terms);
        const Query query = Query::parse(text);
        QCOMPARE(query.table, table);
        QStringList got;
        for (const Condition& c : query.conditions) {
            switch (c.kind) {
            case Condition::Kind::True:
                got << c.field + QStringLiteral(":true");
                break;
            case Condition::Kind::False:
                got << c.field + QStringLiteral(":false");
                break;
            case Condition::Kind::Equals:
                got << c.field + u'=' +
                           (c.value.typeId() == QMetaType::QString
                                ? u'\'' + c.value.toString() + u'\''
                                : QString::number(c.value.toLongLong()));
                break;
            }
        }
        QCOMPARE(got.join(u'|'), terms);
    }

    void rejects_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("not a select") << "DELETE FROM QATABLE";
        QTest::newRow("field list") << "SELECT ID FROM QATABLE";
        QTest::newRow("no table") << "SELECT * FROM";
        QTest::newRow("dangling where") << "SELECT * FROM QATABLE WHERE";
        QTest::newRow("trailing or") << "SELECT * FROM QATABLE WHERE BASICS = YES OR";
        QTest::newRow("no value") << "SELECT * FROM QATABLE WHERE BASICS =";
        QTest::newRow("and") << "SELECT * FROM QATABLE WHERE A = 1 AND B = 2";
        QTest::newRow("unquoted text") << "SELECT * FROM QATABLE WHERE Category = Plants";
        QTest::newRow("unterminated") << "SELECT * FROM QATABLE WHERE Category = 'Plants";
        QTest::newRow("injection")
            << "SELECT * FROM QATABLE WHERE Category = 'x'; DROP TABLE QATABLE";
        QTest::newRow("comparison") << "SELECT * FROM QATABLE WHERE ID > 3";
        QTest::newRow("order by") << "SELECT * FROM QATABLE ORDER BY ID";
        QTest::newRow("huge number") << "SELECT * FROM QATABLE WHERE ID = 99999999999999999999";
        QTest::newRow("double quotes") << "SELECT * FROM QATABLE WHERE Category = \"Plants\"";
    }

    void rejects() {
        QFETCH(QString, text);
        try {
            Query::parse(text);
            QFAIL("accepted");
        } catch (const store::Error& error) {
            QCOMPARE(error.number(), 3075);
            QVERIFY2(error.description().contains(u'\'' + text + u'\''),
                     qPrintable(error.description()));
        }
    }
};

QTEST_APPLESS_MAIN(TestQuery)
#include "tst_query.moc"
