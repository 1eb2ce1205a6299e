#pragma once

#include "store/Connection.h"
#include "store/Dataset.h"
#include "ui/SkinnedWindow.h"
#include "ui_MainUnit.h"

#include <QPointer>
#include <QString>
#include <QTimer>

class QLabel;
class QShortcut;
class TDy58Form;
class TDy76Form;
class TZhfkForm;

namespace core {
struct LoggedInUser;
}
namespace printing {
struct SaleToPrint;
}
namespace shell {
struct ScannedLine;
}

namespace shell {

class PaymentPanel;

// The maker's web site, shown in the main window's status bar after login.
extern const QString SiteAddress;

} // namespace shell

// The cashier's working screen and the program's main window: the sale being entered, the
// receipt header, the print settings, and the buttons that open everything else. Closing it
// ends the program. The windows it opens are asked for by signals; the receipt layouts it
// prints on are handed over by setReceiptForms.
class TMainForm : public ui::SkinnedWindow, private Ui::TMainForm
{
    Q_OBJECT

public:
    static constexpr int HelpKey = 112;  // F1, as the hot-key handler tells the keys apart
    static constexpr int PrintKey = 116; // F5
    static constexpr int HandoverKey = 121; // F10

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The two receipt layouts, created after this window.
    void setReceiptForms(TDy58Form* dy58, TDy76Form* dy76);

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
    void SpeedButton8Click(); // "交班"
    void WMHotKey(int virtualKey);
    void reloadGoodsPickList();
    void reloadCashierPickList();
    void setStatusText(int panel, const QString& text);
    // What the login's right allows here: only an administrator types over the receipt number.
    void applyRights(bool administrator);
    QString statusText(int panel) const;
    // What a confirmed login shows here: the cashier and, in the status bar, the site and the right.
    void showLoggedIn(const core::LoggedInUser& user);
    // Lines entered but never printed in an earlier run are discarded.
    void discardUnprintedSale();
    // The settings window saved the print content.
    void showPrintContent(const QString& shopName, const QString& remark);

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
    // Enter in the goods box on a text that is no goods name: a barcode adds its goods at once.
    // False when the text is no code, and the boxes go on as for a typed name.
    bool sellScannedCode();

    // Totals, rounding-off and change.
    void SpeedButton9Click();
    void ComboBox4Change();
    void ComboBox4KeyUp();
    void refreshTotals();

    // Payment: F6 to F9 choose the method, F11 splits between two (the dialog "组合付款").
    shell::PaymentPanel& payment() const { return *m_payment; }
    TZhfkForm& splitDialog() const { return *m_splitDialog; }
    void SplitPaymentRequested();
    void showPaymentChoice();

    void PrintCurrentSale();
    // Prints a recorded sale's receipt again with this window's width, copies, switches and remark.
    void ReprintSale(const QString& receiptNumber);
    // The sale as the window shows it: the width, copies and switches the slips printed beside
    // the receipts follow.
    printing::SaleToPrint saleOnScreen() const;

    // Shown to the cashier as the receipt number: the local time as 14 digits, never the same as
    // or earlier than the previous one.
    static QString newReceiptNumber(const QString& previous);

    // Print settings written by an import: read again and shown, as at start.
    void showStoredPrintSettings();

signals:
    void settingsRequested();   // "设置"
    void statisticsRequested(); // "统计"
    void handoverRequested();   // "交班", F10
    // A sale line was added or modified: the settings window re-reads its grids.
    void settingsRefreshRequested();
    // A scanned code names no goods and the cashier would add them (the add dialog, modally).
    void addGoodsRequested(const QString& barcode);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void openHelp();
    void setUpGrid();
    void connectHandlers();
    void alignTotalsUnderColumns();
    void writeSetting(const QString& column, const QString& value);
    void writeSettings(const QString& customer, const QString& phone);
    void computeLineAmounts();
    void showLineAmounts();
    void computeChange();
    void mainRequery();
    void settingsRefresh();
    bool lookUpAndUpdateGoods(); // true when the name was new to the catalogue
    bool writeLineWithGoods(bool newLine, bool keepGoodsCurrent = true); // as lookUpAndUpdateGoods
    bool addEnteredLine(bool keepGoodsCurrent); // true when the line went in
    bool addScannedLine(const shell::ScannedLine& line);
    bool reportLineOutOfRange(int replacedIndex);
    void focusGoodsName();
    void resetAfterPrint();
    void setLineButtons(bool add, bool modifyAndDelete);
    TDy58Form& dy58Form() const;
    TDy76Form& dy76Form() const;

    QPointer<TDy58Form> m_dy58;
    QPointer<TDy76Form> m_dy76;
    QList<QLabel*> m_statusPanels;
    QShortcut* m_printKey = nullptr;
    QShortcut* m_handoverKey = nullptr;
    shell::PaymentPanel* m_payment = nullptr;
    TZhfkForm* m_splitDialog = nullptr;
};
