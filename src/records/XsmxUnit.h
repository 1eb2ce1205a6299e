#pragma once

#include "records/SalesListOwner.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "ui/SkinnedWindow.h"
#include "ui_XsmxUnit.h"

class QLabel;

// "销售明细": the lines of one printed sale, opened by a double click in the statistics list,
// titled with the receipt number the statistics window gives as its selected one.
class TXsmxForm : public ui::SkinnedWindow, private Ui::TXsmxForm
{
    Q_OBJECT

public:
    explicit TXsmxForm(records::SalesListOwner* statistics, QWidget* parent = nullptr);

    store::Connection ADOConnection1;
    store::Dataset ADOQuery1;
    QLabel* PaymentLabel = nullptr; // "付款方式：" and how the shown sale was paid

    // What the statistics window's double click does before showing it: a fresh connection,
    // then the sale's lines.
    void reconnect();
    void readLinesOf(const QString& receiptNumber);

    void FormShow();          // the title: "单号：" and the number
    void SpeedButton1Click(); // "重打小票": the shown sale's receipt again
    void SpeedButton2Click(); // "退货": return the shown sale, or some of it
    // A return was recorded: the lines' states are read again.
    void showReturnRecorded();

signals:
    void reprintRequested(const QString& receiptNumber);
    void returnRequested(const QString& receiptNumber);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setUpGrid();

    QString statisticsNumber() const;

    records::SalesListOwner* m_statistics;
};
