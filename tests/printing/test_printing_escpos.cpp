// ESC/POS as receipt printers get it, the receipt options of a queue, the words for a printer's
// state and the receipt numbers; no print spooler needed.

#include "core/Error.h"
#include "printing/EscPos.h"
#include "printing/PrintRun.h"
#include "printing/ReceiptPrinter.h"
#include "report/Report.h"
#include "support/EscPosDecoder.h"

#include <QDateTime>
#include <QtTest>

using printing::CashDrawer;
using printing::EscPosMode;
using printing::EscPosSettings;
using printing::ReceiptLanguage;
using Options = QList<std::pair<QString, QString>>;

Q_DECLARE_METATYPE(Options)

namespace {

QImage blankDots(int width, int height)
{
    QImage dots(width, height, QImage::Format_Mono);
    dots.setColor(0, qRgb(255, 255, 255));
    dots.setColor(1, qRgb(0, 0, 0));
    dots.fill(0);
    return dots;
}

// A pattern no two rows or columns of which are alike: a diagonal, a frame and a block.
QImage patternDots(int width, int height)
{
    QImage dots = blankDots(width, height);
    for (int y = 0; y < height; ++y) {
        dots.setPixel((y * 7) % width, y, 1);
        dots.setPixel(0, y, 1);
        dots.setPixel(width - 1, y, 1);
    }
    for (int x = 0; x < width; ++x) {
        dots.setPixel(x, 0, 1);
        dots.setPixel(x, height - 1, 1);
    }
    for (int y = height / 3; y < height / 2; ++y) {
        for (int x = width / 4; x < width / 3; ++x)
            dots.setPixel(x, y, 1);
    }
    return dots;
}

// A receipt-like report: a rule across the band and a line of text, optionally a long one.
struct SmallReport
{
    report::Report rep;

    explicit SmallReport(double pageWidth, const QString& longText = {})
    {
        rep.setPageWidth(pageWidth);
        rep.setPageLength(200);
        rep.setMargins(10, 10, 5, 5);
        report::Band* band = rep.addBand(report::BandKind::Title, 60);
        const QFont text = report::reportFont(QStringLiteral("方正兰亭刊黑_GBK"), 8);
        band->addLabel("rule", QString(int((pageWidth - 38) / 4.4), '-'), 0, 0)
            ->setFont(report::reportFont("Arial", 10));
        band->addLabel("shop", QStringLiteral("Quorvel便利店 收银员：王小明"), 7, 20)->setFont(text);
        if (!longText.isEmpty())
            band->addLabel("long", longText, 0, 40)->setFont(text);
    }
};

} // namespace

class TestPrintingEscPos : public QObject
{
    Q_OBJECT

private slots:
    void writesTheCommandsPrintersRead_data();
    void writesTheCommandsPrintersRead();
    void picturesSurviveTheWire_data();
    void picturesSurviveTheWire();
    void drawsTheReportWithinThePaper_data();
    void drawsTheReportWithinThePaper();
    void refusesDotsAPrinterCannotHave_data();
    void refusesDotsAPrinterCannotHave();
    void readsTheQueueOptions_data();
    void readsTheQueueOptions();
    void refusesOptionsItCannotUse_data();
    void refusesOptionsItCannotUse();
    void tellsThePrinterStateInWords_data();
    void tellsThePrinterStateInWords();
    void numbersNeverRepeat_data();
    void numbersNeverRepeat();
    void quickSalesGetDifferentNumbers();
};

void TestPrintingEscPos::writesTheCommandsPrintersRead_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<int>("drawer");
    QTest::addColumn<QByteArray>("expected");
    // One black dot at the top left of an 8 × 8 picture.
    const QByteArray raster = QByteArray::fromHex("1d763000"
                                                  "0100"
                                                  "0800"
                                                  "8000000000000000");
    const QByteArray columns = QByteArray::fromHex("1b2a00"
                                                   "0800"
                                                   "8000000000000000"
                                                   "1b4a10");
    QTest::newRow("raster, cut") << int(EscPosMode::Raster) << true << int(CashDrawer::None)
                                 << QByteArray::fromHex("1b40") + raster + QByteArray::fromHex("1d564200");
    QTest::newRow("raster, no cutter, drawer pin 2")
        << int(EscPosMode::Raster) << false << int(CashDrawer::Pin2)
        << QByteArray::fromHex("1b40") + raster + QByteArray::fromHex("1b6404") + QByteArray::fromHex("1b700019fa");
    QTest::newRow("impact, cut, drawer pin 5")
        << int(EscPosMode::Impact) << true << int(CashDrawer::Pin5)
        << QByteArray::fromHex("1b40") + columns + QByteArray::fromHex("1d564200") + QByteArray::fromHex("1b700119fa");
}

void TestPrintingEscPos::writesTheCommandsPrintersRead()
{
    QFETCH(int, mode);
    QFETCH(bool, cut);
    QFETCH(int, drawer);
    QFETCH(QByteArray, expected);
    QImage dots = blankDots(8, 8);
    dots.setPixel(0, 0, 1);
    EscPosSettings settings{EscPosMode(mode), 8, cut, CashDrawer(drawer)};
    QCOMPARE(printing::escPosJob(dots, settings, 1).toHex(' '), expected.toHex(' '));
}

void TestPrintingEscPos::picturesSurviveTheWire_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("copies");
    QTest::newRow("raster, one band") << int(EscPosMode::Raster) << 384 << 100 << 1;
    QTest::newRow("raster, bands of 255 and the rest") << int(EscPosMode::Raster) << 576 << 700 << 2;
    QTest::newRow("raster, exactly two bands") << int(EscPosMode::Raster) << 384 << 510 << 1;
    QTest::newRow("impact, double density") << int(EscPosMode::Impact) << 400 << 96 << 2;
    QTest::newRow("impact, single density") << int(EscPosMode::Impact) << 200 << 40 << 1;
}

void TestPrintingEscPos::picturesSurviveTheWire()
{
    QFETCH(int, mode);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, copies);
    const QImage dots = patternDots(width, height);
    const EscPosSettings settings{EscPosMode(mode), width, true, CashDrawer::None};
    const bool impact = settings.mode == EscPosMode::Impact;
    const testsupport::EscPosDecoding decoded =
        testsupport::decodeEscPos(printing::escPosJob(dots, settings, copies), impact ? 2 : 1);
    QCOMPARE(decoded.error, QString());
    QCOMPARE(decoded.cuts, copies);
    QCOMPARE(decoded.papers.size(), copies);
    for (const QImage& paper : decoded.papers)
        QCOMPARE(testsupport::dotDifference(paper, dots), QString());
    if (impact) {
        QCOMPARE(decoded.columnBandDots.size(), copies * height / 8);
        for (int density : decoded.columnBandDensities)
            QCOMPARE(density, width <= 200 ? 0 : 1);
        QVERIFY(!decoded.columnsFedUnevenly);
    } else {
        QCOMPARE(decoded.rasterBandRows.size(), copies * ((height + 254) / 255));
        for (int rows : decoded.rasterBandRows)
            QVERIFY(rows <= 255);
    }
}

void TestPrintingEscPos::drawsTheReportWithinThePaper_data()
{
    QTest::addColumn<double>("pageWidth");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("dots");
    QTest::addColumn<QString>("longText");
    QTest::addColumn<double>("rowsPerUnit"); // at full size
    QTest::addColumn<double>("leastShare");  // of the full length; the width shrinks it
    QTest::newRow("58 mm thermal") << 219.0 << int(EscPosMode::Raster) << 384 << "" << 8 * 25.4 / 96 << 0.98;
    QTest::newRow("76 mm thermal") << 287.0 << int(EscPosMode::Raster) << 576 << "" << 8 * 25.4 / 96 << 0.98;
    // The 76 mm band (65.9 mm) is wider than the 63.5 mm an impact head reaches: a little smaller.
    QTest::newRow("76 mm impact") << 287.0 << int(EscPosMode::Impact) << 400 << "" << 0.75 << 0.93;
    QTest::newRow("76 mm impact single density") << 287.0 << int(EscPosMode::Impact) << 200 << "" << 0.75 << 0.93;
    QTest::newRow("58 mm, text past the paper's edge")
        << 219.0 << int(EscPosMode::Raster) << 384 << QString(60, QChar(0x5b57)) << 8 * 25.4 / 96 << 0.0;
}

void TestPrintingEscPos::drawsTheReportWithinThePaper()
{
    QFETCH(double, pageWidth);
    QFETCH(int, mode);
    QFETCH(int, dots);
    QFETCH(QString, longText);
    QFETCH(double, rowsPerUnit);
    QFETCH(double, leastShare);
    SmallReport small(pageWidth, longText);
    const EscPosSettings settings{EscPosMode(mode), dots, true, CashDrawer::None};
    const QImage picture = printing::receiptDots(small.rep, settings);
    QCOMPARE(picture.width(), dots);
    const auto [left, right] = testsupport::inkColumns(picture);
    // Whole: no ink on the outermost dots, and the receipt spread over the paper, not a corner.
    QVERIFY2(left >= 1 && right <= dots - 2, qPrintable(QStringLiteral("%1..%2").arg(left).arg(right)));
    QVERIFY2(right - left > dots / 2, qPrintable(QStringLiteral("%1..%2").arg(left).arg(right)));
    // As long as the page, or shrunk with the width when the text reaches past the paper.
    const double full = small.rep.pageLength() * rowsPerUnit;
    if (longText.isEmpty())
        QVERIFY2(picture.height() >= full * leastShare && picture.height() <= full + 8,
                 qPrintable(QStringLiteral("%1 rows for %2").arg(picture.height()).arg(full)));
    else
        QVERIFY2(picture.height() < full * 0.9, qPrintable(QString::number(picture.height())));
    if (settings.mode == EscPosMode::Impact)
        QCOMPARE(picture.height() % 8, 0);
    // Black text on white: a fair share of the dots of a text line are black, none grey.
    int black = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            black += testsupport::blackDot(picture, x, y);
    }
    QVERIFY(black > 200);
}

void TestPrintingEscPos::refusesDotsAPrinterCannotHave_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("dots");
    QTest::newRow("raster, too few") << int(EscPosMode::Raster) << 8;
    QTest::newRow("raster, too many") << int(EscPosMode::Raster) << 5000;
    QTest::newRow("impact, wider than double density") << int(EscPosMode::Impact) << 576;
}

void TestPrintingEscPos::refusesDotsAPrinterCannotHave()
{
    QFETCH(int, mode);
    QFETCH(int, dots);
    SmallReport small(219);
    const EscPosSettings settings{EscPosMode(mode), dots, true, CashDrawer::None};
    try {
        printing::receiptDots(small.rep, settings);
        QFAIL("dots out of range were drawn");
    } catch (const core::Error& error) {
        QVERIFY2(error.message().contains(QString::number(dots)), qPrintable(error.message()));
    }
}

void TestPrintingEscPos::readsTheQueueOptions_data()
{
    QTest::addColumn<bool>("raw");
    QTest::addColumn<Options>("options");
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("dots58");
    QTest::addColumn<int>("dots76");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<int>("drawer");
    const int pdf = int(ReceiptLanguage::Pdf), raster = int(ReceiptLanguage::EscPosRaster),
              impact = int(ReceiptLanguage::EscPosImpact);
    const int none = int(CashDrawer::None);
    QTest::newRow("raw queue") << true << Options{} << raster << 384 << 576 << true << none;
    QTest::newRow("queue with a driver") << false << Options{{"printer-state", "3"}} << pdf << 0 << 0 << true << none;
    QTest::newRow("raw queue of a PDF printer")
        << true << Options{{"receipt-printer", "pdf"}} << pdf << 0 << 0 << true << none;
    QTest::newRow("impact") << true << Options{{"receipt-printer", "escpos-impact"}} << impact << 400 << 400 << true
                            << none;
    QTest::newRow("impact, single density")
        << true << Options{{"receipt-printer", "escpos-impact"}, {"receipt-dots", "200"}} << impact << 200 << 200
        << true << none;
    QTest::newRow("driver queue told ESC/POS, 576 dots, no cutter, drawer")
        << false
        << Options{{"receipt-printer", "escpos-raster"},
                   {"receipt-dots", "576"},
                   {"receipt-cut", "off"},
                   {"receipt-drawer", "pin5"}}
        << raster << 576 << 576 << false << int(CashDrawer::Pin5);
    QTest::newRow("drawer on pin 2, cut on") << true << Options{{"receipt-drawer", "pin2"}, {"receipt-cut", "on"}}
                                             << raster << 384 << 576 << true << int(CashDrawer::Pin2);
}

void TestPrintingEscPos::readsTheQueueOptions()
{
    QFETCH(bool, raw);
    QFETCH(Options, options);
    QFETCH(int, language);
    QFETCH(int, dots58);
    QFETCH(int, dots76);
    QFETCH(bool, cut);
    QFETCH(int, drawer);
    printing::ReceiptPrinter printer;
    printer.queue = "receipt";
    printer.raw = raw;
    printing::readReceiptOptions(printer, options);
    QCOMPARE(int(printer.language), language);
    QCOMPARE(printer.cut, cut);
    QCOMPARE(int(printer.drawer), drawer);
    if (printer.language != ReceiptLanguage::Pdf) {
        QCOMPARE(printer.escPos(false).dots, dots58);
        QCOMPARE(printer.escPos(true).dots, dots76);
        QCOMPARE(printer.escPos(false).mode,
                 printer.language == ReceiptLanguage::EscPosImpact ? EscPosMode::Impact : EscPosMode::Raster);
    }
}

void TestPrintingEscPos::refusesOptionsItCannotUse_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("value");
    QTest::newRow("unknown language") << "receipt-printer"
                                      << "escpos";
    QTest::newRow("dots not a number") << "receipt-dots"
                                       << "wide";
    QTest::newRow("negative dots") << "receipt-dots"
                                   << "-384";
    QTest::newRow("cut yes") << "receipt-cut"
                             << "yes";
    QTest::newRow("drawer pin 3") << "receipt-drawer"
                                  << "pin3";
}

void TestPrintingEscPos::refusesOptionsItCannotUse()
{
    QFETCH(QString, option);
    QFETCH(QString, value);
    printing::ReceiptPrinter printer;
    printer.queue = "receipt";
    printer.raw = true;
    try {
        printing::readReceiptOptions(printer, {{option, value}});
        QFAIL("an option it cannot use was taken");
    } catch (const core::Error& error) {
        for (const QString& part : {QStringLiteral("“receipt”"), option + "=" + value})
            QVERIFY2(error.message().contains(part), qPrintable(error.message()));
    }
}

void TestPrintingEscPos::tellsThePrinterStateInWords_data()
{
    QTest::addColumn<QStringList>("reasons");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("words"); // empty: nothing wrong
    QTest::newRow("nothing") << QStringList{"none"} << "" << QStringList();
    QTest::newRow("busy, not wrong") << QStringList{"cups-waiting-for-job-completed"} << "" << QStringList();
    QTest::newRow("out of paper") << QStringList{"media-empty-error"} << "" << QStringList{"缺纸"};
    QTest::newRow("paper needed") << QStringList{"media-needed-warning"} << "" << QStringList{"缺纸"};
    QTest::newRow("offline") << QStringList{"offline-report"} << "" << QStringList{"脱机"};
    QTest::newRow("cover open and no paper")
        << QStringList{"cover-open-error", "media-empty-error"} << "" << QStringList{"盖子", "缺纸"};
    QTest::newRow("cannot connect") << QStringList{"connecting-to-device"} << "" << QStringList{"连接不上"};
    QTest::newRow("an error without words: CUPS's message")
        << QStringList{"x-vendor-error"} << "Head too hot" << QStringList{"Head too hot"};
}

void TestPrintingEscPos::tellsThePrinterStateInWords()
{
    QFETCH(QStringList, reasons);
    QFETCH(QString, message);
    QFETCH(QStringList, words);
    const QString said = printing::describeReasons(reasons, message);
    QCOMPARE(said.isEmpty(), words.isEmpty());
    for (const QString& word : words)
        QVERIFY2(said.contains(word), qPrintable(said));
}

void TestPrintingEscPos::numbersNeverRepeat_data()
{
    QTest::addColumn<QString>("previous");
    QTest::addColumn<QString>("now");
    QTest::addColumn<QString>("next");
    QTest::newRow("first of the day") << ""
                                      << "20240315093000"
                                      << "20240315093000";
    QTest::newRow("the clock moved on") << "20240315092959"
                                        << "20240315093000"
                                        << "20240315093000";
    QTest::newRow("same second") << "20240315093000"
                                 << "20240315093000"
                                 << "20240315093001";
    QTest::newRow("same second, end of the year") << "20241231235959"
                                                  << "20241231235959"
                                                  << "20250101000000";
    QTest::newRow("clock set back") << "20240315100000"
                                    << "20240315093000"
                                    << "20240315100001";
    QTest::newRow("typed number, not a time") << "12345"
                                              << "20240315093000"
                                              << "20240315093000";
    QTest::newRow("no second after it") << "99991231235959"
                                        << "20240315093000"
                                        << "20240315093000";
}

void TestPrintingEscPos::numbersNeverRepeat()
{
    QFETCH(QString, previous);
    QFETCH(QString, now);
    QFETCH(QString, next);
    QCOMPARE(printing::nextReceiptNumber(previous, QDateTime::fromString(now, "yyyyMMddHHmmss")), next);
}

void TestPrintingEscPos::quickSalesGetDifferentNumbers()
{
    QStringList numbers;
    QString previous;
    const QDateTime now = QDateTime::currentDateTime();
    for (int sale = 0; sale < 5; ++sale) {
        previous = printing::nextReceiptNumber(previous, now);
        numbers << previous;
    }
    QCOMPARE(numbers.removeDuplicates(), 0);
    QStringList sorted = numbers;
    sorted.sort();
    QCOMPARE(numbers, sorted);
}

QTEST_MAIN(TestPrintingEscPos)
#include "test_printing_escpos.moc"
