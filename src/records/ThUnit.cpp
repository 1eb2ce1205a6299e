#include "records/ThUnit.h"

#include "core/Error.h"
#include "store/Numbers.h"
#include "ui/Guard.h"
#include "ui/Messages.h"
#include "ui/Seams.h"

#include <QDateTime>
#include <QHeaderView>
#include <QTableWidget>

namespace {

const QStringList Headings = {QStringLiteral("品名"),     QStringLiteral("单价"),     QStringLiteral("已售数量"),
                              QStringLiteral("已退数量"), QStringLiteral("本次退货"), QStringLiteral("退款金额")};

QTableWidgetItem* fixedItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QString priceText(const QVariant& price)
{
    return price.isNull() ? QString() : store::formatNumber(price.toDouble());
}

} // namespace

TThForm::TThForm(QWidget* parent) : ui::SkinnedWindow(parent), ADOConnection1(QStringLiteral("TThForm"))
{
    setupWindow(static_cast<Ui::TThForm&>(*this), QStringLiteral("TThForm"), QStringLiteral("退货"), QSize(640, 452),
                ui::ControlBox | ui::Close);
    TableWidget1->setColumnCount(int(Headings.size()));
    TableWidget1->setHorizontalHeaderLabels(Headings);
    TableWidget1->horizontalHeader()->setSectionResizeMode(GoodsColumn, QHeaderView::Stretch);
    TableWidget1->verticalHeader()->setVisible(false);
    TableWidget1->setSelectionMode(QAbstractItemView::SingleSelection);
    for (sales::PayMethod method : sales::allMethods())
        ComboBox1->addItem(sales::methodName(method), int(method));
    ui::connectGuarded(SpeedButton1, &QToolButton::clicked, this, &TThForm::SpeedButton1Click);
    ui::connectGuarded(SpeedButton2, &QToolButton::clicked, this, &TThForm::SpeedButton2Click);
    ui::connectGuarded(TableWidget1, &QTableWidget::cellChanged, this, [this] { TableWidget1CellChanged(); });
    ADOConnection1.open();
}

void TThForm::setLoggedInUser(const core::LoggedInUser* user)
{
    m_loggedIn = user;
}

void TThForm::setSlipHandOff(records::SlipHandOff* slip)
{
    m_slip = slip;
}

bool TThForm::loggedInAsAdministrator() const
{
    return m_loggedIn && m_loggedIn->isAdministrator();
}

void TThForm::OpenForSale(const QString& receiptNumber)
{
    ADOConnection1.reconnect();
    m_sale = store::readSaleOnRecord(ADOConnection1, receiptNumber);
    if (const QString refusal = records::whyNotReturnable(m_sale); !refusal.isEmpty()) {
        ui::message(this, refusal, ui::MessageStyle::Warning);
        return;
    }
    Edit1->setText(m_sale.number);
    fillLines();
    ComboBox1->setCurrentIndex(ComboBox1->findData(int(records::defaultRefundMethod(m_sale))));
    const bool askAuthoriser = !loggedInAsAdministrator();
    for (QWidget* box : std::initializer_list<QWidget*>{Label5, Label6, Label7, Edit2, Edit3})
        box->setVisible(askAuthoriser);
    Edit2->clear();
    Edit3->clear();
    TableWidget1CellChanged();
    centreOnScreen();
    ui::showModal(this);
}

void TThForm::fillLines()
{
    m_filling = true;
    TableWidget1->setRowCount(int(m_sale.lines.size()));
    for (int row = 0; row < m_sale.lines.size(); ++row) {
        const store::SoldLine& line = m_sale.lines.at(row);
        TableWidget1->setItem(row, GoodsColumn, fixedItem(line.goods));
        TableWidget1->setItem(row, PriceColumn, fixedItem(priceText(line.unitPrice)));
        TableWidget1->setItem(row, SoldColumn, fixedItem(store::formatNumber(line.quantity)));
        TableWidget1->setItem(row, ReturnedColumn, fixedItem(store::formatNumber(line.returnedQuantity)));
        const double left = records::remainingOf(line);
        QTableWidgetItem* now = new QTableWidgetItem(store::formatNumber(left));
        if (left <= 0)
            now->setFlags(now->flags() & ~Qt::ItemIsEditable);
        TableWidget1->setItem(row, NowColumn, now);
        TableWidget1->setItem(row, RefundColumn, fixedItem({}));
    }
    m_filling = false;
}

QList<double> TThForm::typedQuantities(int* badLine) const
{
    QList<double> quantities;
    *badLine = -1;
    for (int row = 0; row < TableWidget1->rowCount(); ++row) {
        const QTableWidgetItem* item = TableWidget1->item(row, NowColumn);
        const QString text = item ? item->text() : QString();
        const std::optional<double> quantity = text.trimmed().isEmpty() ? std::optional<double>(0) : records::quantityOf(text);
        if (!quantity) {
            *badLine = row;
            return {};
        }
        quantities.append(*quantity);
    }
    return quantities;
}

void TThForm::TableWidget1CellChanged()
{
    if (m_filling)
        return;
    m_filling = true;
    int badLine = -1;
    const QList<double> quantities = typedQuantities(&badLine);
    QString total = QStringLiteral("—");
    for (int row = 0; row < TableWidget1->rowCount(); ++row)
        TableWidget1->item(row, RefundColumn)->setText({});
    if (badLine < 0) {
        try {
            const records::ReturnPlan plan = records::planReturn(m_sale, quantities);
            for (const records::ReturnPart& part : plan.parts)
                TableWidget1->item(part.line, RefundColumn)->setText(sales::formatYuan(part.afterDiscount));
            total = sales::formatYuan(plan.afterDiscount);
        } catch (const core::Error&) {
            // Told when the return is confirmed; until then there is no total to show.
        }
    }
    Label4->setText(total);
    m_filling = false;
}

void TThForm::SpeedButton1Click()
{
    int badLine = -1;
    const QList<double> quantities = typedQuantities(&badLine);
    if (badLine >= 0) {
        ui::message(this,
                    QStringLiteral("第 %1 行“%2”的退货数量“%3”不是有效的数量。")
                        .arg(badLine + 1)
                        .arg(core::excerptForMessage(m_sale.lines.value(badLine).goods),
                             core::excerptForMessage(TableWidget1->item(badLine, NowColumn)->text())),
                    ui::MessageStyle::Warning);
        return;
    }
    records::ReturnRequest request;
    request.saleNumber = m_sale.number;
    for (int row = 0; row < m_sale.lines.size() && row < quantities.size(); ++row)
        request.quantities.insert(m_sale.lines.at(row).rowid, quantities.at(row));
    request.method = static_cast<sales::PayMethod>(ComboBox1->currentData().toInt());
    if (m_loggedIn)
        request.returnedBy = *m_loggedIn;
    if (!loggedInAsAdministrator()) {
        request.authoriserName = Edit2->text();
        request.authoriserPassword = Edit3->text();
    }
    request.at = QDateTime::currentDateTime();
    records::RecordedReturn recorded;
    try {
        recorded = records::recordReturn(ADOConnection1, request, m_slip);
    } catch (const core::Error& error) {
        // Nothing was written; the cashier corrects what is asked and tries again.
        Edit3->clear();
        ui::message(this, error.message(), ui::MessageStyle::Warning);
        return;
    }
    accept();
    emit returnRecorded(recorded.number, recorded.originalNumber);
    if (!recorded.notice.isEmpty())
        ui::message(this, recorded.notice, ui::MessageStyle::Warning);
    ui::message(this,
                QStringLiteral("退货成功，退款 %1 元（%2）。").arg(sales::formatYuan(recorded.refund),
                                                               sales::methodName(recorded.method)),
                ui::MessageStyle::Plain);
}

void TThForm::SpeedButton2Click()
{
    reject();
}
