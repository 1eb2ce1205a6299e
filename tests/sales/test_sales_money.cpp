// Money in fen: what the received box accepts, how history amounts round, and how amounts print.

#include "sales/Money.h"
#include "sales/Payments.h"

#include <QtTest>

using namespace sales;

class TestSalesMoney : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void historyAmountsRoundToTheFenMeant();
    void formatAndMethodNames();
};

void TestSalesMoney::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("fen"); // -1: refused

    QTest::newRow("whole") << "100" << qint64(10000);
    QTest::newRow("two decimals") << "38.38" << qint64(3838);
    QTest::newRow("one decimal") << "0.5" << qint64(50);
    QTest::newRow("trailing point and spaces") << " 12. " << qint64(1200);
    QTest::newRow("leading point") << ".05" << qint64(5);
    QTest::newRow("third decimal") << "38.381" << qint64(-1);
    QTest::newRow("typed after the preset") << "38.38100" << qint64(-1);
    QTest::newRow("empty") << "" << qint64(-1);
    QTest::newRow("lone point") << "." << qint64(-1);
    QTest::newRow("negative") << "-1" << qint64(-1);
    QTest::newRow("letter") << "1e3" << qint64(-1);
    QTest::newRow("beyond the largest amount") << "9999999999999" << qint64(-1);
}

void TestSalesMoney::parse()
{
    QFETCH(QString, text);
    QFETCH(qint64, fen);
    const std::optional<Fen> parsed = parseYuan(text);
    if (fen < 0)
        QVERIFY2(!parsed, qPrintable(text));
    else
        QCOMPARE(parsed.value_or(-1), fen);
}

void TestSalesMoney::historyAmountsRoundToTheFenMeant()
{
    QCOMPARE(fenOf(38.38), Fen(3838)); // stored as 38.37999...
    QCOMPARE(fenOf(0.1 + 0.2), Fen(30));
    QCOMPARE(fenOf(-61.62), Fen(-6162));
    QCOMPARE(fenOf(100.0) - fenOf(38.38), Fen(6162));
    QCOMPARE(yuanOf(6162), 61.62);
}

void TestSalesMoney::formatAndMethodNames()
{
    QCOMPARE(formatYuan(6162), QString("61.62"));
    QCOMPARE(formatYuan(10000), QString("100.00"));
    QCOMPARE(formatYuan(5), QString("0.05"));
    QCOMPARE(formatYuan(-500), QString("-5.00"));
    QCOMPARE(formatYuan(0), QString("0.00"));
    for (PayMethod method : allMethods())
        QCOMPARE(methodFromName(methodName(method)), std::optional<PayMethod>(method));
    QVERIFY(!methodFromName("信用卡"));
}

QTEST_GUILESS_MAIN(TestSalesMoney)
#include "test_sales_money.moc"
