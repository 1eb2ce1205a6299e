#pragma once

#include "records/SalesListOwner.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "ui/SkinnedWindow.h"
#include "ui_XscxUnit.h"

namespace ui {
class DataGridModel;
}

// "销售查询": narrows the statistics list to the sales whose receipt number, or whose
// cashier, contains a text. The statistics window fills the two lists before showing it.
class TXscxForm : public ui::SkinnedWindow, private Ui::TXscxForm
{
    Q_OBJECT

public:
    explicit TXscxForm(records::SalesListOwner* statistics, QWidget* parent = nullptr);

    store::Connection ADOConnection1;
    store::Dataset ADOQuery1; // receipt numbers, listed in ComboBox1
    store::Dataset ADOQuery2; // user names, copied into ComboBox2

    // What the statistics window's 查询 does before showing the dialog: both lists re-read,
    // both boxes empty.
    void fillLists();
    ui::DataGridModel* receiptNumbers() const { return m_receiptNumbers; }

    void SpeedButton1Click(); // apply the search
    void SpeedButton2Click(); // close

private:
    void setUpReceiptList();
    void setUpCashierList();
    void connectHandlers();
    void fillReceiptNumbers();
    void fillUserNames();

    records::SalesListOwner* m_statistics;
    ui::DataGridModel* m_receiptNumbers = nullptr;
};
