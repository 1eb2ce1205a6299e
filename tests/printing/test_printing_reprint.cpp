#include "core/Error.h"
#include "printing/Dy58Unit.h"
#include "printing/Dy76Unit.h"
#include "printing/Reprint.h"
#include "records/XsmxUnit.h"
#include "records/XstjUnit.h"
#include "shell/Forms.h"
#include "shell/MainUnit.h"
#include "support/Controls.h"
#include "support/PrintCapture.h"
#include "support/PrintingQueue.h"
#include "support/PrintingSale.h"
#include "support/RecordsHistory.h"
#include "support/ShellFixture.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::control;
using testsupport::HistoryLine;
using testsupport::HistorySale;
using testsupport::TestDatabase;
using testsupport::textsOf;

namespace {

const QString Number = QStringLiteral("20261208153012");

// A three-line sale as the print run records it, beside another sale and a sale whose number
// holds this one's (only the exact number is reprinted).
void recordSales(const TestDatabase& db)
{
    db.exec("UPDATE dynr SET 店名 = '好又多超市', 备注 = '谢谢惠顾'");
    const auto line = [](const QString& number, const QString& goods, const QString& price, const QString& quantity,
                         const QString& amount, const QString& discounted) {
        HistoryLine l = testsupport::lineOf(number, goods);
        l.price = price;
        l.quantity = quantity;
        l.amount = amount;
        l.discounted = discounted;
        l.customer = QStringLiteral("李女士");
        l.phone = QStringLiteral("13800138000");
        return l;
    };
    testsupport::addHistory(
        db,
        {{QStringLiteral("20261208100000"), "2026-12-08 10:00:00", "1", "9", "9", "admin"},
         {Number, "2026-12-08 15:30:12", "4.5", "41.5", "38.85", "张三"},
         {Number + "1", "2026-12-08 15:40:00", "1", "7", "7", "admin"}},
        {line("20261208100000", "面包", "9", "1", "9", "9"),
         line(Number, "苹果", "12.5", "2", "25", "22.5"),
         line(Number, "牛奶", "6", "2", "12", "12"),
         line(Number, "鸡蛋", "9", "0.5", "4.5", "4.35"),
         line(Number + "1", "香蕉", "7", "1", "7", "7")});
}

// The whole history and the open sale, to show that a reprint changes none of it.
QStringList everything(const TestDatabase& db)
{
    return db.rows("SELECT 'xstj', * FROM xstj") + db.rows("SELECT 'xsmx', * FROM xsmx") +
           db.rows("SELECT 'xsxx', * FROM xsxx");
}

printing::SaleToPrint settings(const QString& layout, const QString& copies, bool customer, bool phone)
{
    printing::SaleToPrint sale;
    sale.layout = layout;
    sale.copies = copies;
    sale.customer = customer;
    sale.phone = phone;
    sale.remark = QStringLiteral("谢谢惠顾");
    return sale;
}

} // namespace

class TestPrintingReprint : public QObject
{
    Q_OBJECT

private slots:
    void printsTheRecordedSaleMarkedAsReprint_data();
    void printsTheRecordedSaleMarkedAsReprint();
    void refusesWhatCannotBeReprinted_data();
    void refusesWhatCannotBeReprinted();
    void anyUserReprintsFromTheListAndTheDetail();
    void reprintComesOutOfAReceiptPrinterQueue();
};

void TestPrintingReprint::printsTheRecordedSaleMarkedAsReprint_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("copies");
    QTest::addColumn<bool>("customer");
    QTest::addColumn<bool>("phone");
    QTest::addColumn<QString>("reportName");
    QTest::newRow("58 mm, plain") << "58" << "1" << false << false << "QuickRep1";
    QTest::newRow("58 mm, customer, two copies") << "58" << "2" << true << false << "QuickRep2";
    QTest::newRow("76 mm, customer and phone") << "76" << "1" << true << true << "QuickRep3";
}

void TestPrintingReprint::printsTheRecordedSaleMarkedAsReprint()
{
    QFETCH(QString, layout);
    QFETCH(QString, copies);
    QFETCH(bool, customer);
    QFETCH(bool, phone);
    QFETCH(QString, reportName);
    TestDatabase db;
    recordSales(db);
    // A sale being entered meanwhile is neither printed nor touched.
    testsupport::addSaleLines(db, "20261209090000", "2026-12-09 09:00:00", {{"西瓜", "20", "1", "20", "20"}});
    const QStringList before = everything(db);
    TDy58Form dy58;
    TDy76Form dy76;
    printing::PrintCapture capture;

    printing::reprintSale(Number, settings(layout, copies, customer, phone), dy58, dy76);

    QCOMPARE(everything(db), before);
    const QList<printing::CapturedJob> jobs = capture.jobs();
    QCOMPARE(jobs.size(), copies.toInt());
    const printing::CapturedJob& job = jobs.first();
    QCOMPARE(job.reportName, reportName);
    QCOMPARE(job.pageWidth, layout == "58" ? 219.0 : 287.0);
    const QStringList texts = textsOf(job.drawn);
    QVERIFY2(texts.contains(Number + " 重打"), qPrintable(texts.join(" / ")));
    for (const QString expected : {"2026-12-08 15:30:12", "张三", "好又多超市", "苹果", "牛奶", "鸡蛋", "12.50", "2.00",
                                   "22.50", "6.00", "0.50", "4.35", "4.5", "38.85", "谢谢惠顾"})
        QVERIFY2(texts.contains(expected), qPrintable(expected + " missing from " + texts.join(" / ")));
    // Only this sale's lines: not the sale being entered, nor the sale whose number holds this one.
    for (const QString absent : {"西瓜", "香蕉", "面包", "实收金额：", "找零金额："})
        QVERIFY2(!texts.contains(absent), qPrintable(absent + " printed: " + texts.join(" / ")));
    QCOMPARE(texts.contains("李女士"), customer);
    QCOMPARE(texts.contains("13800138000"), phone);

    // Afterwards the print run prints the open sale with every line as before.
    testsupport::PrintingMain main;
    capture.clear();
    printing::SaleToPrint sale = testsupport::sampleSale();
    sale.layout = layout;
    sale.number = "20261209090000";
    printing::printAndRecord(sale, dy58, dy76, main.connection, main.saleLines, main.history, main.historyLines);
    const QStringList next = textsOf(capture.jobs().first().drawn);
    QVERIFY2(next.contains("西瓜") && !next.contains("苹果"), qPrintable(next.join(" / ")));
    QVERIFY(next.contains("实收金额：") && next.contains("找零金额："));
    QVERIFY(next.contains("20261209090000"));
}

void TestPrintingReprint::refusesWhatCannotBeReprinted_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("copies");
    QTest::addColumn<bool>("printer");
    QTest::addColumn<QString>("said");
    QTest::newRow("a number not in the history") << "20261208153013" << "58" << "1" << true << "没有单号为";
    QTest::newRow("part of a number") << "2026120815" << "58" << "1" << true << "没有单号为";
    QTest::newRow("a sale whose lines are gone") << "20261201000000" << "58" << "1" << true << "没有明细行";
    QTest::newRow("width neither 58 nor 76") << Number << "80" << "1" << true << "不是 58 或 76";
    QTest::newRow("copies neither 1 nor 2") << Number << "58" << "3" << true << "不是 1 或 2";
    QTest::newRow("no printer") << Number << "58" << "1" << false << "打印机";
}

void TestPrintingReprint::refusesWhatCannotBeReprinted()
{
    QFETCH(QString, number);
    QFETCH(QString, layout);
    QFETCH(QString, copies);
    QFETCH(bool, printer);
    QFETCH(QString, said);
    TestDatabase db;
    recordSales(db);
    testsupport::addSale(db, {QStringLiteral("20261201000000")});
    const QStringList before = everything(db);
    TDy58Form dy58;
    TDy76Form dy76;
    printing::PrintCapture capture;
    capture.setNoPrinter(!printer);
    try {
        printing::reprintSale(number, settings(layout, copies, false, false), dy58, dy76);
        QFAIL("reprinted what cannot be");
    } catch (const core::Error& error) {
        QVERIFY2(error.message().contains(said), qPrintable(error.message()));
    }
    QVERIFY(capture.jobs().isEmpty());
    QCOMPARE(everything(db), before);
    // The layouts are left as the print run needs them: their lines are the open sale's again.
    QCOMPARE(dy58.ADODataSet1.statement(), store::sql::SelectXsxx);
    QCOMPARE(dy76.ADODataSet1.statement(), store::sql::SelectXsxx);
}

// Through the real windows: an ordinary user, the list's pop-up item and the detail's button.
void TestPrintingReprint::anyUserReprintsFromTheListAndTheDetail()
{
    testsupport::ShellFixture shell([](TestDatabase& db) {
        recordSales(db);
        db.exec("INSERT INTO username (用户名, 密码, 权限) VALUES ('张三', '', '普通用户')");
    });
    QVERIFY(shell.logIn(QStringLiteral("张三")));
    const QStringList before = everything(shell.db);
    TXstjForm& list = *shell.forms->XstjForm;
    TXsmxForm& detail = *shell.forms->XsmxForm;
    QVERIFY(!list.N6->isEnabled()); // deleting stays an administrator's right
    QVERIFY(list.N7->isEnabled());
    QCOMPARE(list.N7->text(), QString("重打小票"));
    printing::PrintCapture capture;

    list.OpenFromMain();
    list.ADOQuery1.moveTo(2); // in time order: the sale at 15:30:12
    list.N7->trigger();
    QCOMPARE(capture.jobs().size(), 1);
    QVERIFY(textsOf(capture.jobs().first().drawn).contains(Number + " 重打"));

    list.ADOQuery1.moveTo(1);
    list.DBGridEh1DblClick();
    QCOMPARE(control<QToolButton>(detail, "SpeedButton1")->text(), QString("重打小票"));
    QVERIFY(control<QToolButton>(detail, "SpeedButton1")->isEnabled());
    control<QToolButton>(detail, "SpeedButton1")->click();
    QCOMPARE(capture.jobs().size(), 2);
    const QStringList texts = textsOf(capture.jobs().last().drawn);
    QVERIFY2(texts.contains("20261208100000 重打") && texts.contains("面包"), qPrintable(texts.join(" / ")));
    QVERIFY(shell.messages.texts().isEmpty());

    // A failure is told over the window the reprint was asked from.
    control<QComboBox>(shell.main(), "ComboBox5")->setEditText(QStringLiteral("80"));
    control<QToolButton>(detail, "SpeedButton1")->click();
    QCOMPARE(shell.messages.messages().size(), 1);
    QCOMPARE(shell.messages.messages().first().ownerName, QString("TXsmxForm"));
    QVERIFY(shell.messages.messages().first().isErrorReport);
    QCOMPARE(capture.jobs().size(), 2);
    QCOMPARE(everything(shell.db), before);
}

void TestPrintingReprint::reprintComesOutOfAReceiptPrinterQueue()
{
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
        QSKIP("pdftoppm is not installed (poppler-utils)");
    testsupport::PrintingQueue queue(QStringLiteral("quorvel_reprint"));
    if (!queue.unavailable().isEmpty())
        QSKIP(qPrintable(queue.unavailable()));
    TestDatabase db;
    recordSales(db);
    const QStringList before = everything(db);
    TDy58Form dy58;
    TDy76Form dy76;
    printing::reprintSale(Number, settings("58", "1", true, true), dy58, dy76);
    QCOMPARE(everything(db), before);

    const QByteArray job = queue.printer().receiveJob(60000);
    QVERIFY2(!job.isEmpty(), "no job reached the printer");
    QTemporaryDir folder;
    const QString pdf = folder.filePath("reprint.pdf");
    {
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(job);
    }
    if (job.startsWith("%PDF-")) {
        const QString receipt = QString(testsupport::pdfText(pdf)).remove(' ');
        for (const QString expected : {"单号:20261208153012重打", "时间:2026-12-0815:30:12", "苹果", "牛奶", "鸡蛋",
                                       "李女士", "13800138000", "应收金额:38.85"})
            QVERIFY2(receipt.contains(expected.normalized(QString::NormalizationForm_KC)),
                     qPrintable(expected + "\n" + receipt));
        QVERIFY2(!receipt.contains("实收") && !receipt.contains("找零"), qPrintable(receipt));
        // A picture of the reprint for a person to look at, beside the test's build output.
        const QString picture = QStringLiteral(QUORVEL_BINARY_DIR) + QStringLiteral("/test_printing_reprint_receipt");
        const testsupport::ToolRun rendered =
            testsupport::runTool("pdftoppm", {"-png", "-r", "200", "-singlefile", pdf, picture});
        QVERIFY2(rendered.exitCode == 0, qPrintable(rendered.output));
    }
}

QTEST_MAIN(TestPrintingReprint)
#include "test_printing_reprint.moc"
