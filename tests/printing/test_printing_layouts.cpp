#include "printing/Dy58Unit.h"
#include "printing/Dy76Unit.h"
#include "printing/EscPos.h"
#include "printing/PrintRun.h"
#include "printing/RemarkLines.h"
#include "report/ReportView.h"
#include "support/Controls.h"
#include "support/DesktopRecorders.h"
#include "support/EscPosDecoder.h"
#include "support/PrintCapture.h"
#include "support/PrintingSale.h"
#include "support/TestDatabase.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>
#include <memory>
#include <optional>

using testsupport::control;
using testsupport::TestDatabase;
using testsupport::textsOf;

namespace {

const QString Rule58 = QString(42, '-');
const QString Rule76 = QString(59, '-');

// Both forms on a fresh file holding a sale of three lines.
struct Forms
{
    TestDatabase db;
    std::unique_ptr<TDy58Form> dy58;
    std::unique_ptr<TDy76Form> dy76;

    Forms()
    {
        testsupport::addSaleLines(db, "1", "t", {{"苹果", "12.5", "1", "12.5", "12.5"}, {"梨", "4", "1", "4", "4"}});
        dy58 = std::make_unique<TDy58Form>();
        dy76 = std::make_unique<TDy76Form>();
    }

    printing::ReceiptLayoutForm& form(int width)
    {
        return width == 58 ? *dy58 : static_cast<printing::ReceiptLayoutForm&>(*dy76);
    }
};

} // namespace

class TestPrintingLayouts : public QObject
{
    Q_OBJECT

private slots:
    void placesEveryElement_data();
    void placesEveryElement();
    void holdsTheElementsOfEachReport_data();
    void holdsTheElementsOfEachReport();
    void setsUpThePages_data();
    void setsUpThePages();
    void formatsDetailValues_data();
    void formatsDetailValues();
    void previewShowsTheLayoutBeforeTheFirstRun();
    void previewShowsTheCurrentSale_data();
    void previewShowsTheCurrentSale();
    void previewScrollsALongReceipt();
    void previewShowsTheDotsOfAnEscPosPrinter_data();
    void previewShowsTheDotsOfAnEscPosPrinter();
    void choosesThePageAndShowsTheForm_data();
    void choosesThePageAndShowsTheForm();
    void previewTouchesNothing();
    void previewWindowGeometry_data();
    void previewWindowGeometry();
};

void TestPrintingLayouts::placesEveryElement_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("report");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text"); // a label's text, a field's column
    QTest::addColumn<QPointF>("place");
    QTest::addColumn<bool>("opaque");
    QTest::addColumn<bool>("rule");

    QTest::newRow("58 upper rule") << 58 << 1 << "QRLabel20"
                                   << "----------" + QString(23, ' ') + "----------" << QPointF(0, -5) << false << true;
    QTest::newRow("58 cashier caption") << 58 << 1 << "QRLabel1"
                                        << "收银员：" << QPointF(42, 0) << false << false;
    QTest::newRow("58 cashier") << 58 << 2 << "QRLabel25"
                                << "收银员" << QPointF(83, 0) << false << false;
    QTest::newRow("58 shop name") << 58 << 1 << "QRDBText1"
                                  << "店名" << QPointF(7, 19) << false << false;
    QTest::newRow("58 shop name 3") << 58 << 3 << "QRDBText11"
                                    << "店名" << QPointF(7, 16) << false << false;
    QTest::newRow("58 time 3") << 58 << 3 << "QRLabel54"
                               << "时间" << QPointF(37, 48) << false << false;
    QTest::newRow("58 customer caption") << 58 << 2 << "QRLabel30"
                                         << "客户：" << QPointF(7, 65) << true << false;
    QTest::newRow("58 customer") << 58 << 3 << "QRLabel56"
                                 << "客户" << QPointF(37, 64) << true << false;
    QTest::newRow("58 phone") << 58 << 3 << "QRLabel58"
                              << "电话" << QPointF(37, 80) << true << false;
    QTest::newRow("58 full rule 3") << 58 << 3 << "QRLabel74" << Rule58 << QPointF(0, 91) << false << true;
    QTest::newRow("58 goods") << 58 << 1 << "QRDBText2"
                              << "品名" << QPointF(0, 2) << false << false;
    QTest::newRow("58 amount") << 58 << 3 << "QRDBText15"
                               << "折后" << QPointF(120, 13) << false << false;
    QTest::newRow("58 total caption") << 58 << 1 << "QRLabel11"
                                      << "合计：" << QPointF(22, 3) << true << false;
    QTest::newRow("58 summary rule") << 58 << 1 << "QRLabel23" << Rule58 << QPointF(0, 68) << false << true;

    QTest::newRow("76 upper rule") << 76 << 2 << "QRLabel45" << QString(17, '-') + QString(26, ' ') + QString(16, '-')
                                   << QPointF(5, -5) << false << true;
    QTest::newRow("76 cashier") << 76 << 1 << "QRLabel2"
                                << "收银员" << QPointF(125, 0) << false << false;
    QTest::newRow("76 shop name 3") << 76 << 3 << "QRDBText15"
                                    << "店名" << QPointF(7, 16) << false << false;
    QTest::newRow("76 customer 2") << 76 << 2 << "QRLabel31"
                                   << "客户" << QPointF(37, 74) << true << false;
    QTest::newRow("76 phone caption") << 76 << 3 << "QRLabel57"
                                      << "电话：" << QPointF(7, 82) << true << false;
    QTest::newRow("76 full rule 2") << 76 << 2 << "QRLabel47" << Rule76 << QPointF(5, 83) << false << true;
    QTest::newRow("76 goods is opaque") << 76 << 1 << "QRDBText2"
                                        << "品名" << QPointF(7, 1) << true << false;
    QTest::newRow("76 goods 3") << 76 << 3 << "QRDBText13"
                                << "品名" << QPointF(7, 1) << true << false;
    QTest::newRow("76 unit price 3") << 76 << 3 << "QRDBText14"
                                     << "单价" << QPointF(67, 15) << false << false;
    QTest::newRow("76 quantity 3") << 76 << 3 << "QRDBText12"
                                   << "数量" << QPointF(121, 15) << false << false;
    QTest::newRow("76 amount 3") << 76 << 3 << "QRDBText11"
                                 << "折后" << QPointF(173, 15) << false << false;
    QTest::newRow("76 total caption") << 76 << 2 << "QRLabel36"
                                      << "合计：" << QPointF(31, 3) << false << false;
    QTest::newRow("76 total amount 3") << 76 << 3 << "QRLabel65"
                                       << "金额" << QPointF(172, 2) << false << false;
    QTest::newRow("76 summary rule 1") << 76 << 1 << "QRLabel23" << Rule76 << QPointF(5, 68) << false << true;
    QTest::newRow("76 summary rule 3 stands 9 higher")
        << 76 << 3 << "QRLabel75" << Rule76 << QPointF(5, 59) << false << true;
}

void TestPrintingLayouts::placesEveryElement()
{
    QFETCH(int, width);
    QFETCH(int, report);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QPointF, place);
    QFETCH(bool, opaque);
    QFETCH(bool, rule);

    Forms forms;
    const report::Element* element = forms.form(width).quickRep(report).element(name);
    QVERIFY2(element, qPrintable(name));
    if (const auto* label = dynamic_cast<const report::Label*>(element))
        QCOMPARE(label->text(), text);
    else if (const auto* field = dynamic_cast<const report::DataField*>(element))
        QCOMPARE(field->column(), text);
    else
        QFAIL("neither a label nor a data field");
    QCOMPARE(element->geometry().topLeft(), place);
    QCOMPARE(element->isOpaque(), opaque);

    const QFont font = element->font();
    if (rule) {
        QCOMPARE(font.family(), QStringLiteral("Arial"));
        QCOMPARE(font.pixelSize(), 13);
    } else {
        QCOMPARE(font.family(), QStringLiteral("方正兰亭刊黑_GBK"));
        QCOMPARE(font.pixelSize(), width == 58 ? 11 : 12);
    }
}

void TestPrintingLayouts::holdsTheElementsOfEachReport_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("report");
    QTest::addColumn<int>("titleElements");
    QTest::addColumn<QPointF>("remarkPlace");
    QTest::addColumn<double>("remarkWidth");
    for (int width : {58, 76}) {
        for (int report = 1; report <= 3; ++report) {
            const QPointF place = width == 58 ? QPointF(0, 85) : QPointF(5, report == 3 ? 71 : 85);
            QTest::addRow("%d mm report %d", width, report)
                << width << report << 12 + 2 * report << place << (width == 58 ? 180.0 : 240.0);
        }
    }
}

void TestPrintingLayouts::holdsTheElementsOfEachReport()
{
    QFETCH(int, width);
    QFETCH(int, report);
    QFETCH(int, titleElements);
    QFETCH(QPointF, remarkPlace);
    QFETCH(double, remarkWidth);

    Forms forms;
    report::Report& rep = forms.form(width).quickRep(report);
    QCOMPARE(rep.bands().size(), 3);
    QCOMPARE(rep.band(report::BandKind::Title)->elements().size(), titleElements);
    QCOMPARE(rep.band(report::BandKind::Detail)->elements().size(), 4);
    QCOMPARE(rep.band(report::BandKind::Summary)->elements().size(), 13);

    QStringList names;
    for (const report::Band* band : rep.bands()) {
        for (const report::Element* element : band->elements())
            names << element->name();
    }
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());

    report::TextBlock& block = forms.form(width).remarkBlock(report);
    QCOMPARE(block.name(), QStringLiteral("QRRichText%1").arg(report));
    QCOMPARE(block.geometry(), QRectF(remarkPlace, QSizeF(remarkWidth, 17)));
    QCOMPARE(block.font().pixelSize(), width == 58 ? 11 : 12);
}

void TestPrintingLayouts::setsUpThePages_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("report");
    QTest::addColumn<double>("pageWidth");
    QTest::addColumn<double>("designLength");
    QTest::addColumn<double>("title");
    QTest::addColumn<double>("detail");
    QTest::addColumn<double>("summary");
    QTest::newRow("58 report 1") << 58 << 1 << 219.0 << 305.0 << 100.0 << 25.0 << 103.0;
    QTest::newRow("58 report 2") << 58 << 2 << 219.0 << 305.0 << 100.0 << 25.0 << 103.0;
    QTest::newRow("58 report 3") << 58 << 3 << 219.0 << 328.0 << 123.0 << 25.0 << 103.0;
    QTest::newRow("76 report 1") << 76 << 1 << 287.0 << 310.0 << 100.0 << 30.0 << 103.0;
    QTest::newRow("76 report 2") << 76 << 2 << 287.0 << 320.0 << 110.0 << 30.0 << 103.0;
    QTest::newRow("76 report 3") << 76 << 3 << 287.0 << 320.0 << 123.0 << 30.0 << 89.0;
}

void TestPrintingLayouts::setsUpThePages()
{
    QFETCH(int, width);
    QFETCH(int, report);
    QFETCH(double, pageWidth);
    QFETCH(double, designLength);
    QFETCH(double, title);
    QFETCH(double, detail);
    QFETCH(double, summary);

    Forms forms;
    report::Report& rep = forms.form(width).quickRep(report);
    QCOMPARE(rep.name(), QStringLiteral("QuickRep%1").arg(report));
    QCOMPARE(rep.pageWidth(), pageWidth);
    QCOMPARE(rep.pageLength(), designLength);
    QCOMPARE(rep.band(report::BandKind::Title)->height(), title);
    QCOMPARE(rep.band(report::BandKind::Detail)->height(), detail);
    QCOMPARE(rep.band(report::BandKind::Summary)->height(), summary);
    QCOMPARE(rep.topMargin(), 10.0);
    QCOMPARE(rep.bottomMargin(), 10.0);
    QCOMPARE(rep.leftMargin(), 5.0);
    QCOMPARE(rep.rightMargin(), 5.0);
}

void TestPrintingLayouts::formatsDetailValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("printed");
    QTest::newRow("whole number") << "1"
                                  << "1.00";
    QTest::newRow("one decimal") << "12.5"
                                 << "12.50";
    QTest::newRow("empty") << ""
                           << "0.00";
    QTest::newRow("not a number") << "abc"
                                  << "0.00";
    QTest::newRow("lone point") << "."
                                << "0.00";
    QTest::newRow("negative") << "-3"
                              << "-3.00";
    QTest::newRow("below one") << "0.5"
                               << "0.50";
    QTest::newRow("no thousands separator") << "1234567.891"
                                            << "1234567.89";
    QTest::newRow("exponent") << "1E-5"
                              << "0.00";
}

void TestPrintingLayouts::formatsDetailValues()
{
    QFETCH(QString, value);
    QFETCH(QString, printed);
    QCOMPARE(printing::ReceiptLayoutForm::QRDBText3Print(value), printed);
    QCOMPARE(printing::ReceiptLayoutForm::QRDBText4Print(value), printed);
    QCOMPARE(printing::ReceiptLayoutForm::QRDBText5Print(value), printed);
}

void TestPrintingLayouts::previewShowsTheLayoutBeforeTheFirstRun()
{
    Forms forms;
    for (int width : {58, 76}) {
        report::Report& rep = forms.form(width).QuickRep3;
        const QStringList texts = textsOf(rep.layout());
        for (const QString shown : {"收银员", "单号", "时间", "客户", "电话", "应收", "找零", "店名", "单价", "折后"})
            QVERIFY2(texts.contains(shown), qPrintable(shown));
        // One detail band, whatever the sale holds; the values show their column names.
        QCOMPARE(texts.count("单价"), 2); // heading and field
        QVERIFY(!texts.contains("苹果"));
        QVERIFY(!texts.contains("0.00"));
        QVERIFY(!texts.contains("Quorvel便利店"));
        QVERIFY(textsOf(rep.layout(), QStringLiteral("QRRichText3")).isEmpty());
    }
}

// What the preview window shows while it is open.
struct Shown
{
    QStringList texts;
    QSize view;
    bool scrolls = false;
    bool wholeWidth = false; // every column of the page or dots in sight, no sideways scrolling
    QImage dots;
    QImage expectedDots;
};

Shown lookAtPreview(printing::ReceiptLayoutForm& form, const printing::SaleToPrint& sale, TDy58Form& dy58,
                    TDy76Form& dy76, const std::optional<printing::EscPosSettings>& dots = std::nullopt)
{
    Shown shown;
    ui::ModalRecorder modal;
    modal.setWhileShown([&](QDialog*) {
        const int page = form.currentPage();
        const std::array<report::ReportView*, 3> views = {control<report::ReportView>(form, "ReportView1"),
                                                          control<report::ReportView>(form, "ReportView2"),
                                                          control<report::ReportView>(form, "ReportView3")};
        const std::array<QScrollArea*, 3> boxes = {form.ScrollBox1, form.ScrollBox2, form.ScrollBox3};
        shown.texts = textsOf(form.quickRep(page).layout());
        shown.view = views[page - 1]->size();
        boxes[page - 1]->widget()->adjustSize();
        QCoreApplication::processEvents();
        shown.scrolls = boxes[page - 1]->verticalScrollBar()->maximum() > 0;
        form.show();
        if (QTest::qWaitForWindowExposed(&form)) {
            QScrollArea* box = boxes[page - 1];
            const QRect inViewport(views[page - 1]->mapTo(box->viewport(), QPoint(0, 0)), views[page - 1]->size());
            shown.wholeWidth = box->horizontalScrollBar()->maximum() == 0 && inViewport.left() >= 0 &&
                               inViewport.right() < box->viewport()->width() &&
                               views[page - 1]->mapTo(&form, QPoint(views[page - 1]->width(), 0)).x() <= form.width();
        }
        form.hide();
        shown.dots = views[page - 1]->dots();
        if (dots)
            shown.expectedDots = printing::receiptDots(form.quickRep(page), *dots);
    });
    printing::showPreview(sale, dy58, dy76);
    return shown;
}

void TestPrintingLayouts::previewShowsTheCurrentSale_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("58") << 58;
    QTest::newRow("76") << 76;
}

void TestPrintingLayouts::previewShowsTheCurrentSale()
{
    QFETCH(int, width);
    Forms forms;
    forms.db.exec("UPDATE dynr SET 店名 = 'Quorvel便利店', 备注 = '谢谢惠顾，欢迎下次光临！'");
    printing::SaleToPrint sale = testsupport::sampleSale();
    sale.layout = QString::number(width);
    sale.customer = true;
    sale.customerName = "张三";
    sale.number = "20240315093001";
    sale.totalQuantity = "2";
    sale.totalDue = "16.5";
    sale.remark = QStringLiteral("谢谢惠顾，欢迎下次光临！");
    printing::PrintCapture capture;
    printing::ReceiptLayoutForm& form = forms.form(width);

    const Shown shown = lookAtPreview(form, sale, *forms.dy58, *forms.dy76);
    QCOMPARE(form.currentPage(), 2);
    for (const QString value : {"admin", "20240315093001", "张三", "Quorvel便利店", "苹果", "梨", "12.50", "4.00",
                                "1.00", "16.5", "谢谢惠顾，欢迎下次光临！"})
        QVERIFY2(shown.texts.contains(value), qPrintable(value + "\n" + shown.texts.join('|')));
    // No placeholders: the fields show values, not their column names.
    for (const QString placeholder : {"店名", "折后", "单号"})
        QVERIFY2(!shown.texts.contains(placeholder), qPrintable(placeholder));
    // The paper the print run would use: 17 × 1 + K + 25 × 2 and the bar code, or longer when the lines need it.
    const double allowance = width == 58 ? 300 : 296;
    const double length = std::max(17 + allowance + 50 + printing::ReceiptBarcodeRoom, form.fittedLength(2));
    QCOMPARE(shown.view, QSize(width == 58 ? 219 : 287, int(std::ceil(length))));
    QVERIFY(shown.dots.isNull());
    QVERIFY(shown.wholeWidth);
    QVERIFY(capture.jobs().isEmpty());

    // A second sale shows its own values, not the first one's.
    forms.db.exec("DELETE FROM xsxx");
    testsupport::addSaleLines(forms.db, "2", "t", {{"香蕉", "3", "2", "6", "6"}});
    sale.customerName = "李四";
    const Shown next = lookAtPreview(form, sale, *forms.dy58, *forms.dy76);
    QVERIFY(next.texts.contains("香蕉") && next.texts.contains("李四"));
    QVERIFY(!next.texts.contains("苹果") && !next.texts.contains("张三"));
}

void TestPrintingLayouts::previewScrollsALongReceipt()
{
    Forms forms;
    QList<testsupport::SaleLine> lines;
    for (int i = 1; i <= 30; ++i)
        lines.append({QStringLiteral("商品%1").arg(i), "1", "1", "1", "1"});
    testsupport::addSaleLines(forms.db, "1", "t", lines);
    printing::PrintCapture capture;
    const Shown shown = lookAtPreview(*forms.dy58, testsupport::sampleSale(), *forms.dy58, *forms.dy76);
    QVERIFY(shown.texts.contains("商品30"));
    QVERIFY2(shown.view.height() > 400, qPrintable(QString::number(shown.view.height())));
    QVERIFY(shown.scrolls);
}

void TestPrintingLayouts::previewShowsTheDotsOfAnEscPosPrinter_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("dots");
    QTest::newRow("58 thermal") << 58 << int(printing::EscPosMode::Raster) << 384;
    QTest::newRow("76 thermal") << 76 << int(printing::EscPosMode::Raster) << 576;
    QTest::newRow("76 impact") << 76 << int(printing::EscPosMode::Impact) << 400;
}

void TestPrintingLayouts::previewShowsTheDotsOfAnEscPosPrinter()
{
    QFETCH(int, width);
    QFETCH(int, mode);
    QFETCH(int, dots);
    Forms forms;
    printing::PrintCapture capture;
    printing::EscPosSettings settings;
    settings.mode = printing::EscPosMode(mode);
    settings.dots = 0; // as the paper gives
    capture.keepDots(settings);
    printing::SaleToPrint sale = testsupport::sampleSale();
    sale.layout = QString::number(width);
    settings.dots = dots;
    const Shown shown = lookAtPreview(forms.form(width), sale, *forms.dy58, *forms.dy76, settings);
    QCOMPARE(shown.dots.width(), dots);
    QCOMPARE(shown.view, shown.dots.size());
    QCOMPARE(testsupport::dotDifference(shown.dots, shown.expectedDots), QString());
    QVERIFY(shown.wholeWidth);
    // Closed, the form shows its page again, at its own size.
    QVERIFY(control<report::ReportView>(forms.form(width), "ReportView1")->dots().isNull());
    QCOMPARE(forms.form(width).size(), QSize(342, 442));
}

void TestPrintingLayouts::choosesThePageAndShowsTheForm_data()
{
    QTest::addColumn<bool>("customer");
    QTest::addColumn<bool>("phone");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("58 neither") << false << false << "58" << 1 << QStringList({"TDy58Form"});
    QTest::newRow("58 customer") << true << false << "58" << 2 << QStringList({"TDy58Form"});
    QTest::newRow("76 customer and phone") << true << true << "76" << 3 << QStringList({"TDy76Form"});
    QTest::newRow("80 shows nothing") << true << false << "80" << 2 << QStringList();
    QTest::newRow("empty shows nothing") << true << true << "" << 3 << QStringList();
}

void TestPrintingLayouts::choosesThePageAndShowsTheForm()
{
    QFETCH(bool, customer);
    QFETCH(bool, phone);
    QFETCH(QString, layout);
    QFETCH(int, page);
    QFETCH(QStringList, shown);

    Forms forms;
    ui::ModalRecorder modal;
    printing::SaleToPrint sale = testsupport::sampleSale();
    sale.customer = customer;
    sale.phone = phone;
    sale.layout = layout;
    printing::showPreview(sale, *forms.dy58, *forms.dy76);
    QCOMPARE(modal.shown(), shown);
    QCOMPARE(forms.dy58->currentPage(), page);
    QCOMPARE(forms.dy76->currentPage(), page);
    QCOMPARE(control<QTabWidget>(*forms.dy58, "PageControl1")->currentIndex(), page - 1);
}

void TestPrintingLayouts::previewTouchesNothing()
{
    Forms forms;
    const QStringList before = forms.db.rows("SELECT * FROM xsxx") + forms.db.rows("SELECT * FROM dynr");
    printing::PrintCapture capture;
    ui::ModalRecorder modal;
    printing::SaleToPrint sale = testsupport::sampleSale();
    printing::showPreview(sale, *forms.dy58, *forms.dy76);
    sale.layout = "76";
    printing::showPreview(sale, *forms.dy58, *forms.dy76);
    QCOMPARE(forms.db.rows("SELECT * FROM xsxx") + forms.db.rows("SELECT * FROM dynr"), before);
    QCOMPARE(forms.db.scalar("SELECT count(*) FROM xstj"), QStringLiteral("0"));
    QVERIFY(capture.jobs().isEmpty());
}

void TestPrintingLayouts::previewWindowGeometry_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QPoint>("reportAt");
    QTest::newRow("58") << 58 << QPoint(62, 21);
    QTest::newRow("76") << 76 << QPoint(22, 21);
}

void TestPrintingLayouts::previewWindowGeometry()
{
    QFETCH(int, width);
    QFETCH(QPoint, reportAt);
    Forms forms;
    printing::ReceiptLayoutForm& form = forms.form(width);

    QCOMPARE(form.windowTitle(), QStringLiteral("打印预览"));
    QCOMPARE(form.size(), QSize(342, 442));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QCOMPARE(control<QTabWidget>(form, "PageControl1")->geometry(), QRect(0, 24, 345, 420));
    QCOMPARE(control<QTabWidget>(form, "PageControl1")->count(), 3);
    QCOMPARE(control<QTabWidget>(form, "PageControl1")->tabText(2), QStringLiteral("TabSheet3"));
    QCOMPARE(form.currentPage(), 1);
    QVERIFY(control<QPlainTextEdit>(form, "DBMemo1")->isHidden());

    // Panel1 lies in front of the page tabs and covers them.
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QTabBar* tabs = control<QTabWidget>(form, "PageControl1")->tabBar();
    const QRect tabsInForm(tabs->mapTo(&form, QPoint(0, 0)), tabs->size());
    QCOMPARE(control<QFrame>(form, "Panel1")->geometry(), QRect(0, 0, 342, 50));
    QVERIFY(control<QFrame>(form, "Panel1")->geometry().contains(tabsInForm));
    QCOMPARE(form.childAt(tabsInForm.center()), static_cast<QWidget*>(control<QFrame>(form, "Panel1")));
    QVERIFY(!tabs->isEnabled());

    const std::array<report::ReportView*, 3> views = {control<report::ReportView>(form, "ReportView1"),
                                                      control<report::ReportView>(form, "ReportView2"),
                                                      control<report::ReportView>(form, "ReportView3")};
    for (int r = 1; r <= 3; ++r) {
        QCOMPARE(views[r - 1]->report(), &form.quickRep(r));
    }
    QVERIFY(control<QWidget>(form, "TabSheet1")->isAncestorOf(control<report::ReportView>(form, "ReportView1")));
    QCOMPARE(control<report::ReportView>(form, "ReportView1")->mapTo(control<QWidget>(form, "TabSheet1"), QPoint(0, 0)),
             reportAt);
    QCOMPARE(control<report::ReportView>(form, "ReportView1")->size(),
             QSize(width == 58 ? 219 : 287, width == 58 ? 305 : 310));
    form.hide();
}

QTEST_MAIN(TestPrintingLayouts)
#include "test_printing_layouts.moc"
