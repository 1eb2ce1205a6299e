#pragma once

#include "store/Connection.h"
#include "store/Dataset.h"
#include "ui/SkinnedWindow.h"
#include "ui_XsmxUnit.h"

#include <QPointer>

class TXstjForm;

// "销售明细": the lines of one printed sale, opened by a double click in the statistics list,
// titled with the receipt number the statistics window keeps in its Edit1.
class TXsmxForm : public ui::SkinnedWindow, public Ui::TXsmxForm
{
    Q_OBJECT

public:
    explicit TXsmxForm(TXstjForm* statistics, QWidget* parent = nullptr);

    store::Connection ADOConnection1;
    store::Dataset ADOQuery1;

    void FormShow();          // the title: "单号：" and the number
    void SpeedButton1Click(); // "重打小票": the shown sale's receipt again

signals:
    void reprintRequested(const QString& receiptNumber);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setUpGrid();

    QPointer<TXstjForm> m_statistics;
};
