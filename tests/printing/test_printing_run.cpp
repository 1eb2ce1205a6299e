#include "core/Error.h"
#include "printing/Dy58Unit.h"
#include "printing/Dy76Unit.h"
#include "printing/PrintRun.h"
#include "printing/RemarkLines.h"
#include "support/PrintCapture.h"
#include "support/PrintingSale.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QFontMetricsF>
#include <QTemporaryDir>
#include <QtTest>

using printing::SaleToPrint;
using testsupport::SaleLine;
using testsupport::TestDatabase;
using testsupport::textsOf;

namespace {

const QList<SaleLine> ThreeLines = {
    {"苹果", "12.5", "1", "12.5", "12.5"},
    {"大米", "3", "2", "6", "5.4"},
    {"矿泉水", "", "", "", ""},
};

const QString TwoLineRemark = QStringLiteral("谢谢惠顾\n欢迎下次光临");

// The shop as the print run meets it: the file, the main window's datasets, both layout forms,
// and a capture so that no test reaches a real printer.
struct Shop
{
    TestDatabase db;
    testsupport::PrintingMain main;
    TDy58Form dy58;
    TDy76Form dy76;
    printing::PrintCapture capture;

    explicit Shop(const QList<SaleLine>& lines = ThreeLines)
    {
        db.exec(QStringLiteral("UPDATE dynr SET 备注 = '%1'").arg(TwoLineRemark));
        testsupport::addSaleLines(db, "20240315093000", "2024-03-15 09:30:00", lines);
        main.saleLines.requery(store::sql::SelectXsxx);
    }

    void run(const SaleToPrint& sale)
    {
        printing::printAndRecord(sale, dy58, dy76, main.connection, main.saleLines, main.history, main.historyLines);
    }

    printing::ReceiptLayoutForm& form(const QString& layout)
    {
        return layout == "76" ? static_cast<printing::ReceiptLayoutForm&>(dy76) : dy58;
    }

    QString count(const QString& table) const { return db.scalar("SELECT count(*) FROM " + table); }
};

SaleToPrint saleWith(const QString& layout, bool customer, bool phone, const QString& remark)
{
    SaleToPrint sale = testsupport::sampleSale();
    sale.layout = layout;
    sale.customer = customer;
    sale.phone = phone;
    sale.remark = remark;
    return sale;
}

QString repeated(const QString& text, int times)
{
    QString result;
    for (int i = 0; i < times; ++i)
        result += text;
    return result;
}

} // namespace

class TestPrintingRun : public QObject
{
    Q_OBJECT

private slots:
    void countsRemarkLines_data();
    void countsRemarkLines();
    void wrapsLatinTextAtWords();
    void sizesReceipts_data();
    void sizesReceipts();
    void lengthensA76ReceiptTooShortForItsLines();
    void writesTheLabelMapIntoAllThreeReports();
    void choosesTheReport_data();
    void choosesTheReport();
    void printsDetailValuesWithTwoDecimalsAndTotalsAsGiven();
    void fillsTheRemarkBlockAsTheLinesWereCounted();
    void printsCopiesAndRecordsOnce_data();
    void printsCopiesAndRecordsOnce();
    void recordsEveryLineWithTheSale();
    void otherLayoutRecordsWithoutPrinting_data();
    void otherLayoutRecordsWithoutPrinting();
    void printFailureLeavesTheSale_data();
    void printFailureLeavesTheSale();
    void refusesWhatTheHistoryCannotHold_data();
    void refusesWhatTheHistoryCannotHold();
    void storeFailureMidwayWritesNothing();
    void readsTheSaleAsItNowStands();
    void writesOnePdfPerJob();
    void wrapsLongNamesWithinThePaper_data();
    void wrapsLongNamesWithinThePaper();
    void keepsTheTotalsApart_data();
    void keepsTheTotalsApart();
};

void TestPrintingRun::countsRemarkLines_data()
{
    QTest::addColumn<QString>("remark");
    QTest::addColumn<int>("lines");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("one line") << "谢谢惠顾" << 1;
    QTest::newRow("line feed") << "谢谢惠顾\n欢迎光临" << 2;
    QTest::newRow("carriage return and line feed") << "谢谢惠顾\r\n欢迎光临" << 2;
    QTest::newRow("carriage return") << "谢谢惠顾\r欢迎光临" << 2;
    QTest::newRow("trailing line break not counted") << "谢谢惠顾\n" << 1;
    QTest::newRow("only the last empty line is dropped") << "谢谢惠顾\n\n" << 2;
    QTest::newRow("empty line inside counts") << "谢谢\n\n惠顾" << 3;
    QTest::newRow("a lone line break") << "\n" << 1;
    QTest::newRow("ten characters fit") << repeated("谢", 10) << 1;
    QTest::newRow("twenty-five characters wrap once") << repeated("谢", 25) << 2;
    QTest::newRow("forty characters wrap twice") << repeated("谢", 40) << 3;
    QTest::newRow("wrapped line after a short one") << "欢迎\n" + repeated("谢", 25) << 3;
}

void TestPrintingRun::countsRemarkLines()
{
    QFETCH(QString, remark);
    QFETCH(int, lines);
    QCOMPARE(printing::remarkLineCount(remark), lines);
    QCOMPARE(printing::remarkLines(remark).size(), lines);
}

void TestPrintingRun::wrapsLatinTextAtWords()
{
    const QStringList lines = printing::remarkLines(repeated("welcome ", 12));
    QVERIFY(lines.size() > 1);
    for (const QString& line : lines)
        QVERIFY2(line.startsWith("welcome"), qPrintable(line));
    QCOMPARE(lines.join(QString()), repeated("welcome ", 12));
}

void TestPrintingRun::sizesReceipts_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<bool>("phone");
    QTest::addColumn<QString>("remark");
    QTest::addColumn<int>("saleLines");
    QTest::addColumn<double>("block");
    QTest::addColumn<double>("length");
    QTest::newRow("58 one line, empty remark") << "58" << false << "" << 1 << 0.0 << 325.0 + printing::ReceiptBarcodeRoom;
    QTest::newRow("58 worked example") << "58" << false << TwoLineRemark << 3 << 34.0 << 409.0 + printing::ReceiptBarcodeRoom;
    QTest::newRow("58 phone is 20 longer") << "58" << true << TwoLineRemark << 3 << 34.0 << 429.0 + printing::ReceiptBarcodeRoom;
    QTest::newRow("76 one line, empty remark") << "76" << false << "" << 1 << 0.0 << 321.0 + printing::ReceiptBarcodeRoom;
    QTest::newRow("76 three lines") << "76" << false << TwoLineRemark << 3 << 34.0 << 405.0 + printing::ReceiptBarcodeRoom;
    QTest::newRow("76 phone is 23 longer") << "76" << true << TwoLineRemark << 3 << 34.0 << 428.0 + printing::ReceiptBarcodeRoom;
}

void TestPrintingRun::sizesReceipts()
{
    QFETCH(QString, layout);
    QFETCH(bool, phone);
    QFETCH(QString, remark);
    QFETCH(int, saleLines);
    QFETCH(double, block);
    QFETCH(double, length);

    Shop shop(ThreeLines.mid(0, saleLines));
    shop.run(saleWith(layout, phone, phone, remark));

    printing::ReceiptLayoutForm& form = shop.form(layout);
    for (int r = 1; r <= 3; ++r) {
        QCOMPARE(form.remarkBlock(r).height(), block);
        QCOMPARE(form.quickRep(r).pageLength(), length);
    }
    QCOMPARE(shop.capture.jobs().size(), 1);
    QCOMPARE(shop.capture.jobs()[0].pageLength, length);
    QCOMPARE(shop.capture.jobs()[0].pageWidth, layout == "58" ? 219.0 : 287.0);
}

void TestPrintingRun::lengthensA76ReceiptTooShortForItsLines()
{
    // 30 units per line printed, 25 allowed: twenty lines would lose the totals and the remark.
    QList<SaleLine> lines;
    for (int i = 0; i < 20; ++i)
        lines << SaleLine{QStringLiteral("商品%1").arg(i), "1", "1", "1", "1"};
    Shop shop(lines);
    shop.run(saleWith("76", false, false, TwoLineRemark));

    const printing::CapturedJob job = shop.capture.jobs().value(0);
    QVERIFY(job.pageLength > 17 * 2 + 296 + 25 * 20);
    double bottom = 0;
    for (const report::DrawnText& text : job.drawn)
        bottom = std::max(bottom, text.position.y() + QFontMetricsF(text.font).height());
    QVERIFY2(bottom <= job.pageLength - report::millimetresToUnits(10), "the remark runs into the bottom margin");
    QCOMPARE(textsOf(job.drawn, "QRRichText1"), QStringList({"谢谢惠顾", "欢迎下次光临"}));
}

void TestPrintingRun::writesTheLabelMapIntoAllThreeReports()
{
    Shop shop;
    SaleToPrint sale = saleWith("76", false, false, "");
    sale.customerName = "张三";
    sale.phoneNumber = "13800138000";
    sale.totalQuantity = "3";
    sale.totalAmount = "20";
    sale.totalDue = "17.9";
    sale.received = "20";
    sale.change = "2.1";
    shop.run(sale);

    const QList<QPair<QStringList, QString>> expected = {
        {{"QRLabel2", "QRLabel25", "QRLabel50"}, "admin"},
        {{"QRLabel4", "QRLabel27", "QRLabel52"}, "20240315093000"},
        {{"QRLabel6", "QRLabel29", "QRLabel54"}, "2024-03-15 09:30:00"},
        {{"", "QRLabel31", "QRLabel56"}, "张三"},
        {{"", "", "QRLabel58"}, "13800138000"},
        {{"QRLabel12", "QRLabel37", "QRLabel64"}, "3"},
        {{"QRLabel13", "QRLabel38", "QRLabel65"}, "17.9"},
        {{"QRLabel15", "QRLabel40", "QRLabel67"}, "17.9"},
        {{"QRLabel17", "QRLabel42", "QRLabel69"}, "20"},
        {{"QRLabel19", "QRLabel44", "QRLabel71"}, "2.1"},
    };
    for (const auto& [names, value] : expected) {
        for (int r = 1; r <= 3; ++r) {
            if (names[r - 1].isEmpty())
                continue;
            const report::Label* label = shop.dy76.quickRep(r).label(names[r - 1]);
            QVERIFY2(label, qPrintable(names[r - 1]));
            QCOMPARE(label->text(), value);
        }
    }
    // The fixed cashier caption is never written, and the 58 mm form was not used.
    QCOMPARE(shop.dy76.QuickRep1.label("QRLabel1")->text(), QStringLiteral("收银员："));
    QCOMPARE(shop.dy58.QuickRep1.label("QRLabel2")->text(), QStringLiteral("收银员"));
}

void TestPrintingRun::choosesTheReport_data()
{
    QTest::addColumn<bool>("customer");
    QTest::addColumn<bool>("phone");
    QTest::addColumn<QString>("report");
    QTest::newRow("neither") << false << false << "QuickRep1";
    QTest::newRow("customer") << true << false << "QuickRep2";
    QTest::newRow("customer and phone") << true << true << "QuickRep3";
    QTest::newRow("phone alone still shows the phone") << false << true << "QuickRep3";
}

void TestPrintingRun::choosesTheReport()
{
    QFETCH(bool, customer);
    QFETCH(bool, phone);
    QFETCH(QString, report);
    for (const QString layout : {"58", "76"}) {
        Shop shop;
        SaleToPrint sale = saleWith(layout, customer, phone, "");
        sale.customerName = "张三";
        sale.phoneNumber = "13800138000";
        shop.run(sale);
        QCOMPARE(shop.capture.jobs().size(), 1);
        const printing::CapturedJob job = shop.capture.jobs()[0];
        QCOMPARE(job.reportName, report);
        QCOMPARE(job.documentName, QStringLiteral("小票 20240315093000"));
        QCOMPARE(textsOf(job.drawn).contains("张三"), report != "QuickRep1");
        QCOMPARE(textsOf(job.drawn).contains("13800138000"), report == "QuickRep3");
    }
}

void TestPrintingRun::printsDetailValuesWithTwoDecimalsAndTotalsAsGiven()
{
    for (const QString layout : {"58", "76"}) {
        Shop shop;
        SaleToPrint sale = saleWith(layout, false, false, "");
        sale.totalQuantity = "3";
        sale.totalDue = "12.5";
        sale.received = "20";
        sale.change = "7.5";
        shop.run(sale);
        const QList<report::DrawnText> drawn = shop.capture.jobs().value(0).drawn;
        const bool mm58 = layout == "58";
        QCOMPARE(textsOf(drawn, "QRDBText2"), QStringList({"苹果", "大米", "矿泉水"}));
        QCOMPARE(textsOf(drawn, "QRDBText3"), QStringList({"12.50", "3.00", "0.00"}));
        QCOMPARE(textsOf(drawn, "QRDBText4"), QStringList({"1.00", "2.00", "0.00"}));
        QCOMPARE(textsOf(drawn, "QRDBText5"), QStringList({"12.50", "5.40", "0.00"}));
        QCOMPARE(textsOf(drawn, "QRDBText1"), QStringList({"Quorvel便利店"}));
        QCOMPARE(textsOf(drawn, "QRLabel12"), QStringList({"3"}));
        QCOMPARE(textsOf(drawn, "QRLabel13"), QStringList({"12.5"}));
        QCOMPARE(textsOf(drawn, "QRLabel15"), QStringList({"12.5"}));
        QCOMPARE(textsOf(drawn, "QRLabel17"), QStringList({"20"}));
        QCOMPARE(textsOf(drawn, "QRLabel19"), QStringList({"7.5"}));

        // The numbers of a line stand one line below its name, under their headings.
        QList<report::DrawnText> names, prices, headings;
        for (const report::DrawnText& text : drawn) {
            if (text.element == "QRDBText2")
                names << text;
            if (text.element == "QRDBText3")
                prices << text;
            if (text.element == "QRLabel8")
                headings << text;
        }
        QCOMPARE(prices[1].position.y() - names[1].position.y(), mm58 ? 11.0 : 14.0);
        QCOMPARE(names[1].position.y() - names[0].position.y(), mm58 ? 25.0 : 30.0);
        QCOMPARE(prices[0].position.x(), headings[0].position.x());
    }
}

void TestPrintingRun::fillsTheRemarkBlockAsTheLinesWereCounted()
{
    const QString remark = "欢迎光临\n" + repeated("谢", 25);
    Shop shop;
    shop.db.exec(QStringLiteral("UPDATE dynr SET 备注 = '%1'").arg(remark));
    shop.run(saleWith("58", false, false, remark));

    const QStringList printed = textsOf(shop.capture.jobs().value(0).drawn, "QRRichText1");
    QCOMPARE(printed.size(), 3);
    QCOMPARE(printed, printing::remarkLines(remark));
    QCOMPARE(printed.join(QString()), QString(remark).remove('\n'));
    QCOMPARE(shop.dy58.remarkBlock(1).height(), 51.0);
}

void TestPrintingRun::printsCopiesAndRecordsOnce_data()
{
    QTest::addColumn<QString>("copies");
    QTest::addColumn<int>("jobs");
    QTest::newRow("one") << "1" << 1;
    QTest::newRow("two") << "2" << 2;
    QTest::newRow("three prints none") << "3" << 0;
    QTest::newRow("empty prints none") << "" << 0;
    QTest::newRow("2 with a blank prints none") << "2 " << 0;
}

void TestPrintingRun::printsCopiesAndRecordsOnce()
{
    QFETCH(QString, copies);
    QFETCH(int, jobs);
    Shop shop;
    SaleToPrint sale = saleWith("58", true, false, "");
    sale.copies = copies;
    shop.run(sale);

    QCOMPARE(shop.capture.jobs().size(), jobs);
    if (jobs == 2)
        QCOMPARE(textsOf(shop.capture.jobs()[1].drawn), textsOf(shop.capture.jobs()[0].drawn));
    QCOMPARE(shop.count("xstj"), QStringLiteral("1"));
    QCOMPARE(shop.count("xsmx"), QStringLiteral("3"));
    QCOMPARE(shop.count("xsxx"), QStringLiteral("0"));
    QCOMPARE(shop.main.saleLines.recordCount(), 0);
}

void TestPrintingRun::recordsEveryLineWithTheSale()
{
    Shop shop;
    SaleToPrint sale = saleWith("58", true, true, "");
    sale.customerName = "张'三";
    sale.phoneNumber = "13800138000";
    sale.totalQuantity = "3";
    sale.totalAmount = "18.5";
    sale.totalDue = "17.9";
    shop.run(sale);

    QCOMPARE(shop.db.rows("SELECT 单号, 时间, 数量, 金额, 折后, 收银员 FROM xstj"),
             QStringList({"20240315093000|2024-03-15 09:30:00|3.0|18.5|17.9|admin"}));
    QCOMPARE(shop.db.rows("SELECT 单号, 时间, 客户, 电话, 品名, 单价, 数量, 金额, 折后 FROM xsmx ORDER BY rowid"),
             QStringList({"20240315093000|2024-03-15 09:30:00|张'三|13800138000|苹果|12.5|1.0|12.5|12.5",
                          "20240315093000|2024-03-15 09:30:00|张'三|13800138000|大米|3.0|2.0|6.0|5.4",
                          "20240315093000|2024-03-15 09:30:00|张'三|13800138000|矿泉水||||"}));
    QCOMPARE(shop.db.scalar("SELECT count(*) FROM xsmx WHERE 单价 IS NULL"), QStringLiteral("1"));
}

void TestPrintingRun::otherLayoutRecordsWithoutPrinting_data()
{
    QTest::addColumn<QString>("layout");
    QTest::newRow("80") << "80";
    QTest::newRow("empty") << "";
    QTest::newRow("58 with a blank") << "58 ";
}

void TestPrintingRun::otherLayoutRecordsWithoutPrinting()
{
    QFETCH(QString, layout);
    Shop shop;
    shop.capture.setNoPrinter(true); // nothing is printed, so no printer is needed
    shop.run(saleWith(layout, false, false, ""));

    QVERIFY(shop.capture.jobs().isEmpty());
    QCOMPARE(shop.count("xstj"), QStringLiteral("1"));
    QCOMPARE(shop.count("xsmx"), QStringLiteral("3"));
    QCOMPARE(shop.count("xsxx"), QStringLiteral("0"));
    QCOMPARE(shop.dy58.QuickRep1.label("QRLabel2")->text(), QStringLiteral("收银员"));
    QCOMPARE(shop.dy76.QuickRep1.label("QRLabel2")->text(), QStringLiteral("收银员"));
}

void TestPrintingRun::printFailureLeavesTheSale_data()
{
    QTest::addColumn<bool>("noPrinter");
    QTest::addColumn<QString>("message");
    QTest::newRow("no default printer") << true << "没有默认打印机";
    QTest::newRow("queue refuses the job") << false << "缺纸";
}

void TestPrintingRun::printFailureLeavesTheSale()
{
    QFETCH(bool, noPrinter);
    QFETCH(QString, message);
    Shop shop;
    shop.db.exec("INSERT INTO xstj (单号) VALUES ('earlier')");
    if (noPrinter)
        shop.capture.setNoPrinter(true);
    else
        shop.capture.refuseJobs("缺纸");
    const QStringList before = shop.db.rows("SELECT * FROM xsxx");

    try {
        SaleToPrint sale = saleWith("58", false, false, "");
        sale.copies = "2";
        shop.run(sale);
        QFAIL("the run reported a failed print as done");
    } catch (const core::Error& error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
    QCOMPARE(shop.db.rows("SELECT * FROM xsxx"), before);
    QCOMPARE(shop.db.rows("SELECT 单号 FROM xstj"), QStringList({"earlier"}));
    QCOMPARE(shop.count("xsmx"), QStringLiteral("0"));
    QCOMPARE(shop.main.saleLines.recordCount(), 3);

    // The sale is still there to print once the printer is back.
    shop.capture.setNoPrinter(false);
    shop.capture.refuseJobs(QString());
    shop.run(saleWith("58", false, false, ""));
    QCOMPARE(shop.count("xstj"), QStringLiteral("2"));
    QCOMPARE(shop.count("xsmx"), QStringLiteral("3"));
    QCOMPARE(shop.count("xsxx"), QStringLiteral("0"));
}

void TestPrintingRun::refusesWhatTheHistoryCannotHold_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("cashier of 60 characters") << "cashier" << QString(60, 'c') << "收银员";
    QTest::newRow("receipt number of 51 characters") << "number" << QString(51, '1') << "单号";
    QTest::newRow("customer of 256 characters") << "customer" << QString(256, 'k') << "客户";
    QTest::newRow("total that is no number") << "quantity"
                                             << "3件"
                                             << "3件";
}

void TestPrintingRun::refusesWhatTheHistoryCannotHold()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    Shop shop;
    SaleToPrint sale = saleWith("58", true, false, "");
    if (field == "cashier")
        sale.cashier = text;
    else if (field == "number")
        sale.number = text;
    else if (field == "customer")
        sale.customerName = text;
    else
        sale.totalQuantity = text;

    QVERIFY_THROWS_EXCEPTION(core::Error, shop.run(sale));
    try {
        shop.run(sale);
    } catch (const core::Error& error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        QVERIFY2(error.message().contains("小票没有打印"), qPrintable(error.message()));
    }
    QVERIFY(shop.capture.jobs().isEmpty());
    QCOMPARE(shop.count("xstj"), QStringLiteral("0"));
    QCOMPARE(shop.count("xsmx"), QStringLiteral("0"));
    QCOMPARE(shop.count("xsxx"), QStringLiteral("3"));
    // The form's labels still hold their design texts: nothing of the refused sale went out.
    QCOMPARE(shop.dy58.QuickRep2.label("QRLabel25")->text(), QStringLiteral("收银员"));
}

void TestPrintingRun::storeFailureMidwayWritesNothing()
{
    Shop shop;
    // The second history line fails as a full disk would, after the sale row and one line.
    shop.db.exec("CREATE TRIGGER fail_second_line BEFORE INSERT ON xsmx "
                 "WHEN (SELECT count(*) FROM xsmx) >= 1 BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END");
    const QStringList before = shop.db.rows("SELECT * FROM xsxx");

    QVERIFY_THROWS_EXCEPTION(core::Error, shop.run(saleWith("58", false, false, "")));

    QCOMPARE(shop.count("xstj"), QStringLiteral("0"));
    QCOMPARE(shop.count("xsmx"), QStringLiteral("0"));
    QCOMPARE(shop.db.rows("SELECT * FROM xsxx"), before);
    QCOMPARE(shop.main.saleLines.recordCount(), 3);
    QCOMPARE(shop.main.history.recordCount(), 0);
    // The receipt prints only for a sale that was recorded.
    QVERIFY(shop.capture.jobs().isEmpty());
    QCOMPARE(shop.db.scalar("PRAGMA integrity_check"), QStringLiteral("ok"));
}

void TestPrintingRun::readsTheSaleAsItNowStands()
{
    Shop shop;
    // Written through another connection after the main window last read the sale.
    testsupport::addSaleLines(shop.db, "20240315093000", "2024-03-15 09:30:00", {{"梨", "4", "1", "4", "4"}});
    shop.run(saleWith("58", false, false, ""));

    QCOMPARE(textsOf(shop.capture.jobs().value(0).drawn, "QRDBText2"), QStringList({"苹果", "大米", "矿泉水", "梨"}));
    QCOMPARE(shop.count("xsmx"), QStringLiteral("4"));
    QCOMPARE(shop.count("xsxx"), QStringLiteral("0"));
    QCOMPARE(shop.dy58.quickRep(1).pageLength(), 400.0 + printing::ReceiptBarcodeRoom);
}

void TestPrintingRun::writesOnePdfPerJob()
{
    QTemporaryDir folder;
    Shop shop;
    printing::PrintCapture pdf(folder.path());
    SaleToPrint sale = saleWith("76", true, true, TwoLineRemark);
    sale.copies = "2";
    shop.run(sale);

    QVERIFY(shop.capture.jobs().isEmpty()); // the newest capture took the jobs
    QCOMPARE(pdf.jobs().size(), 2);
    for (const printing::CapturedJob& job : pdf.jobs()) {
        QFile file(job.pdfPath);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(job.pdfPath));
        QVERIFY(file.read(5) == "%PDF-");
    }
    QVERIFY(pdf.jobs()[0].pdfPath != pdf.jobs()[1].pdfPath);
}

namespace {

double rightOf(const report::DrawnText& text)
{
    return text.position.x() + QFontMetricsF(text.font).horizontalAdvance(text.text);
}

QList<report::DrawnText> drawnBy(const QList<report::DrawnText>& drawn, const QString& element)
{
    QList<report::DrawnText> kept;
    for (const report::DrawnText& text : drawn) {
        if (text.element == element)
            kept << text;
    }
    return kept;
}

// The paper's right edge less its right margin, in layout units.
double bandRight(const QString& layout)
{
    return (layout == "58" ? 219 : 287) - 5 * 96 / 25.4;
}

} // namespace

void TestPrintingRun::wrapsLongNamesWithinThePaper_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("goods");
    QTest::addColumn<QString>("shop");
    const QString longGoods = repeated(QStringLiteral("特级东北珍珠大米"), 5);
    const QString longShop = QStringLiteral("Quorvel Convenience Store of the Old Town Market, Branch Number Seven");
    QTest::newRow("58, goods") << "58" << longGoods << "小店";
    QTest::newRow("76, goods") << "76" << longGoods << "小店";
    QTest::newRow("58, shop") << "58"
                              << "苹果" << longShop;
    QTest::newRow("76, shop and goods") << "76" << longGoods << longShop;
}

void TestPrintingRun::wrapsLongNamesWithinThePaper()
{
    QFETCH(QString, layout);
    QFETCH(QString, goods);
    QFETCH(QString, shop);
    const auto printed = [&](const QString& goodsName, const QString& shopName) {
        Shop place({{goodsName, "12.5", "1", "12.5", "12.5"}});
        place.db.exec(QStringLiteral("UPDATE dynr SET 店名 = '%1'").arg(shopName));
        place.run(saleWith(layout, false, false, TwoLineRemark));
        return place.capture.jobs().first();
    };
    const printing::CapturedJob job = printed(goods, shop);
    const printing::CapturedJob shortNames = printed("苹果", "小店");

    for (const auto& [element, text] : {std::pair<QString, QString>{"QRDBText2", goods}, {"QRDBText1", shop}}) {
        const QList<report::DrawnText> lines = drawnBy(job.drawn, element);
        QString joined;
        for (const report::DrawnText& line : lines) {
            QVERIFY2(rightOf(line) <= bandRight(layout) + 0.5, qPrintable(line.text));
            joined += line.text;
        }
        QCOMPARE(joined.remove(' '), QString(text).remove(' '));
        if (text.size() > 20)
            QVERIFY2(lines.size() > 1, qPrintable(element));
    }
    // The numbers of the line stand below the last line of its name; the paper grew by the lines.
    const QList<report::DrawnText> name = drawnBy(job.drawn, "QRDBText2");
    const QList<report::DrawnText> price = drawnBy(job.drawn, "QRDBText3");
    QCOMPARE(price.size(), 1);
    QVERIFY(price.first().position.y() > name.last().position.y() + 5);
    // The paper holds all of it: longer than for short names wherever its allowance runs out.
    QVERIFY(job.pageLength >= shortNames.pageLength);
    for (const report::DrawnText& text : job.drawn)
        QVERIFY2(text.position.y() + QFontMetricsF(text.font).height() <= job.pageLength - 10 * 96 / 25.4 + 0.5,
                 qPrintable(text.text));
    const QList<report::DrawnText> total = drawnBy(job.drawn, "QRLabel12");
    QVERIFY(total.first().position.y() > price.first().position.y());
}

void TestPrintingRun::keepsTheTotalsApart_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("amount");
    for (const QString layout : {"58", "76"}) {
        QTest::addRow("%s, short", qPrintable(layout)) << layout << "3"
                                                       << "18";
        QTest::addRow("%s, a long quantity", qPrintable(layout)) << layout << "12345678.75"
                                                                 << "18";
        QTest::addRow("%s, both long", qPrintable(layout)) << layout << "1234567.5"
                                                           << "98765432.25";
        QTest::addRow("%s, the longest totals", qPrintable(layout)) << layout << "999999999999999"
                                                                    << "999999999999999";
    }
}

void TestPrintingRun::keepsTheTotalsApart()
{
    QFETCH(QString, layout);
    QFETCH(QString, quantity);
    QFETCH(QString, amount);
    Shop shop;
    SaleToPrint sale = saleWith(layout, false, false, TwoLineRemark);
    sale.totalQuantity = quantity;
    sale.totalDue = amount;
    shop.run(sale);
    const QList<report::DrawnText> drawn = shop.capture.jobs().first().drawn;
    const QList<report::DrawnText> quantityLines = drawnBy(drawn, "QRLabel12");
    const QList<report::DrawnText> amountLines = drawnBy(drawn, "QRLabel13");
    QString quantityShown, amountShown;
    double quantityRight = 0;
    for (const report::DrawnText& line : quantityLines) {
        quantityRight = std::max(quantityRight, rightOf(line));
        quantityShown += line.text;
    }
    const double gap = QFontMetricsF(amountLines.first().font).horizontalAdvance('0') - 0.5;
    for (const report::DrawnText& line : amountLines) {
        QVERIFY2(line.position.x() >= quantityRight + gap, qPrintable(QStringLiteral("%1 at %2, quantity ends at %3")
                                                                          .arg(line.text)
                                                                          .arg(line.position.x())
                                                                          .arg(quantityRight)));
        QVERIFY2(rightOf(line) <= bandRight(layout) + 0.5, qPrintable(line.text));
        amountShown += line.text;
    }
    QCOMPARE(quantityShown, quantity);
    QCOMPARE(amountShown, amount);
    // Whatever wraps, the amount-due line stays below the totals.
    const double totalsBottom = std::max(quantityLines.last().position.y(), amountLines.last().position.y());
    QVERIFY(drawnBy(drawn, "QRLabel15").first().position.y() > totalsBottom + 5);
}

QTEST_MAIN(TestPrintingRun)
#include "test_printing_run.moc"
