// End to end: receipts printed through the system's print spooler to a network receipt printer,
// played by this test listening on a local port. Needs a running cupsd and the right to add a
// queue; skips with the reason otherwise.

#include "printing/Dy58Unit.h"
#include "printing/Dy76Unit.h"
#include "printing/PrintRun.h"
#include "store/Error.h"
#include "support/PrintingQueue.h"
#include "support/PrintingSale.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using testsupport::pdfPageSizeInPoints;
using testsupport::pdfText;
using testsupport::runTool;
using testsupport::TestDatabase;

namespace {

const QString Queue = QStringLiteral("quorvel_test");
constexpr int JobTimeoutMs = 60000;

} // namespace

class CupsTest : public QObject
{
    Q_OBJECT

private slots:
    void printsReceiptsToANetworkPrinter();
};

void CupsTest::printsReceiptsToANetworkPrinter()
{
    for (const QString tool : {"cupsreject", "cupsaccept", "pdftoppm"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty() &&
            QStandardPaths::findExecutable(tool, {"/usr/sbin", "/sbin"}).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed (cups-client, poppler-utils)").arg(tool)));
    }
    testsupport::PrintingQueue queue(Queue);
    if (!queue.unavailable().isEmpty())
        QSKIP(qPrintable(queue.unavailable()));
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
    } catch (const store::Error& error) {
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

    // 219 × 409 layout units: 57.94 mm wide, 17 × 2 + 300 + 25 × 3 long.
    for (const QString& pdf : pdfs) {
        const QSizeF page = pdfPageSizeInPoints(pdf);
        QVERIFY2(std::abs(page.width() - 219 * 0.75) <= 1, qPrintable(QString::number(page.width())));
        QVERIFY2(std::abs(page.height() - 409 * 0.75) <= 1, qPrintable(QString::number(page.height())));
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

QTEST_MAIN(CupsTest)
#include "test_printing_cups.moc"
