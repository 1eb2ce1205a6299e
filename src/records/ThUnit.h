#pragma once

#include "core/LoggedInUser.h"
#include "records/Returns.h"
#include "store/Connection.h"
#include "ui/SkinnedWindow.h"
#include "ui_ThUnit.h"

// "退货": takes back the whole of a recorded sale or some of its lines, refunds it and prints the
// return slip. Opened from the statistics and detail windows with the sale's number.
class TThForm : public ui::SkinnedWindow, private Ui::TThForm
{
    Q_OBJECT

public:
    explicit TThForm(QWidget* parent = nullptr);

    store::Connection ADOConnection1;

    // Kept by Forms for the run; read at each opening and each return.
    void setLoggedInUser(const core::LoggedInUser* user);
    // Where the slip goes; none: no slip.
    void setSlipHandOff(records::SlipHandOff* slip);

    // Fills the dialog with the sale, everything left of it to be returned, and shows it; a sale
    // that cannot be returned is told and the dialog stays closed.
    void OpenForSale(const QString& receiptNumber);

    // Columns of TableWidget1.
    enum Column
    {
        GoodsColumn,
        PriceColumn,
        SoldColumn,
        ReturnedColumn,
        NowColumn, // the quantity to return now, typed
        RefundColumn,
    };

    void TableWidget1CellChanged(); // the refunds shown follow the quantities typed
    void SpeedButton1Click();       // "确认退货"
    void SpeedButton2Click();       // "取消"

signals:
    void returnRecorded(const QString& returnNumber, const QString& originalNumber);

private:
    bool loggedInAsAdministrator() const;
    void fillLines();
    // The typed quantities, or the line whose text is not a quantity (-1 when all are).
    QList<double> typedQuantities(int* badLine) const;

    const core::LoggedInUser* m_loggedIn = nullptr;
    records::SlipHandOff* m_slip = nullptr;
    store::SaleOnRecord m_sale;
    bool m_filling = false;
};
