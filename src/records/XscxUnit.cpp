#include "records/XscxUnit.h"

#include "records/SalesListOwner.h"
#include "store/Catalogue.h"
#include "ui/ControlEvents.h"
#include "ui/DataGridModel.h"
#include "ui/Guard.h"
#include "ui/Icons.h"
#include "ui/Messages.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>

namespace {

// A drop-down view that never measures its rows: one fixed height for all, so opening the
// list of every receipt number costs the rows on screen, not one per sale.
QTableView* fixedRowList(QComboBox* box)
{
    auto* list = new QTableView(box);
    list->horizontalHeader()->hide();
    list->horizontalHeader()->setStretchLastSection(true);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setMinimumSectionSize(1);
    list->verticalHeader()->setDefaultSectionSize(QFontMetrics(box->font()).height() + 4);
    list->setShowGrid(false);
    list->setWordWrap(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return list;
}

// Completion would put more into the box than was typed ("20261209" becoming one sale's
// number), and the search must use exactly what was typed.
void typeExactly(QComboBox* box)
{
    box->setCompleter(nullptr);
    box->setInsertPolicy(QComboBox::NoInsert);
}

void emptyText(QComboBox* box)
{
    box->setCurrentIndex(-1);
    box->clearEditText();
}

} // namespace

TXscxForm::TXscxForm(records::SalesListOwner* statistics, QWidget* parent)
    : ui::SkinnedWindow(parent), ADOConnection1(QStringLiteral("TXscxForm")),
      ADOQuery1(ADOConnection1, store::sql::SelectXstj), ADOQuery2(ADOConnection1, store::sql::SelectUsername),
      m_statistics(statistics)
{
    setupWindow(static_cast<Ui::TXscxForm&>(*this), QStringLiteral("TXscxForm"), QStringLiteral("销售查询"),
                QSize(264, 221), ui::ControlBox | ui::Close);
    SpeedButton1->setIcon(ui::icon(QStringLiteral("search")));
    SpeedButton2->setIcon(ui::icon(QStringLiteral("exit")));
    setUpReceiptList();
    setUpCashierList();
    connectHandlers();
    ADOConnection1.open();
    ADOQuery1.open();
    ADOQuery2.open();
}

void TXscxForm::setUpReceiptList()
{
    m_receiptNumbers = ui::DataGridModel::dropDownList(QStringLiteral("单号"), this);
    ComboBox1->setView(fixedRowList(ComboBox1));
    ComboBox1->setModel(m_receiptNumbers);
    typeExactly(ComboBox1);
}

void TXscxForm::setUpCashierList()
{
    typeExactly(ComboBox2);
}

void TXscxForm::connectHandlers()
{
    ui::connectGuarded(SpeedButton1, &QToolButton::clicked, this, &TXscxForm::SpeedButton1Click);
    ui::connectGuarded(SpeedButton2, &QToolButton::clicked, this, &TXscxForm::SpeedButton2Click);
    // The buttons take no focus, so Enter in either box is the way to search from the keyboard.
    for (QComboBox* box : {ComboBox1, ComboBox2})
        ui::onEnterKey(box, this, [this] { SpeedButton1Click(); });
}

void TXscxForm::fillLists()
{
    fillReceiptNumbers();
    fillUserNames();
}

void TXscxForm::fillReceiptNumbers()
{
    emptyText(ComboBox1);
    ADOQuery1.requery(store::sql::DistinctReceiptNumbers);
    // Bound only now, to the distinct numbers: bound at creation, the list would have read
    // the initial query's every sale at start-up.
    if (!m_receiptNumbers->dataset())
        m_receiptNumbers->setDataset(&ADOQuery1);
    emptyText(ComboBox1);
}

void TXscxForm::fillUserNames()
{
    ComboBox2->clear();
    ADOQuery2.requery(store::sql::DistinctUserNames);
    for (ADOQuery2.first(); !ADOQuery2.eof(); ADOQuery2.next())
        ComboBox2->addItem(ADOQuery2.field(QStringLiteral("用户名")));
    emptyText(ComboBox2);
}

void TXscxForm::SpeedButton1Click()
{
    const QString number = ComboBox1->currentText();
    const QString cashier = ComboBox2->currentText();
    if (number.isEmpty() && cashier.isEmpty()) {
        ui::message(this, QStringLiteral("查询信息不能为空！"), ui::MessageStyle::Warning);
        return;
    }
    if (!number.isEmpty() && !cashier.isEmpty())
        return;
    if (!m_statistics)
        return;
    if (!number.isEmpty())
        m_statistics->showMatching(records::SalesSearch::ByNumber, number);
    else
        m_statistics->showMatching(records::SalesSearch::ByCashier, cashier);
    close();
}

void TXscxForm::SpeedButton2Click()
{
    close();
}
