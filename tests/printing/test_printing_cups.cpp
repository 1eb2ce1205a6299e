// End to end: receipts printed through the system's print spooler to a network receipt printer,
// played by this test listening on a local port. Needs a running cupsd and the right to add a
// queue; skips with the reason otherwise.

#include "core/Error.h"
#include "printing/Dy58Unit.h"
#include "printing/Dy76Unit.h"
#include "printing/EscPos.h"
#include "printing/PrintRun.h"
#include "store/Catalogue.h"
#include "support/EscPosDecoder.h"
#include "support/PrintCapture.h"
#include "support/PrintingQueue.h"
#include "support/PrintingSale.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <optional>

using testsupport::pdfPageSizeInPoints;
using testsupport::pdfText;
using testsupport::runTool;
using testsupport::TestDatabase;

namespace {

constexpr int JobTimeoutMs = 60000;

const QList<testsupport::SaleLine> ThreeLines = {
    {"苹果", "12.5", "1", "12.5", "12.5"}, {"大米", "3", "2", "6", "5.4"}, {"矿泉水", "2", "3", "6", "6"}};

QList<testsupport::SaleLine> manyLines(int count)
{
    QList<testsupport::SaleLine> lines;
    for (int i = 1; i <= count; ++i)
        lines.append({QStringLiteral("商品%1").arg(i), "1.5", "2", "3", "3"});
    return lines;
}

printing::SaleToPrint cupsSale(const QString& layout, const QString& copies)
{
    printing::SaleToPrint sale = testsupport::sampleSale();
    sale.layout = layout;
    sale.copies = copies;
    sale.cashier = "王小明";
    sale.remark = "谢谢惠顾\n欢迎下次光临";
    return sale;
}

// The shop's side of a print run: a file holding the sale and the windows that print it.
struct CupsShop
{
    TestDatabase db;
    std::optional<testsupport::PrintingMain> main;
    std::optional<TDy58Form> dy58;
    std::optional<TDy76Form> dy76;
    QList<testsupport::SaleLine> lines;

    explicit CupsShop(const QList<testsupport::SaleLine>& saleLines) : lines(saleLines)
    {
        db.exec("UPDATE dynr SET 店名 = 'Quorvel便利店', 备注 = '谢谢惠顾' || char(10) || '欢迎下次光临'");
        main.emplace();
        dy58.emplace();
        dy76.emplace();
        enterSale();
    }

    void enterSale()
    {
        testsupport::addSaleLines(db, "20240315093000", "2024-03-15 09:30:00", lines);
        main->saleLines.requery(store::sql::SelectXsxx);
    }

    QString run(const printing::SaleToPrint& sale)
    {
        return printing::printAndRecord(sale, *dy58, *dy76, main->connection, main->saleLines, main->history,
                                        main->historyLines);
    }

    QString count(const QString& table) const { return db.scalar("SELECT count(*) FROM " + table); }
};

} // namespace

class TestPrintingCups : public QObject
{
    Q_OBJECT

private slots:
    void printsPdfReceiptsToANetworkPrinter();
    void printsEscPosOnARawQueue_data();
    void printsEscPosOnARawQueue();
    void givesAQueueWithADriverThePdf();
    void refusesAStoppedQueueBeforeRecording_data();
    void refusesAStoppedQueueBeforeRecording();
    void tellsWhyAReceiptIsStillWaiting();
};

void TestPrintingCups::printsEscPosOnARawQueue_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("copies");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("dots");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<int>("drawer");
    const int raster = int(printing::EscPosMode::Raster), impact = int(printing::EscPosMode::Impact);
    const int none = int(printing::CashDrawer::None);
    QTest::newRow("58 mm, no option, two copies") << "58" << QStringList() << "2" << 3 << raster << 384 << true << none;
    QTest::newRow("76 mm, no option") << "76" << QStringList() << "1" << 3 << raster << 576 << true << none;
    QTest::newRow("58 mm, a 60-line sale") << "58" << QStringList() << "1" << 60 << raster << 384 << true << none;
    QTest::newRow("76 mm impact") << "76" << QStringList{"-o", "receipt-printer-default=escpos-impact"} << "2" << 3
                                  << impact << 400 << true << none;
    QTest::newRow("76 mm impact, single density")
        << "76" << QStringList{"-o", "receipt-printer-default=escpos-impact", "-o", "receipt-dots-default=200"} << "1"
        << 3 << impact << 200 << true << none;
    QTest::newRow("58 mm, no cutter, drawer on pin 5")
        << "58" << QStringList{"-o", "receipt-cut-default=off", "-o", "receipt-drawer-default=pin5"} << "2" << 3
        << raster << 384 << false << int(printing::CashDrawer::Pin5);
    QTest::newRow("58 mm layout on an 80 mm printer, drawer on pin 2")
        << "58" << QStringList{"-o", "receipt-dots-default=576", "-o", "receipt-drawer-default=pin2"} << "1" << 3
        << raster << 576 << true << int(printing::CashDrawer::Pin2);
}

void TestPrintingCups::printsEscPosOnARawQueue()
{
    QFETCH(QString, layout);
    QFETCH(QStringList, options);
    QFETCH(QString, copies);
    QFETCH(int, lines);
    QFETCH(int, mode);
    QFETCH(int, dots);
    QFETCH(bool, cut);
    QFETCH(int, drawer);
    testsupport::PrintingQueue queue(QStringLiteral("quorvel_escpos"), options);
    if (!queue.unavailable().isEmpty())
        QSKIP(qPrintable(queue.unavailable()));
    CupsShop shop(lines == 3 ? ThreeLines : manyLines(lines));
    const printing::SaleToPrint sale = cupsSale(layout, copies);

    // The receipt as the report draws it on a 1-bit image of those dots.
    QImage expected;
    {
        printing::PrintCapture capture;
        capture.keepDots({printing::EscPosMode(mode), dots, cut, printing::CashDrawer(drawer)});
        shop.run(sale);
        QCOMPARE(capture.jobs().size(), copies.toInt());
        expected = capture.jobs().first().dots;
        shop.enterSale();
    }

    QCOMPARE(shop.run(sale), QString());
    QCOMPARE(shop.count("xsxx"), QStringLiteral("0"));
    QCOMPARE(shop.count("xstj"), QStringLiteral("2"));
    const QByteArray job = queue.printer().receiveJob(JobTimeoutMs);
    QVERIFY2(!job.isEmpty(), "no job arrived");
    QVERIFY2(queue.printer().receiveJob(1000).isEmpty(), "the copies went out as more than one job");

    const bool impact = printing::EscPosMode(mode) == printing::EscPosMode::Impact;
    const testsupport::EscPosDecoding decoded = testsupport::decodeEscPos(job, impact ? 2 : 1);
    QCOMPARE(decoded.error, QString());
    QVERIFY(decoded.commands.startsWith('@'));
    QCOMPARE(decoded.initialisations, 1);
    QCOMPARE(decoded.papers.size(), copies.toInt());
    QCOMPARE(decoded.cuts, cut ? copies.toInt() : 0);
    QCOMPARE(decoded.tearFeeds, cut ? 0 : copies.toInt());
    for (const QImage& paper : decoded.papers)
        QCOMPARE(testsupport::dotDifference(paper, expected), QString());

    QCOMPARE(expected.width(), dots);
    if (impact) {
        QVERIFY(decoded.rasterBandRows.isEmpty());
        for (int i = 0; i < decoded.columnBandDots.size(); ++i) {
            QCOMPARE(decoded.columnBandDots[i], dots);
            QCOMPARE(decoded.columnBandDensities[i], dots <= 200 ? 0 : 1);
        }
        QVERIFY(!decoded.columnsFedUnevenly);
    } else {
        QVERIFY(decoded.columnBandDots.isEmpty());
        for (int i = 0; i < decoded.rasterBandRows.size(); ++i) {
            QVERIFY(decoded.rasterBandRows[i] <= 255);
            QCOMPARE(decoded.rasterBandDots[i], dots);
        }
        if (lines == 60)
            QVERIFY(decoded.rasterBandRows.size() > 4);
    }
    QCOMPARE(decoded.drawerPulses.size(), drawer == int(printing::CashDrawer::None) ? 0 : 1);
    if (!decoded.drawerPulses.isEmpty()) {
        QCOMPARE(int(decoded.drawerPulses.first().at(0)), drawer == int(printing::CashDrawer::Pin2) ? 0 : 1);
        QVERIFY(decoded.commands.endsWith('p'));
    }

    // Whole on the paper: no ink on the outermost dots, centred, as wide as the receipt's band.
    const auto [left, right] = testsupport::inkColumns(expected);
    QVERIFY2(left >= 1 && right <= dots - 2 && std::abs(left - (dots - 1 - right)) <= dots / 20 &&
                 right - left > 300 * dots / 576,
             qPrintable(QStringLiteral("ink from %1 to %2 of %3").arg(left).arg(right).arg(dots)));

    // A picture for a person to look at, beside the test's build output.
    const QString name = QString(QTest::currentDataTag()).replace(QRegularExpression("[^0-9A-Za-z]+"), "_");
    QVERIFY(testsupport::savePicture(decoded.papers.first(), QStringLiteral(QUORVEL_BINARY_DIR) +
                                                                 "/test_printing_cups_escpos_" + name + ".png"));
}

void TestPrintingCups::givesAQueueWithADriverThePdf()
{
    // CUPS's own generic PostScript driver: the job reaches the printer as PostScript made from our PDF.
    testsupport::PrintingQueue queue(QStringLiteral("quorvel_driver"), {"-m", "drv:///sample.drv/generic.ppd"});
    if (!queue.unavailable().isEmpty())
        QSKIP(qPrintable(queue.unavailable()));
    CupsShop shop(ThreeLines);
    QCOMPARE(shop.run(cupsSale("58", "1")), QString());
    QCOMPARE(shop.count("xstj"), QStringLiteral("1"));
    const QByteArray job = queue.printer().receiveJob(JobTimeoutMs);
    QVERIFY2(job.contains("%!PS"), job.left(200).constData());
    QVERIFY(!job.startsWith("\x1b@"));
}

void TestPrintingCups::refusesAStoppedQueueBeforeRecording_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("undo");
    QTest::newRow("stopped") << "cupsdisable"
                             << "纸卷用完，请换纸"
                             << "已停止"
                             << "cupsenable";
    QTest::newRow("not accepting jobs") << "cupsreject"
                                        << "盘点中"
                                        << "不接受打印任务"
                                        << "cupsaccept";
}

void TestPrintingCups::refusesAStoppedQueueBeforeRecording()
{
    QFETCH(QString, tool);
    QFETCH(QString, reason);
    QFETCH(QString, said);
    QFETCH(QString, undo);
    testsupport::PrintingQueue queue(QStringLiteral("quorvel_stopped"));
    if (!queue.unavailable().isEmpty())
        QSKIP(qPrintable(queue.unavailable()));
    const testsupport::ToolRun stopped = testsupport::runCupsTool(tool, {"-r", reason, queue.name()});
    QVERIFY2(stopped.exitCode == 0, qPrintable(stopped.output));
    CupsShop shop(ThreeLines);
    try {
        shop.run(cupsSale("58", "1"));
        QFAIL("a receipt went to a queue that cannot print it");
    } catch (const core::Error& error) {
        for (const QString& part : {"“" + queue.name() + "”", said, reason, undo})
            QVERIFY2(error.message().contains(part), qPrintable(error.message()));
    }
    QCOMPARE(shop.count("xsxx"), QStringLiteral("3"));
    QCOMPARE(shop.count("xstj"), QStringLiteral("0"));
    QCOMPARE(shop.count("xsmx"), QStringLiteral("0"));
    QVERIFY(queue.printer().receiveJob(1000).isEmpty());

    // Back in order, the same sale prints and is recorded.
    QCOMPARE(testsupport::runCupsTool(undo, {queue.name()}).exitCode, 0);
    QCOMPARE(shop.run(cupsSale("58", "1")), QString());
    QCOMPARE(shop.count("xstj"), QStringLiteral("1"));
    QVERIFY(!queue.printer().receiveJob(JobTimeoutMs).isEmpty());
}

void TestPrintingCups::tellsWhyAReceiptIsStillWaiting()
{
    // A printer switched off: nothing listens where the queue sends its jobs.
    int deadPort = 0;
    {
        testsupport::PrintingJobReceiver gone;
        deadPort = gone.port();
    }
    testsupport::PrintingQueue queue(QStringLiteral("quorvel_offline"),
                                     {"-v", QStringLiteral("socket://127.0.0.1:%1").arg(deadPort)});
    if (!queue.unavailable().isEmpty())
        QSKIP(qPrintable(queue.unavailable()));
    CupsShop shop(ThreeLines);
    const QString notice = shop.run(cupsSale("58", "1"));
    for (const QString& part : {"“" + queue.name() + "”", QStringLiteral("等候"), QStringLiteral("已记入销售记录")})
        QVERIFY2(notice.contains(part), qPrintable(notice));
    // Why, in words: CUPS reports the printer cannot be reached.
    QVERIFY2(notice.contains(QStringLiteral("连接不上打印机")), qPrintable(notice));
    // Recorded all the same: the job prints once the printer is back.
    QCOMPARE(shop.count("xsxx"), QStringLiteral("0"));
    QCOMPARE(shop.count("xstj"), QStringLiteral("1"));
    QCOMPARE(shop.count("xsmx"), QStringLiteral("3"));
}

void TestPrintingCups::printsPdfReceiptsToANetworkPrinter()
{
    for (const QString tool : {"cupsreject", "cupsaccept", "pdftoppm"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty() &&
            QStandardPaths::findExecutable(tool, {"/usr/sbin", "/sbin"}).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed (cups-client, poppler-utils)").arg(tool)));
    }
    // A printer that takes PDF itself: told so by the queue's option.
    testsupport::PrintingQueue queue(QStringLiteral("quorvel_test"), {"-o", "receipt-printer-default=pdf"});
    if (!queue.unavailable().isEmpty())
        QSKIP(qPrintable(queue.unavailable()));
    const QString Queue = queue.name();
    testsupport::PrintingJobReceiver& printer = queue.printer();
    QCOMPARE(QPrinterInfo::defaultPrinter().printerName(), Queue);

    TestDatabase db;
    db.exec("UPDATE dynr SET 店名 = 'Quorvel便利店', 备注 = '谢谢惠顾' || char(10) || '欢迎下次光临'");
    testsupport::addSaleLines(
        db, "20240315093000", "2024-03-15 09:30:00",
        {{"苹果", "12.5", "1", "12.5", "12.5"}, {"大米", "3", "2", "6", "5.4"}, {"矿泉水", "", "", "", ""}});
    testsupport::PrintingMain main;
    TDy58Form dy58;
    TDy76Form dy76;

    printing::SaleToPrint sale = testsupport::sampleSale();
    sale.copies = "2";
    sale.cashier = "王小明";
    sale.remark = "谢谢惠顾\n欢迎下次光临";
    sale.totalQuantity = "3";
    sale.totalAmount = "18.5";
    sale.totalDue = "17.9";
    sale.received = "20";
    sale.change = "2.1";

    // A queue that refuses jobs is a failed print: nothing is recorded and the sale stays.
    QCOMPARE(runTool(QStringLiteral("cupsreject"), {Queue}).exitCode, 0);
    try {
        printing::printAndRecord(sale, dy58, dy76, main.connection, main.saleLines, main.history, main.historyLines);
        QFAIL("a refused job was taken for a printed receipt");
    } catch (const core::Error& error) {
        QVERIFY2(error.message().contains(Queue), qPrintable(error.message()));
    }
    QCOMPARE(db.scalar("SELECT count(*) FROM xsxx"), QStringLiteral("3"));
    QCOMPARE(db.scalar("SELECT count(*) FROM xstj"), QStringLiteral("0"));
    QCOMPARE(runTool(QStringLiteral("cupsaccept"), {Queue}).exitCode, 0);

    printing::printAndRecord(sale, dy58, dy76, main.connection, main.saleLines, main.history, main.historyLines);
    QCOMPARE(db.scalar("SELECT count(*) FROM xstj"), QStringLiteral("1"));
    QCOMPARE(db.scalar("SELECT count(*) FROM xsmx"), QStringLiteral("3"));
    QCOMPARE(db.scalar("SELECT count(*) FROM xsxx"), QStringLiteral("0"));

    QTemporaryDir received;
    QStringList pdfs;
    for (int copy = 1; copy <= 2; ++copy) {
        const QByteArray job = printer.receiveJob(JobTimeoutMs);
        QVERIFY2(job.startsWith("%PDF-"), qPrintable(QStringLiteral("copy %1 did not arrive as a PDF").arg(copy)));
        const QString path = received.filePath(QStringLiteral("copy%1.pdf").arg(copy));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(job);
        file.close();
        pdfs << path;
    }
    QVERIFY2(printer.receiveJob(2000).isEmpty(), "more jobs than copies");

    // 219 × 461 layout units: 57.94 mm wide, 17 × 2 + 300 + 25 × 3 long and the bar code's 52.
    for (const QString& pdf : pdfs) {
        const QSizeF page = pdfPageSizeInPoints(pdf);
        QVERIFY2(std::abs(page.width() - 219 * 0.75) <= 1, qPrintable(QString::number(page.width())));
        QVERIFY2(std::abs(page.height() - 461 * 0.75) <= 1, qPrintable(QString::number(page.height())));
    }

    const QString receipt = pdfText(pdfs[0]);
    QVERIFY(!receipt.isEmpty());
    for (const QString expected :
         {"收银员:王小明", "Quorvel便利店", "单号:20240315093000", "时间:2024-03-15 09:30:00", "品名", "单价", "数量",
          "金额", "苹果", "大米", "矿泉水", "应收金额:17.9", "实收金额:20", "找零金额:2.1", "谢谢惠顾", "欢迎下次光临"})
        QVERIFY2(QString(receipt).remove(' ').contains(expected.normalized(QString::NormalizationForm_KC).remove(' ')),
                 qPrintable(expected + "\n" + receipt));
    const QStringList lines = receipt.split('\n');
    const auto lineWith = [&](const QString& start) {
        for (const QString& line : lines) {
            if (line.trimmed().startsWith(start))
                return line.simplified();
        }
        return QString();
    };
    QCOMPARE(lineWith("12.50"), QStringLiteral("12.50 1.00 12.50"));
    QCOMPARE(lineWith("3.00"), QStringLiteral("3.00 2.00 5.40"));
    QCOMPARE(lineWith("0.00"), QStringLiteral("0.00 0.00 0.00"));
    QCOMPARE(lineWith("合计"), QStringLiteral("合计: 3 17.9"));
    QCOMPARE(pdfText(pdfs[1]), receipt);

    // A picture of the receipt for a person to look at, beside the test's build output.
    const QString picture = QStringLiteral(QUORVEL_BINARY_DIR) + QStringLiteral("/test_printing_cups_receipt");
    const testsupport::ToolRun rendered =
        runTool(QStringLiteral("pdftoppm"), {"-png", "-r", "200", "-singlefile", pdfs[0], picture});
    QVERIFY2(rendered.exitCode == 0 && QFile::exists(picture + ".png"), qPrintable(rendered.output));
    QFile::remove(picture + ".pdf");
    QFile::copy(pdfs[0], picture + ".pdf");
}

QTEST_MAIN(TestPrintingCups)
#include "test_printing_cups.moc"
