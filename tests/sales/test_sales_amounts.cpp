// The arithmetic behind the sales entry: line amounts, discount list, the totals' rounding,
// change and dropping the fraction, each as the texts the boxes show.

#include "core/Error.h"
#include "sales/LineAmounts.h"
#include "sales/Totals.h"

#include <QtTest>

class TestSalesAmounts : public QObject
{
    Q_OBJECT

private slots:
    void lineAmounts_data();
    void lineAmounts();
    void lineAmountsRefuseNonNumbers_data();
    void lineAmountsRefuseNonNumbers();
    void discountItemsCountDownInTenths();
    void totalRounding_data();
    void totalRounding();
    void tenThousandthsTiesToEven_data();
    void tenThousandthsTiesToEven();
    void change_data();
    void change();
    void dropFraction_data();
    void dropFraction();
};

void TestSalesAmounts::lineAmounts_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("discount");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("afterDiscount");

    QTest::newRow("no discount") << "12.5"
                                 << "3"
                                 << "10"
                                 << "37.5"
                                 << "37.5";
    QTest::newRow("discount 8.5") << "12.5"
                                  << "3"
                                  << "8.5"
                                  << "37.5"
                                  << "31.875";
    QTest::newRow("tenths add up to 0.3") << "0.1"
                                          << "3"
                                          << "10"
                                          << "0.3"
                                          << "0.3";
    QTest::newRow("whole numbers stay whole") << "8"
                                              << "2"
                                              << "9"
                                              << "16"
                                              << "14.4";
    QTest::newRow("discount 0.1") << "99.99"
                                  << "1"
                                  << "0.1"
                                  << "99.99"
                                  << "0.9999";
    QTest::newRow("typed with a trailing point") << "5."
                                                 << "2"
                                                 << "10"
                                                 << "10"
                                                 << "10";
    QTest::newRow("zero quantity") << "3.5"
                                   << "0"
                                   << "10"
                                   << "0"
                                   << "0";
    QTest::newRow("fifteen digits at most") << "0.3333333333333333"
                                            << "3"
                                            << "10"
                                            << "1"
                                            << "1";
}

void TestSalesAmounts::lineAmounts()
{
    QFETCH(QString, price);
    QFETCH(QString, quantity);
    QFETCH(QString, discount);
    const sales::LineAmounts amounts = sales::computeLineAmounts(price, quantity, discount);
    QTEST(amounts.amount, "amount");
    QTEST(amounts.afterDiscount, "afterDiscount");
}

void TestSalesAmounts::lineAmountsRefuseNonNumbers_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("discount");
    QTest::newRow("lone point as price") << "."
                                         << "1"
                                         << "10";
    QTest::newRow("empty quantity") << "12"
                                    << ""
                                    << "10";
    QTest::newRow("empty discount") << "12"
                                    << "1"
                                    << "";
}

void TestSalesAmounts::lineAmountsRefuseNonNumbers()
{
    QFETCH(QString, price);
    QFETCH(QString, quantity);
    QFETCH(QString, discount);
    QVERIFY_THROWS_EXCEPTION(core::Error, sales::computeLineAmounts(price, quantity, discount));
}

void TestSalesAmounts::discountItemsCountDownInTenths()
{
    const QStringList items = sales::discountItems();
    QCOMPARE(items.size(), 100);
    QCOMPARE(items.first(), QStringLiteral("10"));
    QCOMPARE(items.at(1), QStringLiteral("9.9"));
    QCOMPARE(items.at(90), QStringLiteral("1.0"));
    QCOMPARE(items.at(91), QStringLiteral("0.9"));
    QCOMPARE(items.last(), QStringLiteral("0.1"));
    for (int i = 1; i < items.size(); ++i)
        QCOMPARE(items.at(i), QString::number((100 - i) / 10.0, 'f', 1));
}

void TestSalesAmounts::totalRounding_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("total");

    // The two-decimal rounding goes by the stored double against the double 0.01.
    QTest::newRow("12.5 + 19.375 gives 31.87") << QStringList{"12.5", "19.375"} << "31.87";
    QTest::newRow("31.875 alone") << QStringList{"31.875"} << "31.87";
    QTest::newRow("0.375 goes down") << QStringList{"0.375"} << "0.37";
    QTest::newRow("2.675 goes down") << QStringList{"2.675"} << "2.67";
    QTest::newRow("12.345 goes up") << QStringList{"12.345"} << "12.35";
    QTest::newRow("12.355 goes up") << QStringList{"12.355"} << "12.36";
    QTest::newRow("99.995 gives 100") << QStringList{"99.995"} << "100";
    QTest::newRow("quantities 1 and 2.5") << QStringList{"1", "2.5"} << "3.5";
    QTest::newRow("empty values add nothing") << QStringList{"", "4", ""} << "4";
    QTest::newRow("no lines") << QStringList{} << "0";
    // Each value is rounded to whole ten-thousandths before it is added: three times 0.00015
    // (just below 1.5 units as a double) is 3 units, not 4.5.
    QTest::newRow("rounded before adding") << QStringList{"0.00015", "0.00015", "0.00015", "0.0047"} << "0";
    QTest::newRow("rounded up before adding") << QStringList{"0.00006", "0.00006", "0.00006", "0.0048"} << "0.01";
    QTest::newRow("tenths add up exactly") << QStringList{"0.1", "0.2"} << "0.3";
    QTest::newRow("negative values") << QStringList{"-1.005", "0.5"} << "-0.5";
}

void TestSalesAmounts::totalRounding()
{
    QFETCH(QStringList, values);
    sales::TenThousandthsSum sum;
    for (const QString& value : values)
        sum.addText(value);
    QTEST(sales::roundedTotalText(sum.units()), "total");
}

void TestSalesAmounts::tenThousandthsTiesToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("units");
    // n/32 times 10000 is an exact half: those are the true ties.
    QTest::newRow("1/32 goes down to even") << 0.03125 << qint64(312);
    QTest::newRow("3/32 goes up to even") << 0.09375 << qint64(938);
    QTest::newRow("5/32 goes down to even") << 0.15625 << qint64(1562);
    QTest::newRow("negative tie") << -0.03125 << qint64(-312);
    QTest::newRow("0.00005 is above the half as a double") << 0.00005 << qint64(1);
    QTest::newRow("0.00035 is below the half as a double") << 0.00035 << qint64(3);
    QTest::newRow("a large amount") << 12345678.9 << qint64(123456789000);
}

void TestSalesAmounts::tenThousandthsTiesToEven()
{
    QFETCH(double, value);
    sales::TenThousandthsSum sum;
    sum.add(value);
    QTEST(sum.units(), "units");
}

void TestSalesAmounts::change_data()
{
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("due");
    QTest::addColumn<QString>("change");
    QTest::newRow("100 on 31.87") << "100"
                                  << "31.87"
                                  << "68.13";
    QTest::newRow("too little received") << "20"
                                         << "31.87"
                                         << "-11.87";
    QTest::newRow("exactly paid") << "50.5"
                                  << "50.5"
                                  << "0";
    QTest::newRow("nothing due") << "10"
                                 << "0"
                                 << "10";
}

void TestSalesAmounts::change()
{
    QFETCH(QString, received);
    QFETCH(QString, due);
    QTEST(sales::changeText(received, due), "change");
}

void TestSalesAmounts::dropFraction_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("whole");
    QTest::newRow("31.875") << "31.875"
                            << "31";
    QTest::newRow("0.99") << "0.99"
                          << "0";
    QTest::newRow("0.5") << "0.5"
                         << "0";
    QTest::newRow("99.99") << "99.99"
                           << "99";
    QTest::newRow("whole already") << "42"
                                   << "42";
    QTest::newRow("towards zero when negative") << "-2.5"
                                                << "-2";
}

void TestSalesAmounts::dropFraction()
{
    QFETCH(QString, text);
    QTEST(sales::dropFraction(text), "whole");
}

QTEST_GUILESS_MAIN(TestSalesAmounts)
#include "test_sales_amounts.moc"
