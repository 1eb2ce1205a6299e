#include "core/Error.h"
#include "store/Catalogue.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/ValueCheck.h"
#include "support/TestDatabase.h"

#include <QtTest>

using namespace store;
using testsupport::TestDatabase;

// The one check of a value against its column, and the query that reports what it was doing.
class TestStoreValues : public QObject
{
    Q_OBJECT

private slots:
    void checksTextAgainstItsColumn_data();
    void checksTextAgainstItsColumn();
    void columnKindsMatchTheSchema();
    void queryFailureNamesTheWork();
    void queryRunsAgainWithFreshValues();
};

void TestStoreValues::checksTextAgainstItsColumn_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    // "number:<value>", "null", "text", "not a number", "too large" or "too long:<n>/<most>"
    QTest::addColumn<QString>("outcome");
    // clang-format off
    QTest::newRow("a price") << "spxx" << "单价" << " -2.5" << "number:-2.5";
    QTest::newRow("an exponent") << "xsmx" << "数量" << "1e3" << "number:1000";
    QTest::newRow("empty number") << "xstj" << "折后" << "" << "null";
    QTest::newRow("lone point") << "spxx" << "单价" << "." << "not a number";
    QTest::newRow("letters") << "xstj" << "数量" << "3件" << "not a number";
    QTest::newRow("beyond a double") << "spxx" << "单价" << "1" + QString(400, '0') << "too large";
    QTest::newRow("not a number before too large") << "spxx" << "单价" << "1" + QString(400, '0') + "x" << "not a number";
    QTest::newRow("the row key is a number") << "xsxx" << "ID" << "x" << "not a number";
    QTest::newRow("exactly 50") << "xstj" << "收银员" << QString(50, 'c') << "text";
    QTest::newRow("51 of 50") << "xstj" << "收银员" << QString(51, 'c') << "too long:51/50";
    QTest::newRow("255 emoji") << "spxx" << "品名" << QString("🍎").repeated(255) << "text";
    QTest::newRow("256 emoji") << "spxx" << "品名" << QString("🍎").repeated(256) << "too long:256/255";
    QTest::newRow("digits in a text column stay text") << "xstj" << "单号" << "0012" << "text";
    QTest::newRow("unknown column takes any text") << "xstj" << "没有这列" << QString(1000, 'x') << "text";
    // clang-format on
}

void TestStoreValues::checksTextAgainstItsColumn()
{
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(QString, text);
    QFETCH(QString, outcome);
    const CheckedValue checked = checkValue(table, column, text);
    QString seen;
    if (checked.refusal && checked.refusal->reason == ValueRefusal::Reason::NotANumber)
        seen = "not a number";
    else if (checked.refusal && checked.refusal->reason == ValueRefusal::Reason::TooLarge)
        seen = "too large";
    else if (checked.refusal)
        seen = QString("too long:%1/%2").arg(checked.refusal->characters).arg(checked.refusal->width);
    else if (checked.value.isNull())
        seen = "null";
    else if (checked.value.typeId() == QMetaType::Double)
        seen = "number:" + QString::number(checked.value.toDouble());
    else if (checked.value.typeId() == QMetaType::QString && checked.value.toString() == text)
        seen = "text";
    QCOMPARE(seen, outcome);
}

void TestStoreValues::columnKindsMatchTheSchema()
{
    // The store converts a number column's text before the engine sees it; both must agree on
    // which columns hold numbers.
    TestDatabase db;
    const QStringList tables =
        db.rows("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'");
    QVERIFY(!tables.isEmpty());
    int checked = 0;
    for (const QString& table : tables) {
        for (const QString& row : db.rows(QString("SELECT name, type FROM pragma_table_info('%1')").arg(table))) {
            const QString column = row.section('|', 0, 0);
            const QString type = row.section('|', 1);
            const bool number = type == "REAL" || type == "INTEGER";
            QVERIFY2(number || type == "TEXT", qPrintable(table + "." + column + " " + type));
            QCOMPARE(columnRule(table, column).isNumber, number);
            ++checked;
        }
    }
    QCOMPARE(checked, 87);
}

void TestStoreValues::queryFailureNamesTheWork()
{
    TestDatabase db;
    Connection c("test");
    c.open();
    try {
        Query(c.database(), "SELECT * FROM 没有这表", "读取测试").run();
        QFAIL("a statement on a missing table was prepared");
    } catch (const Error& e) {
        QVERIFY2(e.message().startsWith("读取测试失败：") && e.message().contains("没有这表"), qPrintable(e.message()));
    }
    db.exec("INSERT INTO xstj (单号) VALUES ('1')");
    try {
        // Prepared fine; refused by the engine when run.
        Query(c.database(), "INSERT INTO xstj (收银员) VALUES (?)", "保存测试").bind(QString(51, 'c')).run();
        QFAIL("a too-long text was stored");
    } catch (const Error& e) {
        QVERIFY2(e.message().startsWith("保存测试失败：") && e.message().contains("收银员"), qPrintable(e.message()));
    }
    Query empty(c.database(), "SELECT 单号 FROM xstj WHERE 单号 = ?", "查找测试");
    empty.bind("2");
    QVERIFY_THROWS_EXCEPTION(Error, empty.runToFirstRow());
    QCOMPARE(db.scalar("SELECT count(*) FROM xstj"), QString("1"));
}

void TestStoreValues::queryRunsAgainWithFreshValues()
{
    // A statement prepared once and run for one row after another, as a list reads its rows.
    TestDatabase db;
    db.exec("INSERT INTO spxx (品名, 单价) VALUES ('苹果', 2.5), ('梨', 4)");
    Connection c("test");
    c.open();
    Query byName(c.database(), "SELECT 单价 FROM spxx WHERE 品名 = ?", "读取测试");
    QStringList prices;
    for (const QString name : {"梨", "苹果", "梨"}) {
        byName.bind(name).runToFirstRow();
        prices << byName.value(0).toString();
        byName.finish();
    }
    QCOMPARE(prices, QStringList({"4", "2.5", "4"}));
}

QTEST_GUILESS_MAIN(TestStoreValues)
#include "test_store_values.moc"
