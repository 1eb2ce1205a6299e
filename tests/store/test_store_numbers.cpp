#include "core/Error.h"
#include "store/Numbers.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace store;

class TestStoreNumbers : public QObject
{
    Q_OBJECT

private slots:
    void formatsGeneralForm_data();
    void formatsGeneralForm();
    void parsesAcceptedShapes_data();
    void parsesAcceptedShapes();
    void roundsToCentsLikeTheTotals_data();
    void roundsToCentsLikeTheTotals();
    void normalisesPrices_data();
    void normalisesPrices();
    void formatsDisplayAndFixed_data();
    void formatsDisplayAndFixed();
    void lineAmountsInExtendedPrecision();
    void randomRoundTrips();
};

void TestStoreNumbers::formatsGeneralForm_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("three") << 3.0 << "3";
    QTest::newRow("twelve and a half") << 12.5 << "12.5";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("thirty") << 30.0 << "30";
    QTest::newRow("0.35") << 0.35 << "0.35";
    QTest::newRow("0.1 + 0.2 shows 15 digits") << (0.1 + 0.2) << "0.3";
    QTest::newRow("negative") << -11.87 << "-11.87";
    QTest::newRow("0.0001 stays fixed") << 0.0001 << "0.0001";
    QTest::newRow("below 0.0001 goes scientific") << 0.00001 << "1E-5";
    QTest::newRow("1.5E-5") << 0.000015 << "1.5E-5";
    QTest::newRow("just under 10^15") << 999999999999999.0 << "999999999999999";
    QTest::newRow("10^15") << 1e15 << "1E15";
    QTest::newRow("large with digits") << 1.25e20 << "1.25E20";
    QTest::newRow("rounded at 15 digits") << 1.0 / 3.0 << "0.333333333333333";
    QTest::newRow("carry at 15 digits") << 0.99999999999999999 << "1";
}

void TestStoreNumbers::formatsGeneralForm()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formatNumber(value), text);
}

void TestStoreNumbers::parsesAcceptedShapes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << "12" << true << 12.0;
    QTest::newRow("decimal") << "12.5" << true << 12.5;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("trailing point") << "12." << true << 12.0;
    QTest::newRow("sign") << "-3" << true << -3.0;
    QTest::newRow("plus sign") << "+3" << true << 3.0;
    QTest::newRow("blanks") << "  7 " << true << 7.0;
    QTest::newRow("exponent") << "1E-5" << true << 1e-5;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("lone point") << "." << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("comma decimal") << "1,5" << false << 0.0;
    QTest::newRow("dangling exponent") << "1e" << false << 0.0;
    QTest::newRow("overflow") << "1e99999" << false << 0.0;
    QTest::newRow("hex") << "0x10" << false << 0.0;
    QTest::newRow("inf") << "inf" << false << 0.0;
    QTest::newRow("full-width digits") << "１２" << false << 0.0;
    QTest::newRow("blanks only") << "   " << false << 0.0;
}

void TestStoreNumbers::parsesAcceptedShapes()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(double, value);
    long double parsed = 0;
    QCOMPARE(tryParseNumber(text, &parsed), accepted);
    if (accepted) {
        QCOMPARE(static_cast<double>(parsed), value);
    } else {
        try {
            parseNumber(text);
            QFAIL("a non-number was accepted");
        } catch (const Error& e) {
            QVERIFY(e.message().contains(text));
        }
    }
}

void TestStoreNumbers::roundsToCentsLikeTheTotals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("rounded");
    QTest::newRow("31.875 down") << "31.875" << "31.87";
    QTest::newRow("0.375 down") << "0.375" << "0.37";
    QTest::newRow("2.675 down") << "2.675" << "2.67";
    QTest::newRow("12.345 up") << "12.345" << "12.35";
    QTest::newRow("12.355 up") << "12.355" << "12.36";
    QTest::newRow("99.995 up to 100") << "99.995" << "100";
    QTest::newRow("already cents") << "68.13" << "68.13";
    QTest::newRow("zero") << "0" << "0";
    QTest::newRow("negative") << "-11.875" << "-11.87";
}

void TestStoreNumbers::roundsToCentsLikeTheTotals()
{
    QFETCH(QString, text);
    QFETCH(QString, rounded);
    const double v = static_cast<double>(parseNumber(text));
    QCOMPARE(formatNumber(roundToCents(v)), rounded);
}

void TestStoreNumbers::normalisesPrices_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("normalised");
    QTest::newRow("trailing zero") << "12.50" << "12.5";
    QTest::newRow("integer") << "8" << "8";
    QTest::newRow("three decimals") << "3.456" << "3.46";
    QTest::newRow("half away from zero") << "12.345" << "12.35";
    QTest::newRow("2.675 as typed") << "2.675" << "2.68";
    QTest::newRow("carry") << "9.999" << "10";
}

void TestStoreNumbers::normalisesPrices()
{
    QFETCH(QString, text);
    QFETCH(QString, normalised);
    QCOMPARE(normalisePrice(text), normalised);
}

void TestStoreNumbers::formatsDisplayAndFixed_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("fixed");
    QTest::newRow("12.5") << 12.5 << "12.5" << "12.50";
    QTest::newRow("3") << 3.0 << "3" << "3.00";
    QTest::newRow("3.456") << 3.456 << "3.46" << "3.46";
    QTest::newRow("0.004") << 0.004 << "0" << "0.00";
    QTest::newRow("0.005") << 0.005 << "0.01" << "0.01";
    QTest::newRow("-0.001 has no minus") << -0.001 << "0" << "0.00";
    QTest::newRow("millions") << 1234567.891 << "1234567.89" << "1234567.89";
}

void TestStoreNumbers::formatsDisplayAndFixed()
{
    QFETCH(double, value);
    QFETCH(QString, display);
    QFETCH(QString, fixed);
    QCOMPARE(formatDisplay(value), display);
    QCOMPARE(formatFixed2(value), fixed);
}

void TestStoreNumbers::lineAmountsInExtendedPrecision()
{
    const long double p = parseNumber(QStringLiteral("12.5"));
    const long double q = parseNumber(QStringLiteral("3"));
    const long double d = parseNumber(QStringLiteral("8.5"));
    const long double tenth = 0.1L;
    QCOMPARE(formatNumber(p * q), QStringLiteral("37.5"));
    QCOMPARE(formatNumber(d * (p * q) * tenth), QStringLiteral("31.875"));
    QCOMPARE(formatNumber(parseNumber(QStringLiteral("0.1")) * 3), QStringLiteral("0.3"));
}

void TestStoreNumbers::randomRoundTrips()
{
    QRandomGenerator random(20261209);
    for (int i = 0; i < 20000; ++i) {
        // Cents amounts as a till sees them: text -> number -> text gives the same text back.
        const qint64 cents = static_cast<qint64>(random.bounded(100000000));
        const QString text = cents % 100 == 0 ? QString::number(cents / 100)
                                              : QString::number(cents / 100.0, 'f', cents % 10 == 0 ? 1 : 2);
        QCOMPARE(formatNumber(parseNumber(text)), text);
        // Any double survives its 15-digit text within 15 significant digits.
        const double value = random.generateDouble() * std::pow(10.0, random.bounded(-8, 14));
        const long double back = parseNumber(formatNumber(value));
        QVERIFY2(std::fabs(static_cast<double>(back) - value) <= std::fabs(value) * 1e-14,
                 qPrintable(formatNumber(value)));
        // Random junk either parses consistently or is refused with an error, never crashes.
        QString junk;
        for (int n = random.bounded(6); n >= 0; --n)
            junk += QChar(u"0123456789.-+eE x,"[random.bounded(18)]);
        long double parsed = 0;
        if (tryParseNumber(junk, &parsed))
            QCOMPARE(parseNumber(formatNumber(parsed)), static_cast<long double>(parseNumber(formatNumber(parsed))));
        else
            QVERIFY_THROWS_EXCEPTION(Error, parseNumber(junk));
    }
}

QTEST_GUILESS_MAIN(TestStoreNumbers)
#include "test_store_numbers.moc"
