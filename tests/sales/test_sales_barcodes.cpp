#include "sales/Barcodes.h"

#include <QtTest>

using sales::ScaleRule;

class TestSalesBarcodes : public QObject
{
    Q_OBJECT

private slots:
    void checkDigits_data();
    void checkDigits();
    void scaleLines_data();
    void scaleLines();
    void scaleRulesRefused_data();
    void scaleRulesRefused();
    void scaleRulesRead();
};

void TestSalesBarcodes::checkDigits_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("retail");
    QTest::addColumn<bool>("valid");
    QTest::newRow("EAN-13") << "6901234567892" << true << true;
    QTest::newRow("EAN-13 check 1") << "4006381333931" << true << true;
    QTest::newRow("EAN-13 check 0") << "0000000000000" << true << true;
    QTest::newRow("EAN-13 wrong") << "6901234567893" << true << false;
    QTest::newRow("EAN-13 two digits swapped") << "6901234657892" << true << false;
    QTest::newRow("EAN-8") << "96385074" << true << true;
    QTest::newRow("EAN-8 wrong") << "96385075" << true << false;
    QTest::newRow("UPC-A") << "036000291452" << true << true;
    QTest::newRow("UPC-A wrong") << "036000291450" << true << false;
    QTest::newRow("11 digits") << "03600029145" << false << false;
    QTest::newRow("a letter") << "69012345678X2" << false << false;
    QTest::newRow("full-width digits") << QString::fromUtf8("６９０１２３４５６７８９２") << false << false;
    QTest::newRow("a blank") << "6901234567892 " << false << false;
}

void TestSalesBarcodes::checkDigits()
{
    QFETCH(QString, code);
    QFETCH(bool, retail);
    QFETCH(bool, valid);
    QCOMPARE(sales::isRetailCode(code), retail);
    QCOMPARE(sales::hasValidCheckDigit(code), valid);
}

void TestSalesBarcodes::scaleLines_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("discount");
    QTest::addColumn<QString>("line"); // item|quantity|金额|折后, or the error's first word
    QTest::newRow("amount 12.34 at 5.5") << "2012345012349" << "5.5" << "8" << "12345|2.244|12.34|12.34";
    QTest::newRow("amount 1.00 at 3") << "2212345001002" << "3" << "10" << "12345|0.333|1|1";
    // 0.0025 kg is a half: away from zero.
    QTest::newRow("amount 0.01 at 4") << "2412345000016" << "4" << "10" << "12345|0.003|0.01|0.01";
    QTest::newRow("amount at price 0") << "2012345012349" << "0" << "10" << "商品的单价是";
    QTest::newRow("amount without price") << "2012345012349" << "" << "10" << "商品没有可用的单价";
    QTest::newRow("455 g at 12.99") << "2712345004558" << "12.99" << "10" << "12345|0.455|5.91|5.91";
    QTest::newRow("455 g at 12.99, discount 9") << "2712345004558" << "12.99" << "9" << "12345|0.455|5.91|5.319";
    // 0.025 yuan is a half: away from zero.
    QTest::newRow("250 g at 0.1") << "2712345002509" << "0.1" << "10" << "12345|0.25|0.03|0.03";
    QTest::newRow("1 kg at 0") << "2500001010001" << "0" << "10" << "00001|1|0|0";
    QTest::newRow("weight, discount a lone point") << "2712345004558" << "12.99" << "." << "折扣";
}

void TestSalesBarcodes::scaleLines()
{
    QFETCH(QString, code);
    QFETCH(QString, price);
    QFETCH(QString, discount);
    QFETCH(QString, line);
    const sales::ParsedScaleRules rules = sales::parseScaleRules(sales::DefaultScaleRulesText);
    QVERIFY(rules.error.isEmpty());
    QVERIFY(sales::hasValidCheckDigit(code));
    const std::optional<sales::ScaleLabel> label = sales::decodeScaleLabel(code, rules.rules);
    QVERIFY(label);
    const sales::ScaleLine made = sales::scaleLine(*label, price, discount);
    if (!made.error.isEmpty()) {
        QVERIFY2(made.error.startsWith(line), qPrintable(made.error));
        return;
    }
    QCOMPARE(QStringList({label->itemCode, made.quantity, made.amount, made.afterDiscount}).join('|'), line);
}

void TestSalesBarcodes::scaleRulesRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("flag below 20") << "19-24:3-7:8-12:金额";
    QTest::newRow("flag reversed") << "24-20:3-7:8-12:金额";
    QTest::newRow("value on the check digit") << "20-24:3-7:8-13:金额";
    QTest::newRow("item on the flag") << "20-24:2-7:8-12:金额";
    QTest::newRow("item and value overlap") << "20-24:3-7:7-12:金额";
    QTest::newRow("unknown kind") << "20-24:3-7:8-12:价格";
    QTest::newRow("three fields") << "20-24:3-7:8-12";
    QTest::newRow("flags of two rules overlap") << "20-24:3-7:8-12:金额;22-29:3-7:8-12:重量";
    QTest::newRow("no number") << "a-b:3-7:8-12:金额";
}

void TestSalesBarcodes::scaleRulesRefused()
{
    QFETCH(QString, text);
    const sales::ParsedScaleRules parsed = sales::parseScaleRules(text);
    QVERIFY2(parsed.error.startsWith(QStringLiteral("条码秤规则第")), qPrintable(parsed.error));
}

void TestSalesBarcodes::scaleRulesRead()
{
    // Blanks and a trailing separator are forgiven, and the text is kept in one spelling.
    const sales::ParsedScaleRules loose = sales::parseScaleRules(" 20-24 : 3-7 : 8-12 : 金额 ; 25-29:3-7:8-12:重量;");
    QVERIFY(loose.error.isEmpty());
    QCOMPARE(sales::scaleRulesText(loose.rules), sales::DefaultScaleRulesText);
    QCOMPARE(loose.rules.value(1), (ScaleRule{25, 29, 3, 7, 8, 12, ScaleRule::Kind::Weight}));

    // No rules: no code is a scale label.
    const sales::ParsedScaleRules none = sales::parseScaleRules("");
    QVERIFY(none.error.isEmpty());
    QVERIFY(!sales::decodeScaleLabel("2012345012349", none.rules));

    // Other positions: a six-digit item and a four-digit weight; flags outside every rule are no label.
    const sales::ParsedScaleRules own = sales::parseScaleRules("21:3-8:9-12:重量");
    QVERIFY(own.error.isEmpty());
    const std::optional<sales::ScaleLabel> label = sales::decodeScaleLabel("2112345612340", own.rules);
    QVERIFY(label);
    QCOMPARE(label->itemCode, QStringLiteral("123456"));
    QCOMPARE(label->value, 1234);
    QCOMPARE(label->kind, ScaleRule::Kind::Weight);
    QVERIFY(!sales::decodeScaleLabel("2012345012349", own.rules));
}

QTEST_APPLESS_MAIN(TestSalesBarcodes)
#include "test_sales_barcodes.moc"
