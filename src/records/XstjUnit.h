#pragma once

#include "records/SalesListOwner.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "ui/SkinnedWindow.h"
#include "ui_XstjUnit.h"

#include <QPointer>

class QAction;
class QMenu;
class TXscxForm;
class TXsmxForm;

// "销售统计": the printed sales in xstj with sum footers; from here the list is searched,
// a sale's lines opened, the list exported and, by administrators, sales deleted.
class TXstjForm : public ui::SkinnedWindow, private Ui::TXstjForm, public records::SalesListOwner
{
    Q_OBJECT

public:
    explicit TXstjForm(QWidget* parent = nullptr);

    // The detail window and the query dialog this window opens; created after it.
    void setDialogs(TXsmxForm* detail, TXscxForm* query);

    // The main window's "统计": the whole history in time order, shown modally.
    void OpenFromMain();
    // What the login's right allows here: only an administrator deletes sales and closes the day.
    void applyRights(bool administrator);
    // Asked by the query and detail dialogs.
    void showMatching(records::SalesSearch search, const QString& text) override;
    QString selectedReceiptNumber() const override;

    store::Connection ADOConnection1;
    store::Dataset ADOQuery1;

    QMenu* suiPopupMenu1 = nullptr;
    QAction* N1 = nullptr; // 查询
    QAction* N2 = nullptr; // 刷新
    QAction* N4 = nullptr; // 导出
    QAction* N6 = nullptr; // 删除
    QAction* N7 = nullptr; // 重打小票
    QAction* N8 = nullptr; // 退货

    void SpeedButton1Click(); // fill and show the query dialog
    void SpeedButton2Click(); // export the list
    void SpeedButton3Click(); // refresh
    void SpeedButton4Click(); // delete the selected sale
    void N1Click();
    void N2Click();
    void N4Click();
    void N6Click();
    void N7Click();           // print the selected sale's receipt again
    void DBGridEh1DblClick(); // the selected sale's lines
    // Enter in "扫描单号" (a scanner types the receipt's bar code and Enter): the list goes to
    // the sale of exactly that number, the whole history listed again when a search hid it.
    void ScanNumberBoxReturn();
    void SpeedButton5Click(); // return the selected sale, or some of it
    void N8Click();
    void SpeedButton6Click(); // "日结", administrators only
    void SpeedButton7Click(); // "营业报表"
    // A return was recorded elsewhere: the list reads the history again, as it was searched.
    void showReturnRecorded();
    // The list found the per-day totals disagreeing with the history: they are summed again
    // from it, and the list read again.
    void repairTotals();

signals:
    void reprintRequested(const QString& receiptNumber);
    void returnRequested(const QString& receiptNumber);
    void dayCloseRequested();
    void reportsRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setUpButtons();
    void setUpGrid();
    void setUpMenu();
    void connectHandlers();
    void deleteCurrentSale();
    bool numberKeptByAnotherSale(const QString& number);
    void deleteLinesOf(const QString& number);

    QPointer<TXsmxForm> m_detail;
    QPointer<TXscxForm> m_query;
};
