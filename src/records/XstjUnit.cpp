#include "records/XstjUnit.h"

#include "core/Error.h"
#include "records/GoodsTotalsWait.h"
#include "records/SalesExport.h"
#include "records/SoldColumns.h"
#include "records/XscxUnit.h"
#include "records/XsmxUnit.h"
#include "store/Catalogue.h"
#include "store/DayTotals.h"
#include "ui/ControlEvents.h"
#include "store/SaleReturns.h"
#include "ui/DataGrid.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/Icons.h"
#include "ui/Messages.h"
#include "ui/Seams.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QShowEvent>
#include <QTableView>
#include <exception>
#include <functional>
#include <utility>

namespace {

using Footer = ui::GridColumn::Footer;

const QString ReceiptNumber = QStringLiteral("单号");

QList<ui::GridColumn> salesColumns()
{
    // Proportions of the grid's width; the receipt number and the time get room for their whole
    // text, taken from the number columns.
    const QList<ui::GridColumn> numberAndTime = {
        {.title = QStringLiteral("序号"), .field = {}, .width = 36, .footer = Footer::Caption},
        {.title = QStringLiteral("单号"), .field = QStringLiteral("单号"), .width = 136},
        {.title = QStringLiteral("时间"), .field = QStringLiteral("时间"), .width = 150},
    };
    return numberAndTime + records::soldColumns(44, 68) +
           QList<ui::GridColumn>{{.title = QStringLiteral("收银员"), .field = QStringLiteral("收银员"), .width = 58},
                                 {.title = QStringLiteral("付款方式"), .field = QStringLiteral("付款方式"), .width = 62},
                                 {.title = QStringLiteral("状态"), .field = QStringLiteral("状态"), .width = 58}};
}

// The export can take seconds on a long history; the arrow comes back however it ends.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The connection closes its datasets without telling their views, so the list is closed
// first: should the file be gone, the grid then shows the empty list it really is.
void reconnectFor(store::Connection& connection, store::Dataset& list)
{
    list.close();
    connection.reconnect();
}

// A double click on the grid where no row is (an empty list, below the last row) is still a
// double click on the grid; on a row the grid reports it itself.
class EmptyAreaDoubleClick : public QObject
{
public:
    EmptyAreaDoubleClick(QTableView* view, std::function<void()> handler)
        : QObject(view->viewport()), m_view(view), m_viewport(view->viewport()), m_handler(std::move(handler))
    {
        m_viewport->installEventFilter(this);
    }

protected:
    // The event type is looked at first: the viewport also reports its own destruction here,
    // when the view is half gone.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick && watched == m_viewport) {
            const auto* click = static_cast<QMouseEvent*>(event);
            if (click->button() == Qt::LeftButton && !m_view->indexAt(click->position().toPoint()).isValid())
                m_handler();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QTableView* m_view;
    QWidget* m_viewport;
    std::function<void()> m_handler;
};

} // namespace

TXstjForm::TXstjForm(QWidget* parent)
    : ui::SkinnedWindow(parent), ADOConnection1(QStringLiteral("TXstjForm")),
      ADOQuery1(ADOConnection1, store::sql::SelectXstj)
{
    setupWindow(static_cast<Ui::TXstjForm&>(*this), QStringLiteral("TXstjForm"), QStringLiteral("销售统计"),
                QSize(717, 514), ui::ControlBox | ui::Close);
    setUpButtons();
    setUpGrid();
    setUpMenu();
    connectHandlers();
    ADOConnection1.open();
    ADOQuery1.open();
}

void TXstjForm::setDialogs(TXsmxForm* detail, TXscxForm* query)
{
    m_detail = detail;
    m_query = query;
}

void TXstjForm::applyRights(bool administrator)
{
    SpeedButton4->setEnabled(administrator);
    N6->setEnabled(administrator);
    SpeedButton6->setEnabled(administrator);
}

void TXstjForm::showMatching(records::SalesSearch search, const QString& text)
{
    if (search == records::SalesSearch::ByNumber)
        ADOQuery1.requery(store::sql::XstjByNumber, text);
    else
        ADOQuery1.requery(store::sql::XstjByCashier, text);
}

QString TXstjForm::selectedReceiptNumber() const
{
    return Edit1->text();
}

void TXstjForm::setUpButtons()
{
    SpeedButton1->setIcon(ui::icon(QStringLiteral("search")));
    SpeedButton3->setIcon(ui::icon(QStringLiteral("refresh")));
    SpeedButton2->setIcon(ui::icon(QStringLiteral("export")));
    SpeedButton4->setIcon(ui::icon(QStringLiteral("delete-sale")));
}

void TXstjForm::setUpGrid()
{
    DBGridEh1->setColumns(salesColumns());
    DBGridEh1->setFooterVisible(true);
    DBGridEh1->setSortMarkToggles(true);
    DBGridEh1->setToolTipText(QStringLiteral("双击查看销售明细！"));
    DBGridEh1->view()->setContextMenuPolicy(Qt::CustomContextMenu);
}

void TXstjForm::setUpMenu()
{
    suiPopupMenu1 = new QMenu(this);
    suiPopupMenu1->setObjectName(QStringLiteral("suiPopupMenu1"));
    suiPopupMenu1->setFont(ui::songFont(15));
    N1 = suiPopupMenu1->addAction(ui::icon(QStringLiteral("search")), QStringLiteral("查询"));
    N2 = suiPopupMenu1->addAction(ui::icon(QStringLiteral("refresh")), QStringLiteral("刷新"));
    suiPopupMenu1->addSeparator();
    N4 = suiPopupMenu1->addAction(ui::icon(QStringLiteral("export")), QStringLiteral("导出"));
    N7 = suiPopupMenu1->addAction(ui::icon(QStringLiteral("reprint")), QStringLiteral("重打小票"));
    suiPopupMenu1->addSeparator();
    N6 = suiPopupMenu1->addAction(ui::icon(QStringLiteral("delete-sale")), QStringLiteral("删除"));
    N1->setObjectName(QStringLiteral("N1"));
    N2->setObjectName(QStringLiteral("N2"));
    N4->setObjectName(QStringLiteral("N4"));
    N6->setObjectName(QStringLiteral("N6"));
    N7->setObjectName(QStringLiteral("N7"));
    N8 = suiPopupMenu1->addAction(QStringLiteral("退货"));
    N8->setObjectName(QStringLiteral("N8"));
}

void TXstjForm::connectHandlers()
{
    ui::connectGuarded(SpeedButton1, &QToolButton::clicked, this, &TXstjForm::SpeedButton1Click);
    ui::connectGuarded(SpeedButton2, &QToolButton::clicked, this, &TXstjForm::SpeedButton2Click);
    ui::connectGuarded(SpeedButton3, &QToolButton::clicked, this, &TXstjForm::SpeedButton3Click);
    ui::connectGuarded(SpeedButton4, &QToolButton::clicked, this, &TXstjForm::SpeedButton4Click);
    ui::connectGuarded(N1, &QAction::triggered, this, &TXstjForm::N1Click);
    ui::connectGuarded(N2, &QAction::triggered, this, &TXstjForm::N2Click);
    ui::connectGuarded(N4, &QAction::triggered, this, &TXstjForm::N4Click);
    ui::connectGuarded(N6, &QAction::triggered, this, &TXstjForm::N6Click);
    ui::connectGuarded(N7, &QAction::triggered, this, &TXstjForm::N7Click);
    ui::connectGuarded(SpeedButton5, &QToolButton::clicked, this, &TXstjForm::SpeedButton5Click);
    ui::connectGuarded(N8, &QAction::triggered, this, &TXstjForm::N8Click);
    ui::connectGuarded(SpeedButton6, &QToolButton::clicked, this, &TXstjForm::SpeedButton6Click);
    ui::connectGuarded(SpeedButton7, &QToolButton::clicked, this, &TXstjForm::SpeedButton7Click);
    ui::connectGuarded(DBGridEh1, &ui::DataGrid::doubleClicked, this, &TXstjForm::DBGridEh1DblClick);
    ui::onEnterKey(ScanNumberBox, this, [this] { ScanNumberBoxReturn(); });
    // Found while the grid reads rows to paint them: repaired once that is over.
    connect(
        &ADOQuery1, &store::Dataset::totalsDisagreed, this,
        [this] { ui::runGuarded(this, [this] { repairTotals(); }); }, Qt::QueuedConnection);
    QTableView* view = DBGridEh1->view();
    new EmptyAreaDoubleClick(view, [this] { ui::runGuarded(this, [this] { DBGridEh1DblClick(); }); });
    ui::connectGuarded(view, &QWidget::customContextMenuRequested, this,
                       [this, view](const QPoint& at) { suiPopupMenu1->popup(view->viewport()->mapToGlobal(at)); });
}

void TXstjForm::showEvent(QShowEvent* event)
{
    // The grid is bound only now: binding reads the row count and the footers, which the
    // window created hidden at start-up must not do to a history of millions of sales.
    if (!DBGridEh1->dataset())
        DBGridEh1->setDataset(&ADOQuery1);
    ui::SkinnedWindow::showEvent(event);
}

void TXstjForm::OpenFromMain()
{
    reconnectFor(ADOConnection1, ADOQuery1);
    ADOQuery1.requery(store::sql::XstjByTime);
    centreOnScreen();
    ui::showModal(this);
}

void TXstjForm::SpeedButton1Click()
{
    if (!m_query)
        return;
    m_query->fillLists();
    m_query->centreOnScreen();
    ui::showModal(m_query);
}

void TXstjForm::SpeedButton2Click()
{
    const QString chosen = ui::askSaveFileName(this);
    if (chosen.isEmpty())
        return;
    {
        WaitCursor wait;
        records::exportSales(ADOQuery1, records::exportFileName(chosen), this);
    }
    ui::message(this, QStringLiteral("成功导出全部数据!"), ui::MessageStyle::Plain);
}

void TXstjForm::SpeedButton3Click()
{
    reconnectFor(ADOConnection1, ADOQuery1);
    ADOQuery1.requery(store::sql::SelectXstj);
}

void TXstjForm::SpeedButton4Click()
{
    if (ADOQuery1.recordCount() == 0)
        return;
    if (!ui::message(this, QStringLiteral("确定要删除选中的销售信息？"), ui::MessageStyle::WarningOkCancel))
        return;
    deleteCurrentSale();
}

void TXstjForm::N1Click()
{
    SpeedButton1Click();
}

void TXstjForm::N2Click()
{
    SpeedButton3Click();
}

void TXstjForm::N4Click()
{
    SpeedButton2Click();
}

void TXstjForm::N6Click()
{
    SpeedButton4Click();
}

// Any user may reprint: it only reads the history.
void TXstjForm::N7Click()
{
    if (ADOQuery1.recordCount() == 0)
        return;
    emit reprintRequested(ADOQuery1.field(ReceiptNumber));
}

// Any user may ask; the return dialog asks a cashier for an administrator's password.
void TXstjForm::SpeedButton5Click()
{
    if (ADOQuery1.recordCount() == 0)
        return;
    emit returnRequested(ADOQuery1.field(ReceiptNumber));
}

void TXstjForm::N8Click()
{
    SpeedButton5Click();
}

void TXstjForm::SpeedButton6Click()
{
    // The close reads its whole days' goods from the goods totals.
    records::finishGoodsTotals(this, ADOConnection1);
    emit dayCloseRequested();
}

void TXstjForm::SpeedButton7Click()
{
    emit reportsRequested();
}

void TXstjForm::showReturnRecorded()
{
    const int at = ADOQuery1.recordNumber();
    const store::Statement statement = ADOQuery1.statement();
    const QString argument = ADOQuery1.argument();
    reconnectFor(ADOConnection1, ADOQuery1);
    ADOQuery1.requery(statement, argument);
    ADOQuery1.moveTo(at);
}

void TXstjForm::repairTotals()
{
    {
        WaitCursor wait;
        store::rebuildDayTotals(ADOConnection1);
    }
    showReturnRecorded();
}

// The sale and, once no other sale keeps its number, its lines go in one transaction: lines
// are never left without their sale by a failure half-way, nor taken from a sale still kept.
void TXstjForm::deleteCurrentSale()
{
    const QString number = ADOQuery1.field(ReceiptNumber);
    // The lines' triggers would take off the goods totals what the fill has not yet added.
    records::finishGoodsTotals(this, ADOConnection1);
    store::Transaction transaction(ADOConnection1);
    // Its returns would be left pointing at nothing, and deleting them with it would lose the
    // record of money given back: they are deleted first, one by one, on purpose.
    if (!number.isEmpty() && ADOQuery1.field(QStringLiteral("原单号")).isEmpty() &&
        store::returnsOfSale(ADOConnection1, number) > 0) {
        ui::message(this, QStringLiteral("这笔销售有退货记录，不能删除。请先删除它的退货单。"), ui::MessageStyle::Warning);
        return;
    }
    ADOQuery1.deleteCurrent();
    // A sale without a number has no lines that could be told apart as its own.
    if (!number.isEmpty() && !numberKeptByAnotherSale(number)) {
        deleteLinesOf(number);
        store::deletePaymentsOf(ADOConnection1, number);
    }
    transaction.commit();
}

bool TXstjForm::numberKeptByAnotherSale(const QString& number)
{
    store::Dataset sales(ADOConnection1, store::sql::XstjOfSale, number);
    sales.open();
    return sales.recordCount() > 0;
}

void TXstjForm::deleteLinesOf(const QString& number)
{
    store::Dataset lines(ADOConnection1, store::sql::XsmxOfSale, number);
    lines.open();
    while (lines.recordCount() > 0)
        lines.deleteCurrent();
}

void TXstjForm::ScanNumberBoxReturn()
{
    const QString number = ScanNumberBox->text();
    // Ready for the next scan, which replaces what is there.
    ScanNumberBox->selectAll();
    if (number.isEmpty())
        return;
    store::Dataset sale(ADOConnection1, store::sql::XstjOfSale, number);
    sale.open();
    if (sale.recordCount() == 0) {
        ui::message(this, QStringLiteral("销售记录中没有单号为“%1”的销售。").arg(core::excerptForMessage(number)),
                    ui::MessageStyle::Warning);
        return;
    }
    int at = ADOQuery1.recordNumberOfRow(sale.rowId());
    if (at == 0) {
        ADOQuery1.requery(store::sql::XstjByTime);
        at = ADOQuery1.recordNumberOfRow(sale.rowId());
    }
    if (at > 0)
        ADOQuery1.moveTo(at);
}

void TXstjForm::DBGridEh1DblClick()
{
    if (!m_detail)
        return;
    m_detail->reconnect();
    Edit1->setText(ADOQuery1.field(ReceiptNumber));
    m_detail->readLinesOf(Edit1->text());
    m_detail->centreOnScreen();
    ui::showModal(m_detail);
}
