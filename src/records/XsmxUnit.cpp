#include "records/XsmxUnit.h"

#include "records/SalesListOwner.h"
#include "records/SoldColumns.h"
#include "sales/Checkout.h"
#include "sales/PaymentRecords.h"
#include "store/Catalogue.h"
#include "ui/DataGrid.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/Icons.h"
#include "ui/Messages.h"

#include <QLabel>
#include <QShowEvent>

namespace {

using Footer = ui::GridColumn::Footer;

QList<ui::GridColumn> lineColumns()
{
    QList<ui::GridColumn> columns = {
        {.title = QStringLiteral("序号"), .field = {}, .width = 50, .footer = Footer::Caption},
        {.title = QStringLiteral("客户"), .field = QStringLiteral("客户"), .width = 100},
        {.title = QStringLiteral("电话"), .field = QStringLiteral("电话"), .width = 120},
        {.title = QStringLiteral("品名"), .field = QStringLiteral("品名"), .width = 170},
        {.title = QStringLiteral("单价"), .field = QStringLiteral("单价"), .width = 70, .numeric = true},
    };
    return columns + records::soldColumns(80, 105) +
           QList<ui::GridColumn>{{.title = QStringLiteral("状态"), .field = QStringLiteral("状态"), .width = 70}};
}

} // namespace

TXsmxForm::TXsmxForm(records::SalesListOwner* statistics, QWidget* parent)
    : ui::SkinnedWindow(parent), ADOConnection1(QStringLiteral("TXsmxForm")),
      ADOQuery1(ADOConnection1, store::sql::SelectXsmx), m_statistics(statistics)
{
    setupWindow(static_cast<Ui::TXsmxForm&>(*this), QStringLiteral("TXsmxForm"), QStringLiteral("销售明细"),
                QSize(901, 559), ui::ControlBox | ui::Close);
    setUpGrid();
    PaymentLabel = new QLabel(SpeedButton1->parentWidget());
    PaymentLabel->setObjectName(QStringLiteral("PaymentLabel"));
    PaymentLabel->setGeometry(DBGridEh1->x(), SpeedButton1->y(), SpeedButton1->x() - DBGridEh1->x() - 10,
                              SpeedButton1->height());
    PaymentLabel->setFont(ui::songFont(15));
    PaymentLabel->setAccessibleName(QStringLiteral("付款方式"));
    SpeedButton1->setIcon(ui::icon(QStringLiteral("reprint")));
    ui::connectGuarded(SpeedButton1, &QToolButton::clicked, this, &TXsmxForm::SpeedButton1Click);
    ui::connectGuarded(SpeedButton2, &QToolButton::clicked, this, &TXsmxForm::SpeedButton2Click);
    setShowHandler([this] { FormShow(); });
    ADOConnection1.open();
    ADOQuery1.open();
}

QString TXsmxForm::statisticsNumber() const
{
    return m_statistics ? m_statistics->selectedReceiptNumber() : QString();
}

// The connection closes its datasets without telling their views, so the lines are closed
// first: should the file be gone, the grid then shows the empty list it really is.
void TXsmxForm::reconnect()
{
    ADOQuery1.close();
    ADOConnection1.reconnect();
}

void TXsmxForm::readLinesOf(const QString& receiptNumber)
{
    ADOQuery1.requery(store::sql::XsmxOfSale, receiptNumber);
    PaymentLabel->setText(QStringLiteral("付款方式：") +
                          sales::describePayments(sales::recordedPayments(ADOConnection1, receiptNumber, {})));
}

void TXsmxForm::setUpGrid()
{
    DBGridEh1->setColumns(lineColumns());
    DBGridEh1->setFooterVisible(true);
}

void TXsmxForm::showEvent(QShowEvent* event)
{
    // Bound only when first shown: bound at creation, the grid would count every line of the
    // history (the initial query) while the program starts.
    if (!DBGridEh1->dataset())
        DBGridEh1->setDataset(&ADOQuery1);
    ui::SkinnedWindow::showEvent(event);
}

void TXsmxForm::FormShow()
{
    const QString number = statisticsNumber();
    setCaption(QStringLiteral("单号：") + number);
}

void TXsmxForm::SpeedButton1Click()
{
    const QString number = statisticsNumber();
    if (number.isEmpty() || ADOQuery1.recordCount() == 0)
        return;
    emit reprintRequested(number);
}

void TXsmxForm::SpeedButton2Click()
{
    const QString number = statisticsNumber();
    if (number.isEmpty() || ADOQuery1.recordCount() == 0)
        return;
    emit returnRequested(number);
}

void TXsmxForm::showReturnRecorded()
{
    if (ADOQuery1.isOpen())
        ADOQuery1.requery(ADOQuery1.statement(), ADOQuery1.argument());
}
