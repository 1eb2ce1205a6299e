// Money in fen: what the received box accepts, how history amounts round, and how amounts print.

#include "sales/Checkout.h"
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
    void settlement_data();
    void settlement();
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
void TestSalesMoney::settlement_data()
{
    using sales::PayMethod;
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second"); // -1: no split
    QTest::addColumn<qint64>("secondAmount");
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("paid"); // as the history lists it, or the refusal
    QTest::addColumn<qint64>("change");
    const int none = -1;
    const int cash = int(PayMethod::Cash), weChat = int(PayMethod::WeChat), card = int(PayMethod::Card);
    // Due 38.38 in every row.
    QTest::newRow("cash, change") << cash << none << 0LL << "100" << "现金" << 6162LL;
    QTest::newRow("cash one fen short") << cash << none << 0LL << "38.37" << "实收金额不足" << 0LL;
    QTest::newRow("cash, nothing typed") << cash << none << 0LL << "" << "实收金额不足" << 0LL;
    QTest::newRow("card ignores the box") << card << none << 0LL << "1" << "银行卡" << 0LL;
    QTest::newRow("split, cash counted") << cash << weChat << 1838LL << "20" << "现金 20.00+微信 18.38" << 0LL;
    QTest::newRow("split, cash short") << weChat << cash << 1000LL << "9.99" << "实收金额不足" << 0LL;
    QTest::newRow("split of the whole due") << cash << card << 3838LL << "100" << "refused" << 0LL;
    QTest::newRow("split of nothing") << card << weChat << 0LL << "" << "refused" << 0LL;
    QTest::newRow("split with itself") << card << card << 100LL << "" << "refused" << 0LL;
}

void TestSalesMoney::settlement()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(qint64, secondAmount);
    QFETCH(QString, received);
    QFETCH(QString, paid);
    QFETCH(qint64, change);
    sales::PaymentChoice choice{sales::PayMethod(first), std::nullopt, secondAmount};
    if (second >= 0)
        choice.second = sales::PayMethod(second);
    const sales::Settlement settled = sales::settle(choice, 3838, received);
    if (paid == QLatin1String("refused")) {
        QVERIFY(!settled.refusal.isEmpty());
        QVERIFY(settled.payments.isEmpty());
        return;
    }
    QCOMPARE(settled.refusal.isEmpty() ? sales::describePayments(settled.payments) : settled.refusal, paid);
    if (!settled.refusal.isEmpty())
        return;
    QCOMPARE(settled.change, change);
    // What was handed over less the change is what was due, however it was paid.
    qint64 total = 0;
    for (const sales::Payment& payment : settled.payments)
        total += payment.amount;
    QCOMPARE(total, 3838LL);
    QCOMPARE(settled.received - settled.change, 3838LL);
}

#include "test_sales_money.moc"
