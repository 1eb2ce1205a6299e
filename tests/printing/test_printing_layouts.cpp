#include "printing/Dy58Unit.h"
#include "printing/Dy76Unit.h"
#include "printing/PrintRun.h"
#include "printing/PrintSeam.h"
#include "printing/RemarkLines.h"
#include "support/PrintingSale.h"
#include "support/TestDatabase.h"
#include "ui/Seams.h"
#include "ui/report/ReportView.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>
#include <memory>

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

class LayoutsTest : public QObject
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
    void previewShowsTheLastRun();
    void choosesThePageAndShowsTheForm_data();
    void choosesThePageAndShowsTheForm();
    void previewTouchesNothing();
    void previewWindowGeometry_data();
    void previewWindowGeometry();
};

void LayoutsTest::placesEveryElement_data()
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

void LayoutsTest::placesEveryElement()
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

void LayoutsTest::holdsTheElementsOfEachReport_data()
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

void LayoutsTest::holdsTheElementsOfEachReport()
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
    QCOMPARE(rep.band(report::BandKind::Summary)->elements().size(), 11);

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

void LayoutsTest::setsUpThePages_data()
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

void LayoutsTest::setsUpThePages()
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

void LayoutsTest::formatsDetailValues_data()
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

void LayoutsTest::formatsDetailValues()
{
    QFETCH(QString, value);
    QFETCH(QString, printed);
    QCOMPARE(printing::ReceiptLayoutForm::QRDBText3Print(value), printed);
    QCOMPARE(printing::ReceiptLayoutForm::QRDBText4Print(value), printed);
    QCOMPARE(printing::ReceiptLayoutForm::QRDBText5Print(value), printed);
}

void LayoutsTest::previewShowsTheLayoutBeforeTheFirstRun()
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

void LayoutsTest::previewShowsTheLastRun()
{
    Forms forms;
    testsupport::PrintingMain main;
    printing::PrintCapture capture;
    printing::SaleToPrint sale = testsupport::sampleSale();
    sale.customer = true;
    sale.customerName = "张三";
    sale.remark = QStringLiteral("谢谢惠顾，欢迎下次光临！");
    printing::printAndRecord(sale, *forms.dy58, *forms.dy76, main.connection, main.saleLines, main.history,
                             main.historyLines);

    ui::ModalRecorder modal;
    printing::showPreview(true, false, "58", *forms.dy58, *forms.dy76);
    QCOMPARE(forms.dy58->currentPage(), 2);
    const QList<report::DrawnText> shown = forms.dy58->QuickRep2.layout();
    QCOMPARE(textsOf(shown, "QRLabel25"), QStringList({"admin"}));
    QCOMPARE(textsOf(shown, "QRLabel27"), QStringList({"20240315093000"}));
    QCOMPARE(textsOf(shown, "QRLabel31"), QStringList({"张三"}));
    QCOMPARE(textsOf(shown, "QRLabel37"), QStringList({"3"}));
    QCOMPARE(textsOf(shown, "QRDBText7"), QStringList({"品名"}));
    QCOMPARE(textsOf(shown, "QRDBText8"), QStringList({"单价"}));
    QCOMPARE(textsOf(shown, "QRRichText2"), QStringList({"谢谢惠顾，欢迎下次光临！"}));
    // The view is as large as the paper the run set.
    QCOMPARE(forms.dy58->ReportView2->size(), QSize(219, int(std::ceil(forms.dy58->QuickRep2.pageLength()))));
}

void LayoutsTest::choosesThePageAndShowsTheForm_data()
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

void LayoutsTest::choosesThePageAndShowsTheForm()
{
    QFETCH(bool, customer);
    QFETCH(bool, phone);
    QFETCH(QString, layout);
    QFETCH(int, page);
    QFETCH(QStringList, shown);

    Forms forms;
    ui::ModalRecorder modal;
    printing::showPreview(customer, phone, layout, *forms.dy58, *forms.dy76);
    QCOMPARE(modal.shown(), shown);
    QCOMPARE(forms.dy58->currentPage(), page);
    QCOMPARE(forms.dy76->currentPage(), page);
    QCOMPARE(forms.dy58->PageControl1->currentIndex(), page - 1);
}

void LayoutsTest::previewTouchesNothing()
{
    Forms forms;
    const QStringList before = forms.db.rows("SELECT * FROM xsxx") + forms.db.rows("SELECT * FROM dynr");
    printing::PrintCapture capture;
    ui::ModalRecorder modal;
    printing::showPreview(false, false, "58", *forms.dy58, *forms.dy76);
    printing::showPreview(false, false, "76", *forms.dy58, *forms.dy76);
    QCOMPARE(forms.db.rows("SELECT * FROM xsxx") + forms.db.rows("SELECT * FROM dynr"), before);
    QCOMPARE(forms.db.scalar("SELECT count(*) FROM xstj"), QStringLiteral("0"));
    QVERIFY(capture.jobs().isEmpty());
    QCOMPARE(forms.dy58->QuickRep1.label("QRLabel4")->text(), QStringLiteral("单号"));
}

void LayoutsTest::previewWindowGeometry_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QPoint>("reportAt");
    QTest::newRow("58") << 58 << QPoint(62, 21);
    QTest::newRow("76") << 76 << QPoint(22, 21);
}

void LayoutsTest::previewWindowGeometry()
{
    QFETCH(int, width);
    QFETCH(QPoint, reportAt);
    Forms forms;
    printing::ReceiptLayoutForm& form = forms.form(width);

    QCOMPARE(form.windowTitle(), QStringLiteral("打印预览"));
    QCOMPARE(form.size(), QSize(342, 442));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QCOMPARE(form.PageControl1->geometry(), QRect(0, 24, 345, 420));
    QCOMPARE(form.PageControl1->count(), 3);
    QCOMPARE(form.PageControl1->tabText(2), QStringLiteral("TabSheet3"));
    QCOMPARE(form.currentPage(), 1);
    QVERIFY(form.DBMemo1->isHidden());

    // Panel1 lies in front of the page tabs and covers them.
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QTabBar* tabs = form.PageControl1->tabBar();
    const QRect tabsInForm(tabs->mapTo(&form, QPoint(0, 0)), tabs->size());
    QCOMPARE(form.Panel1->geometry(), QRect(0, 0, 342, 50));
    QVERIFY(form.Panel1->geometry().contains(tabsInForm));
    QCOMPARE(form.childAt(tabsInForm.center()), static_cast<QWidget*>(form.Panel1));
    QVERIFY(!tabs->isEnabled());

    const std::array<report::ReportView*, 3> views = {form.ReportView1, form.ReportView2, form.ReportView3};
    for (int r = 1; r <= 3; ++r) {
        QCOMPARE(views[r - 1]->report(), &form.quickRep(r));
        QCOMPARE(views[r - 1]->pos(), reportAt);
    }
    QCOMPARE(form.ReportView1->parentWidget(), form.TabSheet1);
    QCOMPARE(form.ReportView1->size(), QSize(width == 58 ? 219 : 287, width == 58 ? 305 : 310));
    form.hide();
}

QTEST_MAIN(LayoutsTest)
#include "test_printing_layouts.moc"
