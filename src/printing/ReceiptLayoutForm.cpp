#include "printing/ReceiptLayoutForm.h"

#include "printing/PrintSeam.h"
#include "printing/RemarkLines.h"
#include "store/Catalogue.h"
#include "store/Error.h"
#include "store/Numbers.h"
#include "ui/Fonts.h"
#include "ui/Seams.h"
#include "ui/report/ReportView.h"

#include <QFontMetricsF>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <functional>

namespace printing {

namespace {

using Names = std::array<const char*, 3>; // in reports 1, 2, 3; nullptr where a report has none
using Places = std::array<QPointF, 3>;

constexpr int Reports = 3;
constexpr double MarginTop = 10, MarginBottom = 10, MarginLeft = 5, MarginRight = 5; // mm
constexpr double RemarkLineHeight = 17;

const QString TextFont = QStringLiteral("方正兰亭刊黑_GBK");
const QString RuleFont = QStringLiteral("Arial");
constexpr double RulePoints = 10;

enum class Kind
{
    Label,
    Field,
};

// One element of a band, in all three reports of one layout.
struct PlacedElement
{
    Kind kind;
    Names names;
    QString text; // a label's design text, a field's column
    Places places;
    bool opaque = false;
    bool rule = false;
};

Places same(double left, double top)
{
    return {QPointF(left, top), QPointF(left, top), QPointF(left, top)};
}

Places each(QPointF first, QPointF second, QPointF third)
{
    return {first, second, third};
}

struct Layout
{
    double pageWidth;
    std::array<double, 3> designLength;
    std::array<double, 3> titleHeight;
    double detailHeight;
    std::array<double, 3> summaryHeight;
    double textPoints;
    double remarkWidth;
    Places remarkPlaces;
    QList<PlacedElement> title;
    QList<PlacedElement> detail;
    QList<PlacedElement> summary;
};

const QString Rule58 = QString(42, QLatin1Char('-'));
const QString UpperRule58 =
    QString(10, QLatin1Char('-')) + QString(23, QLatin1Char(' ')) + QString(10, QLatin1Char('-'));
const QString Rule76 = QString(59, QLatin1Char('-'));
const QString UpperRule76 =
    QString(17, QLatin1Char('-')) + QString(26, QLatin1Char(' ')) + QString(16, QLatin1Char('-'));

const Layout& layout58()
{
    static const Layout layout{
        219,
        {305, 305, 328},
        {100, 100, 123},
        25,
        {103, 103, 103},
        8,
        180,
        same(0, 85),
        {
            {Kind::Label, {"QRLabel20", "QRLabel45", "QRLabel72"}, UpperRule58, same(0, -5), false, true},
            {Kind::Label, {"QRLabel21", "QRLabel46", "QRLabel73"}, UpperRule58, same(0, -3), false, true},
            {Kind::Label, {"QRLabel1", "QRLabel24", "QRLabel49"}, QStringLiteral("收银员："), same(42, 0)},
            {Kind::Label, {"QRLabel2", "QRLabel25", "QRLabel50"}, QStringLiteral("收银员"), same(83, 0)},
            {Kind::Field,
             {"QRDBText1", "QRDBText6", "QRDBText11"},
             QStringLiteral("店名"),
             each({7, 19}, {7, 16}, {7, 16})},
            {Kind::Label,
             {"QRLabel3", "QRLabel26", "QRLabel51"},
             QStringLiteral("单号："),
             each({7, 42}, {7, 35}, {7, 32})},
            {Kind::Label,
             {"QRLabel4", "QRLabel27", "QRLabel52"},
             QStringLiteral("单号"),
             each({37, 42}, {37, 35}, {37, 32})},
            {Kind::Label,
             {"QRLabel5", "QRLabel28", "QRLabel53"},
             QStringLiteral("时间："),
             each({7, 60}, {7, 50}, {7, 48})},
            {Kind::Label,
             {"QRLabel6", "QRLabel29", "QRLabel54"},
             QStringLiteral("时间"),
             each({37, 60}, {37, 50}, {37, 48})},
            {Kind::Label,
             {nullptr, "QRLabel30", "QRLabel55"},
             QStringLiteral("客户："),
             each({}, {7, 65}, {7, 64}),
             true},
            {Kind::Label,
             {nullptr, "QRLabel31", "QRLabel56"},
             QStringLiteral("客户"),
             each({}, {37, 65}, {37, 64}),
             true},
            {Kind::Label, {nullptr, nullptr, "QRLabel57"}, QStringLiteral("电话："), each({}, {}, {7, 80}), true},
            {Kind::Label, {nullptr, nullptr, "QRLabel58"}, QStringLiteral("电话"), each({}, {}, {37, 80}), true},
            {Kind::Label,
             {"QRLabel22", "QRLabel47", "QRLabel74"},
             Rule58,
             each({0, 73}, {0, 73}, {0, 91}),
             false,
             true},
            {Kind::Label,
             {"QRLabel7", "QRLabel32", "QRLabel59"},
             QStringLiteral("品名"),
             each({0, 85}, {0, 85}, {0, 108})},
            {Kind::Label,
             {"QRLabel8", "QRLabel33", "QRLabel60"},
             QStringLiteral("单价"),
             each({38, 85}, {38, 85}, {38, 108})},
            {Kind::Label,
             {"QRLabel9", "QRLabel34", "QRLabel61"},
             QStringLiteral("数量"),
             each({84, 85}, {84, 85}, {84, 108})},
            {Kind::Label,
             {"QRLabel10", "QRLabel35", "QRLabel62"},
             QStringLiteral("金额"),
             each({120, 85}, {120, 85}, {120, 108})},
        },
        {
            {Kind::Field, {"QRDBText2", "QRDBText7", "QRDBText12"}, QStringLiteral("品名"), same(0, 2)},
            {Kind::Field, {"QRDBText3", "QRDBText8", "QRDBText13"}, QStringLiteral("单价"), same(38, 13)},
            {Kind::Field, {"QRDBText4", "QRDBText9", "QRDBText14"}, QStringLiteral("数量"), same(85, 13)},
            {Kind::Field, {"QRDBText5", "QRDBText10", "QRDBText15"}, QStringLiteral("折后"), same(120, 13)},
        },
        {
            {Kind::Label, {"QRLabel11", "QRLabel36", "QRLabel63"}, QStringLiteral("合计："), same(22, 3), true},
            {Kind::Label, {"QRLabel12", "QRLabel37", "QRLabel64"}, QStringLiteral("数量"), same(86, 3)},
            {Kind::Label, {"QRLabel13", "QRLabel38", "QRLabel65"}, QStringLiteral("金额"), same(120, 3)},
            {Kind::Label, {"QRLabel14", "QRLabel39", "QRLabel66"}, QStringLiteral("应收金额："), same(0, 20)},
            {Kind::Label, {"QRLabel15", "QRLabel40", "QRLabel67"}, QStringLiteral("应收"), same(56, 20)},
            {Kind::Label, {"QRLabel16", "QRLabel41", "QRLabel68"}, QStringLiteral("实收金额："), same(0, 38)},
            {Kind::Label, {"QRLabel17", "QRLabel42", "QRLabel69"}, QStringLiteral("折后"), same(56, 38)},
            {Kind::Label, {"QRLabel18", "QRLabel43", "QRLabel70"}, QStringLiteral("找零金额："), same(0, 55)},
            {Kind::Label, {"QRLabel19", "QRLabel44", "QRLabel71"}, QStringLiteral("找零"), same(56, 55)},
            {Kind::Label, {"QRLabel23", "QRLabel48", "QRLabel75"}, Rule58, same(0, 68), false, true},
        },
    };
    return layout;
}

const Layout& layout76()
{
    static const Layout layout{
        287,
        {310, 320, 320},
        {100, 110, 123},
        30,
        {103, 103, 89},
        9,
        240,
        each({5, 85}, {5, 85}, {5, 71}),
        {
            {Kind::Label, {"QRLabel20", "QRLabel45", "QRLabel72"}, UpperRule76, same(5, -5), false, true},
            {Kind::Label, {"QRLabel21", "QRLabel46", "QRLabel73"}, UpperRule76, same(5, -3), false, true},
            {Kind::Label, {"QRLabel1", "QRLabel24", "QRLabel49"}, QStringLiteral("收银员："), same(77, 0)},
            {Kind::Label, {"QRLabel2", "QRLabel25", "QRLabel50"}, QStringLiteral("收银员"), same(125, 0)},
            {Kind::Field,
             {"QRDBText1", "QRDBText6", "QRDBText15"},
             QStringLiteral("店名"),
             each({7, 19}, {7, 16}, {7, 16})},
            {Kind::Label,
             {"QRLabel3", "QRLabel26", "QRLabel51"},
             QStringLiteral("单号："),
             each({7, 42}, {7, 37}, {7, 32})},
            {Kind::Label,
             {"QRLabel4", "QRLabel27", "QRLabel52"},
             QStringLiteral("单号"),
             each({37, 42}, {37, 37}, {37, 32})},
            {Kind::Label,
             {"QRLabel5", "QRLabel28", "QRLabel53"},
             QStringLiteral("时间："),
             each({7, 60}, {7, 56}, {7, 48})},
            {Kind::Label,
             {"QRLabel6", "QRLabel29", "QRLabel54"},
             QStringLiteral("时间"),
             each({37, 60}, {37, 56}, {37, 48})},
            {Kind::Label,
             {nullptr, "QRLabel30", "QRLabel55"},
             QStringLiteral("客户："),
             each({}, {7, 74}, {7, 64}),
             true},
            {Kind::Label,
             {nullptr, "QRLabel31", "QRLabel56"},
             QStringLiteral("客户"),
             each({}, {37, 74}, {37, 64}),
             true},
            {Kind::Label, {nullptr, nullptr, "QRLabel57"}, QStringLiteral("电话："), each({}, {}, {7, 82}), true},
            {Kind::Label, {nullptr, nullptr, "QRLabel58"}, QStringLiteral("电话"), each({}, {}, {37, 82}), true},
            {Kind::Label,
             {"QRLabel22", "QRLabel47", "QRLabel74"},
             Rule76,
             each({5, 73}, {5, 83}, {5, 93}),
             false,
             true},
            {Kind::Label,
             {"QRLabel7", "QRLabel32", "QRLabel59"},
             QStringLiteral("品名"),
             each({7, 85}, {7, 95}, {7, 108})},
            {Kind::Label,
             {"QRLabel8", "QRLabel33", "QRLabel60"},
             QStringLiteral("单价"),
             each({67, 85}, {67, 95}, {67, 108})},
            {Kind::Label,
             {"QRLabel9", "QRLabel34", "QRLabel61"},
             QStringLiteral("数量"),
             each({121, 85}, {121, 95}, {121, 108})},
            {Kind::Label,
             {"QRLabel10", "QRLabel35", "QRLabel62"},
             QStringLiteral("金额"),
             each({173, 85}, {173, 95}, {173, 108})},
        },
        {
            {Kind::Field, {"QRDBText2", "QRDBText7", "QRDBText13"}, QStringLiteral("品名"), same(7, 1), true},
            {Kind::Field, {"QRDBText3", "QRDBText8", "QRDBText14"}, QStringLiteral("单价"), same(67, 15)},
            {Kind::Field, {"QRDBText4", "QRDBText9", "QRDBText12"}, QStringLiteral("数量"), same(121, 15)},
            {Kind::Field, {"QRDBText5", "QRDBText10", "QRDBText11"}, QStringLiteral("折后"), same(173, 15)},
        },
        {
            {Kind::Label,
             {"QRLabel11", "QRLabel36", "QRLabel63"},
             QStringLiteral("合计："),
             each({31, 3}, {31, 3}, {31, 2})},
            {Kind::Label,
             {"QRLabel12", "QRLabel37", "QRLabel64"},
             QStringLiteral("数量"),
             each({122, 3}, {122, 3}, {122, 2})},
            {Kind::Label,
             {"QRLabel13", "QRLabel38", "QRLabel65"},
             QStringLiteral("金额"),
             each({172, 3}, {172, 3}, {172, 2})},
            {Kind::Label,
             {"QRLabel14", "QRLabel39", "QRLabel66"},
             QStringLiteral("应收金额："),
             each({7, 20}, {7, 20}, {7, 16})},
            {Kind::Label,
             {"QRLabel15", "QRLabel40", "QRLabel67"},
             QStringLiteral("应收"),
             each({68, 20}, {68, 20}, {68, 16})},
            {Kind::Label,
             {"QRLabel16", "QRLabel41", "QRLabel68"},
             QStringLiteral("实收金额："),
             each({7, 38}, {7, 38}, {7, 33})},
            {Kind::Label,
             {"QRLabel17", "QRLabel42", "QRLabel69"},
             QStringLiteral("折后"),
             each({68, 38}, {68, 38}, {68, 33})},
            {Kind::Label,
             {"QRLabel18", "QRLabel43", "QRLabel70"},
             QStringLiteral("找零金额："),
             each({7, 55}, {7, 55}, {7, 49})},
            {Kind::Label,
             {"QRLabel19", "QRLabel44", "QRLabel71"},
             QStringLiteral("找零"),
             each({68, 55}, {68, 55}, {68, 49})},
            {Kind::Label,
             {"QRLabel23", "QRLabel48", "QRLabel75"},
             Rule76,
             each({5, 68}, {5, 68}, {5, 59}),
             false,
             true},
        },
    };
    return layout;
}

const Layout& layoutOf(PaperWidth width)
{
    return width == PaperWidth::Mm58 ? layout58() : layout76();
}

const std::array<const char*, 3> RemarkBlockNames = {"QRRichText1", "QRRichText2", "QRRichText3"};

QString twoDecimals(const QString& value)
{
    long double number = 0;
    if (!store::tryParseNumber(value, &number))
        number = 0;
    return store::formatFixed2(number);
}

template <typename Control> Control* requireControl(QWidget& form, const char* name)
{
    auto* control = form.findChild<Control*>(QString::fromLatin1(name));
    if (!control)
        throw store::Error(QStringLiteral("小票窗口缺少控件 %1").arg(QString::fromLatin1(name)));
    return control;
}

void requireReportNumber(int number)
{
    if (number < 1 || number > Reports)
        throw store::Error(QStringLiteral("没有第 %1 个小票报表").arg(number));
}

} // namespace

// The reports read the sale while one lives, and show their layout again afterwards.
class ReceiptLayoutForm::LiveData
{
public:
    explicit LiveData(ReceiptLayoutForm& form) : m_form(form) { m_form.useLiveData(true); }
    ~LiveData() { m_form.useLiveData(false); }
    LiveData(const LiveData&) = delete;
    LiveData& operator=(const LiveData&) = delete;

private:
    ReceiptLayoutForm& m_form;
};

ReceiptLayoutForm::ReceiptLayoutForm(PaperWidth width, const QString& formName, QWidget* parent)
    : QDialog(parent), ADOConnection1(formName), ADODataSet1(ADOConnection1, store::sql::SelectXsxx),
      ADODataSet2(ADOConnection1, store::sql::SelectDynr), m_paperWidth(width), m_saleLines(ADODataSet1),
      m_printContent(ADODataSet2)
{
    ui::installFontSubstitutions();
    m_layoutLines.setColumns(
        {QStringLiteral("品名"), QStringLiteral("单价"), QStringLiteral("数量"), QStringLiteral("折后")});
    m_layoutLines.addRow(m_layoutLines.columns());
    m_layoutContent.setColumns({QStringLiteral("店名")});
    m_layoutContent.addRow(m_layoutContent.columns());
    buildReports();
    useLiveData(false);
}

ReceiptLayoutForm::~ReceiptLayoutForm()
{
    for (report::ReportView* view : views()) {
        if (view)
            view->setReport(nullptr);
    }
}

void ReceiptLayoutForm::buildReports()
{
    const Layout& layout = layoutOf(m_paperWidth);
    const QFont textFont = report::reportFont(TextFont, layout.textPoints);
    const QFont ruleFont = report::reportFont(RuleFont, RulePoints);

    for (int r = 0; r < Reports; ++r) {
        report::Report& rep = quickRep(r + 1);
        rep.setName(QStringLiteral("QuickRep%1").arg(r + 1));
        rep.setPageWidth(layout.pageWidth);
        rep.setPageLength(layout.designLength[r]);
        rep.setMargins(MarginTop, MarginBottom, MarginLeft, MarginRight);

        const auto place = [&](report::Band* band, const QList<PlacedElement>& elements) {
            for (const PlacedElement& element : elements) {
                const char* name = element.names[r];
                if (!name)
                    continue;
                const QPointF at = element.places[r];
                report::Element* added =
                    element.kind == Kind::Label
                        ? static_cast<report::Element*>(
                              band->addLabel(QString::fromLatin1(name), element.text, at.x(), at.y()))
                        : band->addDataField(QString::fromLatin1(name), element.text, at.x(), at.y());
                added->setFont(element.rule ? ruleFont : textFont);
                added->setOpaque(element.opaque);
            }
        };
        place(rep.addBand(report::BandKind::Title, layout.titleHeight[r]), layout.title);
        place(rep.addBand(report::BandKind::Detail, layout.detailHeight), layout.detail);
        report::Band* summary = rep.addBand(report::BandKind::Summary, layout.summaryHeight[r]);
        place(summary, layout.summary);

        const QPointF at = layout.remarkPlaces[r];
        report::TextBlock* block = summary->addTextBlock(QString::fromLatin1(RemarkBlockNames[r]),
                                                         QRectF(at.x(), at.y(), layout.remarkWidth, RemarkLineHeight));
        block->setFont(textFont);
    }

    QuickRep1.band(report::BandKind::Summary)->setBeforePrint([this] {
        QRBand3BeforePrint();
        keepTotalsApart(1);
    });
    QuickRep2.band(report::BandKind::Summary)->setBeforePrint([this] {
        QRBand5BeforePrint();
        keepTotalsApart(2);
    });
    QuickRep3.band(report::BandKind::Summary)->setBeforePrint([this] {
        QRBand8BeforePrint();
        keepTotalsApart(3);
    });

    // A long goods or shop name goes on to further lines within the paper; the paper grows.
    for (int r = 1; r <= Reports; ++r) {
        report::Report& rep = quickRep(r);
        for (report::BandKind kind : {report::BandKind::Title, report::BandKind::Detail}) {
            for (report::Element* element : rep.band(kind)->elements()) {
                auto* field = dynamic_cast<report::DataField*>(element);
                if (field && (field->column() == QStringLiteral("品名") || field->column() == QStringLiteral("店名")))
                    field->setWrapWidth(bandWidth() - field->left());
            }
        }
    }

    // Hooked by column: the names of the fields differ between the layouts.
    const QList<std::pair<QString, report::DataField::PrintHook>> hooks = {
        {QStringLiteral("单价"), &ReceiptLayoutForm::QRDBText3Print},
        {QStringLiteral("数量"), &ReceiptLayoutForm::QRDBText4Print},
        {QStringLiteral("折后"), &ReceiptLayoutForm::QRDBText5Print},
    };
    for (int r = 1; r <= Reports; ++r) {
        for (report::Element* element : quickRep(r).band(report::BandKind::Detail)->elements()) {
            auto* field = dynamic_cast<report::DataField*>(element);
            for (const auto& [column, hook] : hooks) {
                if (field && field->column() == column) {
                    // Outside a print job the layout shows the column name, not 0.00.
                    field->setPrintHook([this, hook](const QString& value) { return m_live ? hook(value) : value; });
                }
            }
        }
    }
}

void ReceiptLayoutForm::attachControls()
{
    Panel1 = requireControl<QFrame>(*this, "Panel1");
    PageControl1 = requireControl<QTabWidget>(*this, "PageControl1");
    TabSheet1 = requireControl<QWidget>(*this, "TabSheet1");
    TabSheet2 = requireControl<QWidget>(*this, "TabSheet2");
    TabSheet3 = requireControl<QWidget>(*this, "TabSheet3");
    Image1 = requireControl<QLabel>(*this, "Image1");
    Image2 = requireControl<QLabel>(*this, "Image2");
    Image3 = requireControl<QLabel>(*this, "Image3");
    ReportView1 = requireControl<report::ReportView>(*this, "ReportView1");
    ReportView2 = requireControl<report::ReportView>(*this, "ReportView2");
    ReportView3 = requireControl<report::ReportView>(*this, "ReportView3");
    DBMemo1 = requireControl<QPlainTextEdit>(*this, "DBMemo1");

    setWindowTitle(QStringLiteral("打印预览"));
    setFixedSize(342, 442);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);

    // Panel1 covers the tabs: the program chooses the page, the user cannot.
    Panel1->raise();
    PageControl1->tabBar()->setEnabled(false);
    PageControl1->setFocusPolicy(Qt::NoFocus);
    PageControl1->setCurrentIndex(0);

    DBMemo1->setFont(ui::songFont(13));
    DBMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DBMemo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    DBMemo1->setReadOnly(true);
    DBMemo1->hide();

    const std::array<QLabel*, 3> backgrounds = {Image1, Image2, Image3};
    for (int r = 0; r < Reports; ++r) {
        views()[r]->setReport(&quickRep(r + 1));
        backgrounds[r]->lower();
    }
    ScrollBox1 = scrollable(ReportView1);
    ScrollBox2 = scrollable(ReportView2);
    ScrollBox3 = scrollable(ReportView3);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

// The view keeps its place on the page and the page scrolls when the paper is longer (or the
// dots wider) than the window; the page's background shows around it.
QScrollArea* ReceiptLayoutForm::scrollable(report::ReportView* view)
{
    QWidget* page = view->parentWidget();
    const QPoint at = view->pos();
    auto* box = new QScrollArea(page);
    box->setObjectName(view->objectName().replace(QLatin1String("ReportView"), QLatin1String("ScrollBox")));
    auto* fill = new QGridLayout(page);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(box, 0, 0);
    box->setFrameShape(QFrame::NoFrame);
    box->setWidgetResizable(true);
    // Transparent, so the page's background shows; no style sheet, which is slow to apply.
    box->setAutoFillBackground(false);
    box->viewport()->setAutoFillBackground(false);
    auto* sheet = new QWidget;
    sheet->setAutoFillBackground(false);
    auto* layout = new QGridLayout(sheet);
    layout->setContentsMargins(at.x(), at.y(), at.x(), at.y());
    layout->addWidget(view, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    box->setWidget(sheet);
    box->show();
    return box;
}

void ReceiptLayoutForm::FormCreate()
{
    ADOConnection1.close();
    ADOConnection1.open();
    ADODataSet1.open();
    ADODataSet2.open();
    // DBMemo1 is bound to the remark of the print content's current row.
    DBMemo1->setPlainText(ADODataSet2.field(QStringLiteral("备注")));
}

void ReceiptLayoutForm::QRBand3BeforePrint()
{
    fillRemarkBlock(1);
}

void ReceiptLayoutForm::QRBand5BeforePrint()
{
    fillRemarkBlock(2);
}

void ReceiptLayoutForm::QRBand8BeforePrint()
{
    fillRemarkBlock(3);
}

double ReceiptLayoutForm::bandWidth() const
{
    return layoutOf(m_paperWidth).pageWidth - report::millimetresToUnits(MarginLeft + MarginRight);
}

// The total quantity and total amount stand on one line under their columns. Long numbers push
// the amount to the right, and past the paper's edge both go on to further lines, so a gap of a
// digit's width always stays between them.
void ReceiptLayoutForm::keepTotalsApart(int number)
{
    const Layout& layout = layoutOf(m_paperWidth);
    const PlacedElement& quantityPlace = layout.summary.at(1);
    const PlacedElement& amountPlace = layout.summary.at(2);
    report::Label* quantity = quickRep(number).label(QString::fromLatin1(quantityPlace.names[number - 1]));
    report::Label* amount = quickRep(number).label(QString::fromLatin1(amountPlace.names[number - 1]));
    if (!quantity || !amount)
        return;
    const QFontMetricsF metrics(amount->font());
    const double gap = metrics.horizontalAdvance(QLatin1Char('0'));
    const double quantityLeft = quantityPlace.places[number - 1].x();
    const double designAmountLeft = amountPlace.places[number - 1].x();
    const double quantityText = QFontMetricsF(quantity->font()).horizontalAdvance(quantity->text());
    const double amountText = metrics.horizontalAdvance(amount->text());
    const double room = bandWidth() - quantityLeft - gap; // for both numbers

    if (quantityText + amountText <= room) {
        // One line: the amount under its column, or as far left of it as the paper needs.
        quantity->setWrapWidth(0);
        amount->setWrapWidth(0);
        const double fits = bandWidth() - amountText;
        amount->setLeft(std::max(quantityLeft + quantityText + gap, std::min(designAmountLeft, fits)));
    } else {
        // Each takes its share of the line and wraps within it.
        const double quantityWidth = std::max(gap, std::min(quantityText, room / 2));
        const double amountLeft = quantityLeft + quantityWidth + gap;
        quantity->setWrapWidth(quantityWidth);
        amount->setLeft(amountLeft);
        amount->setWrapWidth(std::max(gap, bandWidth() - amountLeft));
    }
}

void ReceiptLayoutForm::fillRemarkBlock(int number)
{
    // The preview shows the lines of the last print run, so only a print job refills them.
    if (m_live)
        remarkBlock(number).setLines(remarkLines(remarkText()));
}

QString ReceiptLayoutForm::QRDBText3Print(const QString& value)
{
    return twoDecimals(value);
}

QString ReceiptLayoutForm::QRDBText4Print(const QString& value)
{
    return twoDecimals(value);
}

QString ReceiptLayoutForm::QRDBText5Print(const QString& value)
{
    return twoDecimals(value);
}

report::Report& ReceiptLayoutForm::quickRep(int number)
{
    requireReportNumber(number);
    return number == 1 ? QuickRep1 : number == 2 ? QuickRep2 : QuickRep3;
}

report::TextBlock& ReceiptLayoutForm::remarkBlock(int number)
{
    report::TextBlock* block = quickRep(number).textBlock(QString::fromLatin1(RemarkBlockNames[number - 1]));
    Q_ASSERT(block);
    return *block;
}

QString ReceiptLayoutForm::remarkText() const
{
    return DBMemo1 ? DBMemo1->toPlainText() : QString();
}

double ReceiptLayoutForm::fittedLength(int number)
{
    LiveData live(*this);
    return quickRep(number).fittedPageLength();
}

void ReceiptLayoutForm::choosePage(int number)
{
    requireReportNumber(number);
    PageControl1->setCurrentIndex(number - 1);
}

int ReceiptLayoutForm::currentPage() const
{
    return PageControl1->currentIndex() + 1;
}

HandedJobs ReceiptLayoutForm::printReceipt(int number, int copies, const QString& documentName)
{
    report::Report& receipt = quickRep(number);
    HandedJobs jobs;
    {
        LiveData live(*this);
        jobs = printReceiptJobs(receipt, copies, documentName, m_paperWidth == PaperWidth::Mm76);
    }
    refreshPreview();
    return jobs;
}

void ReceiptLayoutForm::previewReceipt(int number)
{
    report::ReportView* view = views()[number - 1];
    {
        LiveData live(*this);
        if (const std::optional<EscPosSettings> settings = receiptEscPos(m_paperWidth == PaperWidth::Mm76))
            view->setDots(receiptDots(quickRep(number), *settings));
        refreshPreview();
        ui::showModal(this);
    }
    view->setDots({});
    refreshPreview();
}

void ReceiptLayoutForm::refreshPreview()
{
    for (report::ReportView* view : views()) {
        if (view)
            view->refresh();
    }
}

QString ReceiptLayoutForm::shopNameField(int number) const
{
    for (const PlacedElement& element : layoutOf(m_paperWidth).title) {
        if (element.kind == Kind::Field)
            return QString::fromLatin1(element.names[number - 1]);
    }
    return {};
}

void ReceiptLayoutForm::useLiveData(bool live)
{
    m_live = live;
    for (int r = 1; r <= Reports; ++r) {
        report::Report& rep = quickRep(r);
        rep.setDataSource(live ? static_cast<report::RowSource*>(&m_saleLines) : &m_layoutLines);
        if (report::DataField* field = rep.dataField(shopNameField(r)))
            field->setSource(live ? static_cast<report::RowSource*>(&m_printContent) : &m_layoutContent);
    }
}

} // namespace printing
