#include "printing/Code128.h"
#include "printing/Dy58Unit.h"
#include "printing/Dy76Unit.h"
#include "printing/EscPos.h"
#include "printing/Reprint.h"
#include "support/PrintCapture.h"
#include "support/PrintingQueue.h"
#include "support/PrintingSale.h"
#include "support/RecordsHistory.h"
#include "support/TestDatabase.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <zbar.h>

using namespace zbar;

using testsupport::TestDatabase;
using testsupport::textsOf;

namespace {

const QString Number = QStringLiteral("20261208153012");

// What libzbar reads off a picture: the Code 128 symbols' texts.
QStringList readCode128(const QImage& picture)
{
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    QByteArray data;
    for (int y = 0; y < grey.height(); ++y)
        data.append(reinterpret_cast<const char*>(grey.constScanLine(y)), grey.width());
    zbar_image_scanner_t* scanner = zbar_image_scanner_create();
    zbar_image_scanner_set_config(scanner, ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
    zbar_image_scanner_set_config(scanner, ZBAR_CODE128, ZBAR_CFG_ENABLE, 1);
    zbar_image_t* image = zbar_image_create();
    zbar_image_set_format(image, zbar_fourcc('Y', '8', '0', '0'));
    zbar_image_set_size(image, unsigned(grey.width()), unsigned(grey.height()));
    zbar_image_set_data(image, data.constData(), unsigned(data.size()), nullptr);
    QStringList texts;
    if (zbar_scan_image(scanner, image) > 0) {
        for (const zbar_symbol_t* symbol = zbar_image_first_symbol(image); symbol;
             symbol = zbar_symbol_next(symbol))
            texts << QString::fromUtf8(zbar_symbol_get_data(symbol));
    }
    zbar_image_destroy(image);
    zbar_image_scanner_destroy(scanner);
    return texts;
}

QImage drawModules(const QString& modules, int pixels)
{
    QImage picture(int(modules.size()) * pixels, 60, QImage::Format_Grayscale8);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    for (qsizetype i = 0; i < modules.size(); ++i) {
        if (modules.at(i) == QLatin1Char('1'))
            painter.fillRect(int(i) * pixels, 5, pixels, 50, Qt::black);
    }
    return picture;
}

// The narrowest run of black dots across the row: one module of the bars.
int narrowestBar(const QImage& dots, int y)
{
    int narrowest = dots.width();
    int run = 0;
    for (int x = 0; x <= dots.width(); ++x) {
        if (x < dots.width() && printing::isBlack(dots, x, y)) {
            ++run;
        } else if (run > 0) {
            narrowest = std::min(narrowest, run);
            run = 0;
        }
    }
    return narrowest;
}

// A row through the bars: the first of 40 rows alike (bars of about 80 dots high) with many
// dark/light changes, which no line of text is.
int barsRow(const QImage& dots)
{
    const auto changes = [&](int y) {
        int count = 0;
        for (int x = 1; x < dots.width(); ++x)
            count += printing::isBlack(dots, x, y) != printing::isBlack(dots, x - 1, y);
        return count;
    };
    const qsizetype bytes = dots.bytesPerLine();
    for (int y = 0; y + 40 < dots.height(); ++y) {
        bool alike = changes(y) > 40;
        for (int below = y + 1; alike && below <= y + 40; ++below)
            alike = std::memcmp(dots.constScanLine(y), dots.constScanLine(below), size_t(bytes)) == 0;
        if (alike)
            return y;
    }
    return -1;
}

QImage pdfPage(const QString& pdf, int dpi)
{
    const QString prefix = pdf + QStringLiteral(".page");
    const testsupport::ToolRun run = testsupport::runTool(
        QStringLiteral("pdftoppm"), {"-r", QString::number(dpi), "-gray", "-png", "-singlefile", pdf, prefix});
    if (run.exitCode != 0)
        qWarning("pdftoppm: %s", qPrintable(run.output));
    return QImage(prefix + QStringLiteral(".png"));
}

} // namespace

class TestPrintingBarcode : public QObject
{
    Q_OBJECT

private slots:
    void encodesCode128_data();
    void encodesCode128();
    void zbarReadsEverySymbolValue_data();
    void zbarReadsEverySymbolValue();
    void receiptCarriesItsNumberAsABarcode_data();
    void receiptCarriesItsNumberAsABarcode();
    void numberWithoutBarsStillPrints();
};

void TestPrintingBarcode::encodesCode128_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("values");
    // Start C, seven pairs, check (105 + 1×20 + 2×24 + 3×3 + 4×15 + 5×9 + 6×30 + 7×0 = 467; 467 mod 103 = 55).
    QTest::newRow("receipt number, all code set C")
        << "20240315093000" << QList<int>{105, 20, 24, 3, 15, 9, 30, 0, 55, 106};
    // Start B, T, H, change to C, the pairs; check 1198 mod 103 = 65.
    QTest::newRow("return slip, B then C")
        << "TH20240315093000" << QList<int>{104, 52, 40, 99, 20, 24, 3, 15, 9, 30, 0, 65, 106};
    // Odd digits: the first in B, then C; check (104 + 17 + 2×99 + 3×23 + 4×45) mod 103 = 568 mod 103 = 53.
    QTest::newRow("odd digits") << "12345" << QList<int>{104, 17, 99, 23, 45, 53, 106};
    // Three digits in the middle stay in B: (104 + 33 + 2×17 + 3×18 + 4×19 + 5×34) mod 103 = 471 mod 103 = 59.
    QTest::newRow("short digits in B") << "A123B" << QList<int>{104, 33, 17, 18, 19, 34, 59, 106};
    QTest::newRow("empty") << "" << QList<int>{};
    QTest::newRow("Chinese") << "单号20240315093000" << QList<int>{};
    QTest::newRow("control character") << "2024\t0315" << QList<int>{};
}

void TestPrintingBarcode::encodesCode128()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, values);
    const std::optional<printing::Code128Symbol> symbol = printing::encodeCode128(text);
    if (values.isEmpty()) {
        QVERIFY(!symbol);
        QCOMPARE(printing::code128Modules(text), QString());
        return;
    }
    QVERIFY(symbol);
    QCOMPARE(symbol->values, values);
    // 11 modules a symbol, 13 for the stop, quiet zones of 10.
    QCOMPARE(symbol->modules.size(), 20 + 11 * (values.size() - 1) + 13);
    const QString quiet(10, '0');
    const QString start = values.first() == 105 ? "11010011100" : "11010010000";
    QVERIFY(symbol->modules.startsWith(quiet + start));
    QVERIFY(symbol->modules.endsWith("1100011101011" + quiet));
}

void TestPrintingBarcode::zbarReadsEverySymbolValue_data()
{
    QTest::addColumn<QString>("text");
    QString pairs;
    for (int i = 0; i < 100; ++i)
        pairs += QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
    QString ascii;
    for (char c = ' '; c <= '~'; ++c)
        ascii += QLatin1Char(c);
    QTest::newRow("every pair of digits") << pairs;
    QTest::newRow("printable ASCII") << ascii;
    QTest::newRow("return slip") << "TH20240315093000";
    QTest::newRow("digits between letters") << "AB123456CD";
}

void TestPrintingBarcode::zbarReadsEverySymbolValue()
{
    QFETCH(QString, text);
    QCOMPARE(readCode128(drawModules(printing::code128Modules(text), 2)), QStringList{text});
}

void TestPrintingBarcode::receiptCarriesItsNumberAsABarcode_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<bool>("reprint");
    QTest::addColumn<int>("dotsPerModule");
    QTest::newRow("58 mm sale") << "58" << false << 2;
    QTest::newRow("76 mm sale") << "76" << false << 3;
    QTest::newRow("58 mm reprint") << "58" << true << 2;
    QTest::newRow("76 mm reprint, customer and phone") << "76" << true << 3;
}

void TestPrintingBarcode::receiptCarriesItsNumberAsABarcode()
{
    QFETCH(QString, layout);
    QFETCH(bool, reprint);
    QFETCH(int, dotsPerModule);
    TestDatabase db;
    db.exec("UPDATE dynr SET 店名 = 'Quorvel便利店', 备注 = '谢谢惠顾'");
    TDy58Form dy58;
    TDy76Form dy76;
    QTemporaryDir folder;
    printing::PrintCapture capture(folder.path());
    capture.keepDots({printing::EscPosMode::Raster, 0, true, printing::CashDrawer::None});

    printing::SaleToPrint sale = testsupport::sampleSale();
    sale.layout = layout;
    sale.customer = sale.phone = reprint && layout == "76";
    sale.remark = QStringLiteral("谢谢惠顾");
    if (reprint) {
        testsupport::addHistory(db, {{Number}}, {testsupport::lineOf(Number, "苹果")});
        printing::reprintSale(Number, sale, dy58, dy76);
    } else {
        testsupport::PrintingMain main;
        testsupport::addSaleLines(db, Number, "2026-12-08 15:30:12", {{"苹果", "12.5", "2", "25", "25"}});
        sale.number = Number;
        printing::printAndRecord(sale, dy58, dy76, main.connection, main.saleLines, main.history, main.historyLines);
    }

    QCOMPARE(capture.jobs().size(), 1);
    const printing::CapturedJob job = capture.jobs().first();
    // The number beneath the bars, without a reprint's mark.
    QCOMPARE(textsOf(job.drawn, job.reportName == "QuickRep3" ? "Barcode3" : "Barcode1"), QStringList{Number});
    QCOMPARE(job.dots.width(), layout == "58" ? 384 : 576);
    QCOMPARE(readCode128(job.dots), QStringList{Number});
    const int bars = barsRow(job.dots);
    QVERIFY(bars >= 0);
    QCOMPARE(narrowestBar(job.dots, bars), dotsPerModule);
    // The remark stays below the bars and inside the paper.
    const QList<report::DrawnText> drawn = job.drawn;
    const auto remark = std::find_if(drawn.begin(), drawn.end(),
                                     [](const report::DrawnText& text) { return text.text == "谢谢惠顾"; });
    const auto number = std::find_if(drawn.begin(), drawn.end(),
                                     [](const report::DrawnText& text) { return text.element.startsWith("Barcode"); });
    QVERIFY(remark != drawn.end() && number != drawn.end());
    QVERIFY(remark->position.y() > number->position.y() + 10);
    QVERIFY(remark->position.y() + 12 < job.pageLength - report::millimetresToUnits(10));

    for (int dpi : {203, 300})
        QCOMPARE(readCode128(pdfPage(job.pdfPath, dpi)), QStringList{Number});
}

void TestPrintingBarcode::numberWithoutBarsStillPrints()
{
    // An administrator may type any number; one without bars, or too long for the paper, prints as text.
    TestDatabase db;
    TDy58Form dy58;
    TDy76Form dy76;
    printing::PrintCapture capture;
    capture.keepDots({printing::EscPosMode::Raster, 0, true, printing::CashDrawer::None});
    testsupport::PrintingMain main;
    for (const QString& number : QStringList{QStringLiteral("二〇二六号"), QString(50, QLatin1Char('W'))}) {
        testsupport::addSaleLines(db, number, "2026-12-08 15:30:12", {{"苹果", "1", "1", "1", "1"}});
        printing::SaleToPrint sale = testsupport::sampleSale();
        sale.number = number;
        printing::printAndRecord(sale, dy58, dy76, main.connection, main.saleLines, main.history, main.historyLines);
        const printing::CapturedJob job = capture.jobs().last();
        QCOMPARE(textsOf(job.drawn, "Barcode1"), QStringList{number});
        QCOMPARE(readCode128(job.dots), QStringList());
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM xstj WHERE 单号 = '%1'").arg(number)), "1");
    }
}

QTEST_MAIN(TestPrintingBarcode)
#include "test_printing_barcode.moc"
