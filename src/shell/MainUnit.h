#pragma once

#include "store/Connection.h"
#include "store/Dataset.h"
#include "ui/SkinnedWindow.h"
#include "ui_MainUnit.h"

#include <QString>
#include <QTimer>

class Forms;
class QLabel;
class QShortcut;

// The cashier's working screen and the program's main window: the sale being entered, the
// receipt header, the print settings, and the buttons that open everything else. Closing it
// ends the program.
class TMainForm : public ui::SkinnedWindow, public Ui::TMainForm
{
    Q_OBJECT

public:
    static constexpr int HelpKey = 112;  // F1, as the hot-key handler tells the keys apart
    static constexpr int PrintKey = 116; // F5

    explicit TMainForm(Forms& forms, QWidget* parent = nullptr);
    ~TMainForm() override;

    store::Connection ADOConnection1;
    store::Dataset ADOQuery1; // spxx: goods pick list and price lookup
    store::Dataset ADOQuery2; // xsxx: the lines of the sale, shown in the grid
    store::Dataset ADOQuery3; // dynr: shop name and remark
    store::Dataset ADOQuery4; // xstj: appended by the print run
    store::Dataset ADOQuery5; // xsmx: appended by the print run
    store::Dataset ADOQuery6; // id: print settings
    store::Dataset ADOQuery7; // username: cashier pick list
    QTimer Timer1;

    // Window frame.
    void FormCreate();
    void FormShow();
    bool FormCloseQuery(); // whether the window may close now
    void FormClose();
    void Timer1Timer();
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox3Click();
    void ComboBox5Change();
    void ComboBox3Change();
    void SpeedButton1Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void SpeedButton7Click();
    void WMHotKey(int virtualKey);
    void reloadGoodsPickList();
    void reloadCashierPickList();
    void setStatusText(int panel, const QString& text);
    // What the login's right allows here: only an administrator types over the receipt number.
    void applyRights(bool administrator);
    QString statusText(int panel) const;

    // Sale lines.
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void DBGridEh1CellClick();
    void ComboBox1Click();
    void Edit3KeyUp();
    void Edit4KeyUp();
    void ComboBox2KeyUp();
    void ComboBox2Click();
    // Enter in an entry box: on to the next box; from the discount, add the line.
    void EntryEnterPressed(QWidget* box);

    // Totals, rounding-off and change.
    void SpeedButton9Click();
    void ComboBox4Change();
    void ComboBox4KeyUp();
    void refreshTotals();

    void PrintCurrentSale();
    // Prints a recorded sale's receipt again with this window's width, copies, switches and remark.
    void ReprintSale(const QString& receiptNumber);

    // Shown to the cashier as the receipt number: the local time as 14 digits, never the same as
    // or earlier than the previous one.
    static QString newReceiptNumber(const QString& previous);

    // Print settings written by an import: read again and shown, as at start.
    void showStoredPrintSettings();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void openHelp();
    void setUpGrid();
    void connectHandlers();
    void alignTotalsUnderColumns();
    void writeSetting(const QString& column, const QString& value);
    void writeSettings(const QString& customer, const QString& phone);
    void computeLineAmounts();
    void computeChange();
    void mainRequery();
    void settingsRefresh();
    void lookUpAndUpdateGoods();
    void writeLineWithGoods(bool newLine);
    bool reportLineOutOfRange(int replacedIndex);
    void focusGoodsName();
    void resetAfterPrint();
    void setLineButtons(bool add, bool modifyAndDelete);

    Forms& m_forms;
    QList<QLabel*> m_statusPanels;
    QShortcut* m_printKey = nullptr;
};
