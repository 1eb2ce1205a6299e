#include "printing/ReceiptLayoutForm.h"

#include "core/Error.h"
#include "printing/PaymentBlock.h"
#include "printing/Code128.h"
#include "printing/PrintHandOff.h"
#include "printing/RemarkLines.h"
#include "report/ReportView.h"
#include "store/Catalogue.h"
#include "store/Numbers.h"
#include "ui/Fonts.h"
#include "ui/Seams.h"

#include <QFontMetricsF>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <functional>

namespace printing {

namespace {

constexpr double MarginTop = 10, MarginBottom = 10, MarginLeft = 5, MarginRight = 5; // mm
constexpr double RemarkLineHeight = 17;
// The preview window's design width and its pages'; a picture of dots keeps this much to its sides.
constexpr int DesignWidth = 342;
constexpr int DesignPagesWidth = 345;
constexpr int DotsMargin = 8;

const QString TextFont = QStringLiteral("方正兰亭刊黑_GBK");
const QString RuleFont = QStringLiteral("Arial");
constexpr double RulePoints = 10;

const std::array<const char*, ReceiptReports> RemarkBlockNames = {"QRRichText1", "QRRichText2", "QRRichText3"};

QString twoDecimals(const QString& value)
{
    long double number = 0;
    if (!store::tryParseNumber(value, &number))
        number = 0;
    return store::formatFixed2(number);
}

struct ElementFonts
{
    QFont text;
    QFont rule;
};

// The elements of one band that report r (0 to 2) has.
void placeElements(report::Band& band, const QList<PlacedElement>& elements, int r, const ElementFonts& fonts)
{
    for (const PlacedElement& element : elements) {
        const char* name = element.names[r];
        if (!name)
            continue;
        const QString objectName = QString::fromLatin1(name);
        const QPointF at = element.places[r];
        report::Element* added =
            element.kind == ElementKind::Label
                ? static_cast<report::Element*>(band.addLabel(objectName, element.text, at.x(), at.y()))
                : band.addDataField(objectName, element.text, at.x(), at.y());
        added->setFont(element.look == ElementLook::Rule ? fonts.rule : fonts.text);
        added->setOpaque(element.look == ElementLook::Opaque);
    }
}

QList<report::DataField*> dataFields(const report::Band& band)
{
    QList<report::DataField*> fields;
    for (report::Element* element : band.elements()) {
        if (auto* field = dynamic_cast<report::DataField*>(element))
            fields.append(field);
    }
    return fields;
}

void requireReportNumber(int number)
{
    if (number < 1 || number > ReceiptReports)
        throw core::Error(QStringLiteral("没有第 %1 个小票报表").arg(number));
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

ReceiptLayoutForm::ReceiptLayoutForm(PaperWidth width, QWidget* parent)
    : QDialog(parent), ADOConnection1(QString::fromLatin1(receiptLayout(width).connectionName)),
      ADODataSet1(ADOConnection1, store::sql::SelectXsxx), ADODataSet2(ADOConnection1, store::sql::SelectDynr),
      m_paperWidth(width), m_saleLines(ADODataSet1), m_printContent(ADODataSet2)
{
    ui::installFontSubstitutions();
    m_layoutLines.setColumns(
        {QStringLiteral("品名"), QStringLiteral("单价"), QStringLiteral("数量"), QStringLiteral("折后")});
    m_layoutLines.addRow(m_layoutLines.columns());
    m_layoutContent.setColumns({QStringLiteral("店名")});
    m_layoutContent.addRow(m_layoutContent.columns());
    buildReports();
    useLiveData(false);
    setObjectName(QString::fromLatin1(receiptLayout(width).windowName));
    setupUi(this);
    setUpWindow();
    FormCreate();
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
    for (int number = 1; number <= ReceiptReports; ++number)
        buildReport(number);
    hookSummaries();
    wrapLongNames();
    hookDetailValues();
}

// The report's page, its bands with the elements it has, and the remark block in its summary.
void ReceiptLayoutForm::buildReport(int number)
{
    const ReceiptLayout& layout = receiptLayout(m_paperWidth);
    const int r = number - 1;
    const ElementFonts fonts{report::reportFont(TextFont, layout.textPoints), report::reportFont(RuleFont, RulePoints)};
    report::Report& rep = quickRep(number);
    rep.setName(QStringLiteral("QuickRep%1").arg(number));
    rep.setPageWidth(layout.pageWidth);
    rep.setPageLength(layout.designLength[r]);
    rep.setMargins(MarginTop, MarginBottom, MarginLeft, MarginRight);

    placeElements(*rep.addBand(report::BandKind::Title, layout.titleHeight[r]), layout.title, r, fonts);
    placeElements(*rep.addBand(report::BandKind::Detail, layout.detailHeight), layout.detail, r, fonts);
    report::Band* summary = rep.addBand(report::BandKind::Summary, layout.summaryHeight[r]);
    placeElements(*summary, layout.summary, r, fonts);

    const QPointF at = layout.remarkPlaces[r];
    report::TextBlock* block = summary->addTextBlock(QString::fromLatin1(RemarkBlockNames[r]),
                                                     QRectF(at.x(), at.y(), layout.remarkWidth, RemarkLineHeight));
    block->setFont(fonts.text);
    addPaymentBlock(*summary, layout, r, fonts.text);
    addBarcode(*summary, number, fonts.text);
}

void ReceiptLayoutForm::addBarcode(report::Band& summary, int number, const QFont& font)
{
    const BarcodePlacement& placement = receiptBarcode(m_paperWidth);
    const QPointF at = placement.places[number - 1];
    auto barcode = std::make_unique<report::Barcode>(QString::fromLatin1(placement.names[number - 1]), &code128Modules);
    barcode->setGeometry(QRectF(at.x(), at.y(), bandWidth() - at.x(), ReceiptBarcodeRoom));
    barcode->setModuleWidth(placement.moduleWidth);
    barcode->setBarHeight(ReceiptBarcodeBarHeight);
    barcode->setFont(font);
    barcode->setText(QStringLiteral("单号"));
    summary.addElement(std::move(barcode));
}

void ReceiptLayoutForm::hookSummaries()
{
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
}

// A long goods or shop name goes on to further lines within the paper; the paper grows.
void ReceiptLayoutForm::wrapLongNames()
{
    for (int number = 1; number <= ReceiptReports; ++number) {
        for (report::BandKind kind : {report::BandKind::Title, report::BandKind::Detail}) {
            for (report::DataField* field : dataFields(*quickRep(number).band(kind))) {
                if (field->column() == QStringLiteral("品名") || field->column() == QStringLiteral("店名"))
                    field->setWrapWidth(bandWidth() - field->left());
            }
        }
    }
}

// Hooked by column: the names of the fields differ between the layouts.
void ReceiptLayoutForm::hookDetailValues()
{
    const QList<std::pair<QString, report::DataField::PrintHook>> hooks = {
        {QStringLiteral("单价"), &ReceiptLayoutForm::QRDBText3Print},
        {QStringLiteral("数量"), &ReceiptLayoutForm::QRDBText4Print},
        {QStringLiteral("折后"), &ReceiptLayoutForm::QRDBText5Print},
    };
    for (int number = 1; number <= ReceiptReports; ++number) {
        for (report::DataField* field : dataFields(*quickRep(number).band(report::BandKind::Detail))) {
            for (const auto& [column, hook] : hooks) {
                // Outside a print job the layout shows the column name, not 0.00.
                if (field->column() == column)
                    field->setPrintHook([this, hook](const QString& value) { return m_live ? hook(value) : value; });
            }
        }
    }
}

void ReceiptLayoutForm::setUpWindow()
{
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
    for (int r = 0; r < ReceiptReports; ++r) {
        views()[r]->move(receiptLayout(m_paperWidth).viewLeft, views()[r]->y());
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
    return receiptLayout(m_paperWidth).pageWidth - report::millimetresToUnits(MarginLeft + MarginRight);
}

// The total quantity and total amount stand on one line under their columns. Long numbers push
// the amount to the right, and past the paper's edge both go on to further lines, so a gap of a
// digit's width always stays between them.
void ReceiptLayoutForm::keepTotalsApart(int number)
{
    const ReceiptLayout& layout = receiptLayout(m_paperWidth);
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

report::Barcode& ReceiptLayoutForm::barcode(int number)
{
    auto* found = dynamic_cast<report::Barcode*>(
        quickRep(number).element(QString::fromLatin1(receiptBarcode(m_paperWidth).names[number - 1])));
    Q_ASSERT(found);
    return *found;
}

report::TextBlock& ReceiptLayoutForm::remarkBlock(int number)
{
    report::TextBlock* block = quickRep(number).textBlock(QString::fromLatin1(RemarkBlockNames[number - 1]));
    Q_ASSERT(block);
    return *block;
}

PaymentBlock& ReceiptLayoutForm::paymentBlock(int number)
{
    auto* block = dynamic_cast<PaymentBlock*>(quickRep(number).element(paymentBlockName(number)));
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
        const std::optional<EscPosSettings> settings = receiptEscPos(m_paperWidth == PaperWidth::Mm76);
        if (settings)
            view->setDots(receiptDots(quickRep(number), *settings));
        refreshPreview();
        fitPreviewWidth(settings.has_value());
        ui::showModal(this);
    }
    view->setDots({});
    fitPreviewWidth(false);
    refreshPreview();
}

// A receipt printer's dots show one screen pixel each, so none is lost or smeared: the window
// widens to hold every dot of the line beside the scroll bar, and is its design size again for
// the page. Never wider than the screen.
void ReceiptLayoutForm::fitPreviewWidth(bool dots)
{
    const std::array<QScrollArea*, 3> boxes = {ScrollBox1, ScrollBox2, ScrollBox3};
    const int viewLeft = receiptLayout(m_paperWidth).viewLeft;
    int needed = DesignWidth;
    const int chrome = PageControl1->width() - PageControl1->currentWidget()->width();
    for (int r = 0; r < ReceiptReports; ++r) {
        auto* sheet = boxes[r]->widget()->layout();
        // The page keeps its place from the left; nothing on its right, so a receipt long enough
        // for the scroll bar does not also scroll sideways.
        const int side = dots ? DotsMargin : viewLeft;
        const QMargins margins = sheet->contentsMargins();
        sheet->setContentsMargins(side, margins.top(), dots ? side : 0, margins.bottom());
        if (dots) {
            const int scrollBar = boxes[r]->verticalScrollBar()->sizeHint().width();
            needed = std::max(needed, views()[r]->width() + 2 * side + scrollBar + std::max(chrome, 0) + DotsMargin);
        }
    }
    if (const QScreen* screen = this->screen())
        needed = std::min(needed, std::max(DesignWidth, screen->availableGeometry().width()));
    setFixedSize(needed, height());
    PageControl1->resize(needed + (DesignPagesWidth - DesignWidth), PageControl1->height());
    Panel1->resize(needed, Panel1->height());
    for (QLabel* background : {Image1, Image2, Image3})
        background->resize(needed + (DesignPagesWidth - DesignWidth), background->height());
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
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
    for (const PlacedElement& element : receiptLayout(m_paperWidth).title) {
        if (element.kind == ElementKind::Field)
            return QString::fromLatin1(element.names[number - 1]);
    }
    return {};
}

void ReceiptLayoutForm::useLiveData(bool live)
{
    m_live = live;
    for (int r = 1; r <= ReceiptReports; ++r) {
        report::Report& rep = quickRep(r);
        rep.setDataSource(live ? static_cast<report::RowSource*>(&m_saleLines) : &m_layoutLines);
        if (report::DataField* field = rep.dataField(shopNameField(r)))
            field->setSource(live ? static_cast<report::RowSource*>(&m_printContent) : &m_layoutContent);
    }
}

} // namespace printing
