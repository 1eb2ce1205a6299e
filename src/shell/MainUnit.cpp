#include "shell/MainUnit.h"

#include "core/Error.h"
#include "core/LoggedInUser.h"
#include "printing/Dy58Unit.h"
#include "printing/Dy76Unit.h"
#include "printing/PrintRun.h"
#include "printing/Reprint.h"
#include "sales/Goods.h"
#include "sales/Checkout.h"
#include "sales/LineAmounts.h"
#include "sales/Totals.h"
#include "shell/MainLooks.h"
#include "shell/PaymentPanel.h"
#include "shell/PickList.h"
#include "shell/SaleEntry.h"
#include "shell/ScanEntry.h"
#include "shell/ZhfkUnit.h"
#include "store/Catalogue.h"
#include "store/Numbers.h"
#include "ui/BoxLooks.h"
#include "ui/ControlEvents.h"
#include "ui/DataGrid.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/Icons.h"
#include "ui/Messages.h"
#include "ui/NumberKeyFilter.h"
#include "ui/Seams.h"
#include "ui/SelectOnEntry.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>

namespace shell {

const QString SiteAddress = QStringLiteral("www.quorvel.cn");

} // namespace shell

namespace {

const QString Caption = QStringLiteral("Quorvel销售小票打印软件 V18.0(标准版)");
const QSize ClientSize(692, 677);
const QString HelpFile = QStringLiteral("使用帮助.chm");
const QString NoHelpViewer = QStringLiteral("这台电脑上没有能打开帮助文件（.chm）的程序。\n"
                                            "请安装 xchm 和 xdg-utils，例如在终端输入：\n"
                                            "sudo apt install xchm xdg-utils");
const QString ShortcutsHint = QStringLiteral("快捷键：帮助F1键、打印小票F5键");

bool isFlag(const QString& text)
{
    return text == QLatin1String("1");
}

QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// A click into the grid where no row is: the sale is empty, yet the click still counts.
class EmptyGridClicks : public QObject
{
public:
    EmptyGridClicks(QTableView* view, TMainForm* owner) : QObject(view), m_view(view), m_owner(owner)
    {
        view->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease && m_view->model() && m_view->model()->rowCount() == 0) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton)
                ui::runGuarded(m_owner, [this] { m_owner->DBGridEh1CellClick(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QTableView* m_view;
    TMainForm* m_owner;
};

} // namespace

TMainForm::TMainForm(QWidget* parent)
    : ui::SkinnedWindow(parent), ADOConnection1(QStringLiteral("MainForm")),
      ADOQuery1(ADOConnection1, store::sql::SelectSpxx), ADOQuery2(ADOConnection1, store::sql::SelectXsxx),
      ADOQuery3(ADOConnection1, store::sql::SelectDynr), ADOQuery4(ADOConnection1, store::sql::SelectXstj),
      ADOQuery5(ADOConnection1, store::sql::SelectXsmx), ADOQuery6(ADOConnection1, store::sql::SelectId),
      ADOQuery7(ADOConnection1, store::sql::SelectUsername)
{
    setupWindow(static_cast<Ui::TMainForm&>(*this), QStringLiteral("MainForm"), Caption, ClientSize,
                ui::ControlBox | ui::Minimise | ui::Close);
    // Esc must not end the program in the middle of a sale.
    setEscapeCloses(false);
    shell::dressMainWindow(*this, clientArea(), ClientSize);
    m_statusPanels = shell::addStatusPanels(StatusBar1);
    setStatusText(2, ShortcutsHint);
    setUpGrid();
    ComboBox2->addItems(sales::discountItems());
    // The lists are there to pick from; completing what is typed would turn "9" into "9.9" and
    // then refuse the "." of "9.5".
    ComboBox2->setCompleter(nullptr);
    ComboBox4->setCompleter(nullptr);
    ComboBox2->setEditText(QStringLiteral("10"));
    ComboBox5->setEditText(QStringLiteral("58"));
    ComboBox3->setEditText(QStringLiteral("1"));
    // The list's first amount is no amount received.
    shell::showNoItem(ComboBox4);
    for (QWidget* box : {static_cast<QWidget*>(Edit3), static_cast<QWidget*>(Edit4), static_cast<QWidget*>(ComboBox2)})
        ui::installNumberKeyFilter(box);
    // Money is received in fen; what is typed replaces the amount preset.
    ui::installNumberKeyFilter(ComboBox4, 2);
    ui::selectAllOnEntry(ComboBox4);
    m_payment = new shell::PaymentPanel(this, ComboBox4->parentWidget(), Panel3);
    m_splitDialog = new TZhfkForm(this);

    ADOConnection1.open();
    for (store::Dataset* query : {&ADOQuery1, &ADOQuery2, &ADOQuery3, &ADOQuery4, &ADOQuery6, &ADOQuery7})
        query->open();

    connectHandlers();
    Timer1.setInterval(1000);
    Timer1.start();
    // The time box is filled at once rather than a second late.
    Timer1Timer();
    centreOnScreen();
    setShowHandler([this] { FormShow(); });
    ui::runGuarded(this, [this] { FormCreate(); });
}

TMainForm::~TMainForm()
{
    // Hiding a shown window on its way out moves the grid's titles; this is no longer there
    // to follow them.
    QTableView* view = DBGridEh1->view();
    view->horizontalHeader()->disconnect(this);
    view->horizontalScrollBar()->disconnect(this);
}

void TMainForm::setUpGrid()
{
    shell::setUpSaleGrid(*this);
    DBGridEh1->setDataset(&ADOQuery2);
    QTableView* view = DBGridEh1->view();
    new EmptyGridClicks(view, this);

    QHeaderView* titles = view->horizontalHeader();
    connect(titles, &QHeaderView::sectionResized, this, &TMainForm::alignTotalsUnderColumns);
    connect(titles, &QHeaderView::geometriesChanged, this, &TMainForm::alignTotalsUnderColumns);
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, &TMainForm::alignTotalsUnderColumns);
}

void TMainForm::alignTotalsUnderColumns()
{
    shell::alignTotals(*this, clientArea());
}

void TMainForm::connectHandlers()
{
    ui::connectGuarded(&Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    ui::connectGuarded(this, &ui::SkinnedWindow::closed, this, &TMainForm::FormClose);
    ui::wireCheck(CheckBox1, this, [this] { CheckBox1Click(); });
    ui::wireCheck(CheckBox2, this, [this] { CheckBox2Click(); });
    ui::wireCheck(CheckBox3, this, [this] { CheckBox3Click(); });
    ui::wireCombo(ComboBox5, this, nullptr, [this] { ComboBox5Change(); });
    ui::wireCombo(ComboBox3, this, nullptr, [this] { ComboBox3Change(); });

    ui::wireCombo(
        ComboBox1, this, [this] { ComboBox1Click(); }, nullptr);
    ui::wireCombo(
        ComboBox2, this, [this] { ComboBox2Click(); }, nullptr);
    ui::onKeyRelease(Edit3, this, [this] { Edit3KeyUp(); });
    ui::onKeyRelease(Edit4, this, [this] { Edit4KeyUp(); });
    ui::onKeyRelease(ComboBox2, this, [this] { ComboBox2KeyUp(); });
    ui::wireCombo(ComboBox4, this, nullptr, [this] { ComboBox4Change(); });
    ui::onKeyRelease(ComboBox4, this, [this] { ComboBox4KeyUp(); });
    ui::connectGuarded(DBGridEh1, &ui::DataGrid::cellClicked, this, &TMainForm::DBGridEh1CellClick);

    ui::connectGuarded(SpeedButton1, &QToolButton::clicked, this, &TMainForm::SpeedButton1Click);
    ui::connectGuarded(SpeedButton2, &QToolButton::clicked, this, &TMainForm::SpeedButton2Click);
    ui::connectGuarded(SpeedButton3, &QToolButton::clicked, this, &TMainForm::SpeedButton3Click);
    ui::connectGuarded(SpeedButton4, &QToolButton::clicked, this, &TMainForm::SpeedButton4Click);
    ui::connectGuarded(SpeedButton5, &QToolButton::clicked, this, &TMainForm::SpeedButton5Click);
    ui::connectGuarded(SpeedButton6, &QToolButton::clicked, this, &TMainForm::SpeedButton6Click);
    ui::connectGuarded(SpeedButton7, &QToolButton::clicked, this, &TMainForm::SpeedButton7Click);
    ui::connectGuarded(SpeedButton9, &QToolButton::clicked, this, &TMainForm::SpeedButton9Click);
    ui::connectGuarded(SpeedButton8, &QToolButton::clicked, this, &TMainForm::SpeedButton8Click);

    // F5 belongs to this window only; F1 is taken for every window by Forms.
    // Enter goes to the window, not to the box: a combo box would take it as choosing the item
    // its text matches.
    for (QWidget* box : {static_cast<QWidget*>(ComboBox1), static_cast<QWidget*>(Edit3), static_cast<QWidget*>(Edit4),
                         static_cast<QWidget*>(ComboBox2), static_cast<QWidget*>(ComboBox4)})
        ui::onEnterKey(box, this, [this, box] { EntryEnterPressed(box); });

    ui::connectGuarded(m_payment, &shell::PaymentPanel::chosen, this, &TMainForm::showPaymentChoice);
    ui::connectGuarded(m_payment, &shell::PaymentPanel::splitRequested, this, &TMainForm::SplitPaymentRequested);

    m_printKey = new QShortcut(QKeySequence(Qt::Key_F5), this);
    m_printKey->setContext(Qt::WindowShortcut);
    ui::connectGuarded(m_printKey, &QShortcut::activated, this, [this] { WMHotKey(PrintKey); });
    m_handoverKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    m_handoverKey->setContext(Qt::WindowShortcut);
    ui::connectGuarded(m_handoverKey, &QShortcut::activated, this, [this] { WMHotKey(HandoverKey); });
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    bool leave = true;
    ui::runGuarded(this, [&] { leave = FormCloseQuery(); });
    if (!leave) {
        event->ignore();
        return;
    }
    ui::SkinnedWindow::closeEvent(event);
}

// ---- Window frame -------------------------------------------------------------------------

void TMainForm::FormCreate()
{
    CheckBox2->setChecked(isFlag(ADOQuery6.field(QStringLiteral("客户"))));
    // Read only now: unticking the customer above may have rewritten the phone flag.
    CheckBox3->setChecked(isFlag(ADOQuery6.field(QStringLiteral("电话"))));
    Edit5->setText(ADOQuery3.field(QStringLiteral("店名")));
    Memo1->setPlainText(ADOQuery3.field(QStringLiteral("备注")));
    reloadGoodsPickList();
    reloadCashierPickList();
}

void TMainForm::FormShow()
{
    Edit1->setText(newReceiptNumber(Edit1->text()));
    ComboBox5->setEditText(ADOQuery6.field(QStringLiteral("pos")));
    ComboBox3->setEditText(ADOQuery6.field(QStringLiteral("print")));
    ComboBox1->setFocus();
}

void TMainForm::showStoredPrintSettings()
{
    ADOQuery6.requery(store::sql::SelectId);
    CheckBox2->setChecked(isFlag(ADOQuery6.field(QStringLiteral("客户"))));
    CheckBox3->setChecked(isFlag(ADOQuery6.field(QStringLiteral("电话"))));
    ComboBox5->setEditText(ADOQuery6.field(QStringLiteral("pos")));
    ComboBox3->setEditText(ADOQuery6.field(QStringLiteral("print")));
}

bool TMainForm::FormCloseQuery()
{
    // The next start empties the lines, so leaving them unprinted loses them.
    if (ADOQuery2.recordCount() == 0)
        return true;
    return ui::message(this, QStringLiteral("当前销售还没有打印，确定退出吗？"), ui::MessageStyle::WarningOkCancel);
}

void TMainForm::FormClose()
{
    Timer1.stop();
    QCoreApplication::exit(0);
}

QString TMainForm::newReceiptNumber(const QString& previous)
{
    return printing::nextReceiptNumber(previous, QDateTime::currentDateTime());
}

void TMainForm::Timer1Timer()
{
    Edit2->setText(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

void TMainForm::CheckBox1Click()
{
    if (CheckBox1->isChecked()) {
        Timer1.stop();
        ui::setBackground(Edit2, ui::windowColour());
    } else {
        Timer1.start();
        ui::setBackground(Edit2, ui::buttonFaceColour());
    }
}

void TMainForm::writeSetting(const QString& column, const QString& value)
{
    ADOQuery6.edit();
    ADOQuery6.setField(column, value);
    ADOQuery6.post();
}

void TMainForm::writeSettings(const QString& customer, const QString& phone)
{
    ADOQuery6.edit();
    ADOQuery6.setField(QStringLiteral("客户"), customer);
    ADOQuery6.setField(QStringLiteral("电话"), phone);
    ADOQuery6.post();
}

void TMainForm::CheckBox2Click()
{
    if (CheckBox2->isChecked()) {
        Edit9->setEnabled(true);
        ui::setBackground(Edit9, ui::windowColour());
        writeSetting(QStringLiteral("客户"), flagText(true));
        return;
    }
    for (QLineEdit* box : {Edit9, Edit10}) {
        box->setEnabled(false);
        ui::setBackground(box, ui::buttonFaceColour());
    }
    CheckBox3->setChecked(false);
    writeSettings(flagText(false), flagText(false));
}

void TMainForm::CheckBox3Click()
{
    if (CheckBox3->isChecked()) {
        for (QLineEdit* box : {Edit9, Edit10}) {
            box->setEnabled(true);
            ui::setBackground(box, ui::windowColour());
        }
        CheckBox2->setChecked(true);
        writeSettings(flagText(true), flagText(true));
        return;
    }
    Edit10->setEnabled(false);
    ui::setBackground(Edit10, ui::buttonFaceColour());
    writeSetting(QStringLiteral("电话"), flagText(false));
}

void TMainForm::ComboBox5Change()
{
    writeSetting(QStringLiteral("pos"), ComboBox5->currentText());
}

void TMainForm::ComboBox3Change()
{
    writeSetting(QStringLiteral("print"), ComboBox3->currentText());
}

void TMainForm::SpeedButton1Click()
{
    emit settingsRequested();
}

void TMainForm::SpeedButton5Click()
{
    printing::SaleToPrint sale = shell::saleOnScreen(*this);
    // The payment lines as they would print; a payment not yet settled shows none.
    if (const std::optional<sales::Fen> due = sales::parseYuan(Label15->text())) {
        const sales::Settlement paid = sales::settle(m_payment->choice(), *due, ComboBox4->currentText());
        if (paid.refusal.isEmpty()) {
            sale.received = sales::formatYuan(paid.received);
            sale.change = sales::formatYuan(paid.change);
            sale.payments = paid.payments;
        }
    }
    printing::showPreview(sale, dy58Form(), dy76Form());
}

void TMainForm::setReceiptForms(TDy58Form* dy58, TDy76Form* dy76)
{
    m_dy58 = dy58;
    m_dy76 = dy76;
}

TDy58Form& TMainForm::dy58Form() const
{
    if (!m_dy58)
        throw core::Error(QStringLiteral("58mm小票窗口尚未创建"));
    return *m_dy58;
}

TDy76Form& TMainForm::dy76Form() const
{
    if (!m_dy76)
        throw core::Error(QStringLiteral("76mm小票窗口尚未创建"));
    return *m_dy76;
}

void TMainForm::SpeedButton6Click()
{
    PrintCurrentSale();
}

void TMainForm::SpeedButton7Click()
{
    emit statisticsRequested();
}

void TMainForm::SpeedButton8Click()
{
    emit handoverRequested();
}

void TMainForm::WMHotKey(int virtualKey)
{
    if (virtualKey == HelpKey)
        openHelp();
    else if (virtualKey == PrintKey)
        PrintCurrentSale();
    else if (virtualKey == HandoverKey)
        SpeedButton8Click();
}

// A missing help file is left to the viewer to say; a desktop without any viewer is told here,
// or F1 would do nothing at all.
void TMainForm::openHelp()
{
    if (!ui::openWithDesktop(HelpFile))
        ui::message(this, NoHelpViewer, ui::MessageStyle::Warning);
}

void TMainForm::reloadGoodsPickList()
{
    shell::fillPickList(ComboBox1, ADOQuery1, store::sql::DistinctGoodsNames, QStringLiteral("品名"));
    shell::showNoItem(ComboBox1);
}

void TMainForm::reloadCashierPickList()
{
    // The cashier is still logged in: losing the name would leave it off every following receipt.
    const QString cashier = ComboBox6->currentText();
    shell::fillPickList(ComboBox6, ADOQuery7, store::sql::DistinctUserNames, QStringLiteral("用户名"));
    shell::showNoItem(ComboBox6);
    if (!cashier.isEmpty() && ComboBox6->findText(cashier, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
        ComboBox6->setEditText(cashier);
}

void TMainForm::applyRights(bool administrator)
{
    ui::setEditable(Edit1, administrator);
    // The shop name and remark are set in the settings window only, by anyone's login.
    ui::setEditable(Edit5, false);
    ui::setEditable(Memo1, false);
}

void TMainForm::showLoggedIn(const core::LoggedInUser& user)
{
    ComboBox6->setEditText(user.name);
    setStatusText(0, QStringLiteral("  网站：") + shell::SiteAddress);
    setStatusText(1, QStringLiteral("  用户权限：") + user.right);
}

void TMainForm::discardUnprintedSale()
{
    ADOQuery2.first();
    while (!ADOQuery2.eof())
        ADOQuery2.deleteCurrent();
}

void TMainForm::showPrintContent(const QString& shopName, const QString& remark)
{
    Edit5->setText(shopName);
    Memo1->setPlainText(remark);
}

void TMainForm::setStatusText(int panel, const QString& text)
{
    if (panel >= 0 && panel < m_statusPanels.size())
        m_statusPanels.at(panel)->setText(text);
}

QString TMainForm::statusText(int panel) const
{
    return panel >= 0 && panel < m_statusPanels.size() ? m_statusPanels.at(panel)->text() : QString();
}

// ---- Sale lines ---------------------------------------------------------------------------

void TMainForm::setLineButtons(bool add, bool modifyAndDelete)
{
    SpeedButton2->setEnabled(add);
    SpeedButton3->setEnabled(modifyAndDelete);
    SpeedButton4->setEnabled(modifyAndDelete);
}

void TMainForm::computeLineAmounts()
{
    if (Edit3->text().isEmpty() || Edit4->text().isEmpty() || ComboBox2->currentText().isEmpty())
        return;
    if (shell::anyLonePoint({Edit3->text(), Edit4->text(), ComboBox2->currentText()}))
        return;
    showLineAmounts();
}

void TMainForm::showLineAmounts()
{
    const sales::LineAmounts amounts =
        sales::computeLineAmounts(Edit3->text(), Edit4->text(), ComboBox2->currentText());
    Edit11->setText(amounts.amount);
    Edit12->setText(amounts.afterDiscount);
}

void TMainForm::Edit3KeyUp()
{
    computeLineAmounts();
}

void TMainForm::Edit4KeyUp()
{
    computeLineAmounts();
}

void TMainForm::ComboBox2KeyUp()
{
    computeLineAmounts();
}

void TMainForm::ComboBox2Click()
{
    computeLineAmounts();
}

void TMainForm::ComboBox1Click()
{
    if (ADOQuery1.recordCount() > 0 && !ComboBox1->currentText().isEmpty()) {
        sales::lookUpGoods(ADOQuery1, ComboBox1->currentText());
        Edit3->setText(ADOQuery1.field(QStringLiteral("单价")));
        Edit3->setText(store::normalisePrice(Edit3->text()));
        // As the line amount computation, but an empty quantity or discount is an error here;
        // one still being typed is not.
        if (!shell::anyLonePoint({Edit4->text(), ComboBox2->currentText()}))
            showLineAmounts();
    }
    ComboBox4->clearEditText();
    computeChange();
}

void TMainForm::mainRequery()
{
    ADOConnection1.close();
    ADOQuery1.requery(store::sql::SelectSpxx);
    ADOQuery2.requery(store::sql::SelectXsxx);
    ADOQuery3.requery(store::sql::SelectDynr);
    // The history tables only take appends here: opening them reads nothing of their rows.
    ADOQuery4.requery(store::sql::SelectXstj);
    ADOQuery5.requery(store::sql::SelectXsmx);
    ADOQuery6.requery(store::sql::SelectId);
    ADOQuery7.requery(store::sql::SelectUsername);
}

void TMainForm::settingsRefresh()
{
    emit settingsRefreshRequested();
}

bool TMainForm::lookUpAndUpdateGoods()
{
    sales::lookUpGoods(ADOQuery1, ComboBox1->currentText());
    Edit7->setText(ADOQuery1.field(QStringLiteral("品名")));
    sales::updateGoods(ADOQuery1, Edit7->text(), ComboBox1->currentText(), Edit3->text());
    return Edit7->text() != ComboBox1->currentText();
}

bool TMainForm::reportLineOutOfRange(int replacedIndex)
{
    const sales::LineTexts line{Edit3->text(), Edit4->text(), Edit11->text(), Edit12->text()};
    if (sales::lineFitsTheSale(ADOQuery2, line, replacedIndex))
        return false;
    ui::message(this, sales::outOfRangeMessage(), ui::MessageStyle::Warning);
    shell::focusAndSelect(Edit4);
    return true;
}

void TMainForm::focusGoodsName()
{
    shell::focusAndSelect(ComboBox1);
}

void TMainForm::EntryEnterPressed(QWidget* box)
{
    if (box == ComboBox1) {
        // Enter on a name the list holds is choosing it from the list by keyboard.
        if (shell::namesAnItem(ComboBox1))
            ComboBox1Click();
        else if (sellScannedCode())
            return;
        shell::focusAndSelect(Edit3);
    } else if (box == Edit3) {
        shell::focusAndSelect(Edit4);
    } else if (box == Edit4) {
        shell::focusAndSelect(ComboBox2);
    } else if (box == ComboBox2) {
        if (SpeedButton2->isEnabled())
            SpeedButton2Click();
        else if (SpeedButton3->isEnabled())
            SpeedButton3Click();
    }
}

void TMainForm::SpeedButton2Click()
{
    if (ComboBox1->currentText().isEmpty()) {
        ui::message(this, QStringLiteral("品名不能为空！"), ui::MessageStyle::Warning);
        return;
    }
    addEnteredLine(true);
}

// A line read off a barcode took its name and price from the catalogue: the catalogue, the goods
// list and the settings window's copy of it stay as they are (a second goods row of the same name
// keeps its own price).
bool TMainForm::addEnteredLine(bool keepGoodsCurrent)
{
    mainRequery();
    const bool added = !shell::reportEmptyEntryBoxes(this, *this) && !reportLineOutOfRange(-1);
    if (added) {
        // Only a new name changes the list; reloading a catalogue of 100,000 names takes long.
        if (writeLineWithGoods(true, keepGoodsCurrent))
            reloadGoodsPickList();
        SpeedButton3->setEnabled(false);
        SpeedButton4->setEnabled(false);
        focusGoodsName();
    }
    refreshTotals();
    if (keepGoodsCurrent)
        settingsRefresh();
    return added;
}

// The catalogue and the line go in together: a line the store refuses leaves no goods row
// behind. After a print run the sale is empty, and editing an empty result inserts the entry.
bool TMainForm::writeLineWithGoods(bool newLine, bool keepGoodsCurrent)
{
    store::Transaction transaction(ADOConnection1);
    const bool newName = keepGoodsCurrent && lookUpAndUpdateGoods();
    if (newLine)
        ADOQuery2.append();
    else
        ADOQuery2.edit();
    shell::writeLine(ADOQuery2, *this);
    transaction.commit();
    shell::resetEntry(*this);
    return newName;
}

bool TMainForm::sellScannedCode()
{
    const QString text = ComboBox1->currentText();
    shell::ScanReading reading = shell::readScan(ADOConnection1, text, ComboBox2->currentText());
    switch (reading.kind) {
    case shell::ScanReading::Kind::NotACode:
        return false;
    case shell::ScanReading::Kind::NoPrice:
        // As a typed name: the price is the cashier's to give.
        ComboBox1->setEditText(reading.line.name);
        Edit3->clear();
        return false;
    case shell::ScanReading::Kind::Refused:
        ui::message(this, reading.message, ui::MessageStyle::Warning);
        break;
    case shell::ScanReading::Kind::Unknown:
        if (ui::message(this, shell::offerToAddText(reading.message), ui::MessageStyle::WarningOkCancel)) {
            emit addGoodsRequested(reading.codeToAdd);
            // Added there: the sale takes them now, as the scan meant.
            reading = shell::readScan(ADOConnection1, text, ComboBox2->currentText());
            if (reading.kind == shell::ScanReading::Kind::Line && !addScannedLine(reading.line))
                return true;
        }
        break;
    case shell::ScanReading::Kind::Line:
        if (!addScannedLine(reading.line))
            return true;
        break;
    }
    // Ready for the next scan, whatever became of this one.
    ComboBox1->clearEditText();
    focusGoodsName();
    return true;
}

// Through the steps of a typed line, so amounts, totals and what is stored are the same; a repeat
// of goods sold by the piece is one more on its line, as modifying it would store it. False when
// the line was refused: the boxes then hold it for the cashier to mend.
bool TMainForm::addScannedLine(const shell::ScannedLine& line)
{
    mainRequery();
    const int repeated = shell::lineToAddTo(ADOQuery2, line, ComboBox2->currentText());
    ComboBox1->setEditText(line.name);
    Edit3->setText(line.price);
    Edit4->setText(repeated > 0 ? store::formatNumber(store::parseNumber(ADOQuery2.rowTexts(repeated - 1).value(
                                      ADOQuery2.columnNames().indexOf(QStringLiteral("数量")))) + 1)
                                : line.quantity);
    // Never the amounts of an earlier line: they are made afresh or the line is not added.
    Edit11->clear();
    Edit12->clear();
    if (shell::reportEmptyEntryBoxes(this, *this))
        return false;
    if (line.amount.isEmpty()) {
        showLineAmounts();
    } else {
        Edit11->setText(line.amount);
        Edit12->setText(line.afterDiscount);
    }
    if (repeated == 0)
        return addEnteredLine(false);
    ADOQuery2.moveTo(repeated);
    if (reportLineOutOfRange(repeated - 1))
        return false;
    writeLineWithGoods(false, false);
    refreshTotals();
    return true;
}

void TMainForm::SpeedButton3Click()
{
    if (shell::reportEmptyEntryBoxes(this, *this))
        return;
    // Editing an empty result inserts, so nothing is replaced then.
    if (reportLineOutOfRange(ADOQuery2.recordCount() > 0 ? ADOQuery2.recordNumber() - 1 : -1))
        return;
    if (writeLineWithGoods(false))
        reloadGoodsPickList();
    refreshTotals();
    settingsRefresh();
    setLineButtons(true, false);
    focusGoodsName();
}

void TMainForm::SpeedButton4Click()
{
    if (ADOQuery2.recordCount() == 0)
        return;
    ADOQuery2.deleteCurrent();
    shell::resetEntryBoxes(*this);
    refreshTotals();
    SpeedButton3->setEnabled(false);
    SpeedButton4->setEnabled(false);
}

void TMainForm::DBGridEh1CellClick()
{
    if (ADOQuery2.recordCount() == 0) {
        setLineButtons(true, false);
        return;
    }
    setLineButtons(false, true);
    ComboBox1->setEditText(ADOQuery2.field(QStringLiteral("品名")));
    Edit3->setText(ADOQuery2.field(QStringLiteral("单价")));
    Edit3->setText(store::normalisePrice(Edit3->text()));
    Edit11->setText(ADOQuery2.field(QStringLiteral("金额")));
    Edit12->setText(ADOQuery2.field(QStringLiteral("折后")));
}

// ---- Totals, rounding-off and change ------------------------------------------------------

void TMainForm::refreshTotals()
{
    const sales::Totals totals = sales::totalsOf(ADOQuery2);
    Label13->setText(totals.quantity);
    Label14->setText(totals.amount);
    Label15->setText(totals.afterDiscount);
    shell::fitTotals(*this);
    ComboBox4->setEditText(totals.afterDiscount);
    Edit6->setText(QStringLiteral("0"));
    showPaymentChoice();
}

void TMainForm::SpeedButton9Click()
{
    if (!Edit12->text().isEmpty())
        Edit12->setText(sales::dropFraction(Edit12->text()));
}

void TMainForm::computeChange()
{
    // No change is owed on an amount not yet typed, nor on a point still waiting for its digits.
    if (ComboBox4->currentText().isEmpty() || shell::anyLonePoint({ComboBox4->currentText()})) {
        Edit6->clear();
        return;
    }
    const std::optional<sales::Fen> due = sales::parseYuan(Label15->text());
    const std::optional<sales::Fen> cash = due ? sales::cashPart(m_payment->choice(), *due) : std::nullopt;
    if (due && !cash) {
        // Paid otherwise than in cash: nothing is handed back.
        Edit6->setText(sales::formatYuan(0));
        return;
    }
    const std::optional<sales::Fen> received = sales::parseYuan(ComboBox4->currentText());
    if (!cash || !received) {
        Edit6->clear();
        return;
    }
    Edit6->setText(sales::formatYuan(*received - *cash));
}

// Only cash is counted out: for other methods the received box holds the amount due, fixed; in a
// split with cash it starts at the cash share.
void TMainForm::showPaymentChoice()
{
    const std::optional<sales::Fen> due = sales::parseYuan(Label15->text());
    const sales::PaymentChoice& choice = m_payment->choice();
    const std::optional<sales::Fen> cash = due ? sales::cashPart(choice, *due) : std::nullopt;
    ComboBox4->lineEdit()->setReadOnly(!choice.takesCash());
    if (!choice.takesCash())
        ComboBox4->setEditText(Label15->text());
    else if (choice.isSplit() && cash)
        ComboBox4->setEditText(sales::formatYuan(*cash));
    computeChange();
}

void TMainForm::SplitPaymentRequested()
{
    const std::optional<sales::Fen> due = sales::parseYuan(Label15->text());
    if (ADOQuery2.recordCount() == 0 || !due || *due < 2) {
        ui::message(this, QStringLiteral("应收金额至少 0.02 元才能组合付款。"), ui::MessageStyle::Warning);
        return;
    }
    const sales::PayMethod first = m_payment->choice().first;
    if (const std::optional<TZhfkForm::Split> split = m_splitDialog->askSplit(first, *due))
        m_payment->chooseSplit(split->second, split->amount);
    shell::focusAndSelect(ComboBox4);
}

void TMainForm::ComboBox4Change()
{
    computeChange();
}

void TMainForm::ComboBox4KeyUp()
{
    computeChange();
}

// ---- Print run ----------------------------------------------------------------------------

void TMainForm::PrintCurrentSale()
{
    if (ADOQuery2.recordCount() == 0) {
        ui::message(this, QStringLiteral("打印信息为空！"), ui::MessageStyle::Warning);
        return;
    }
    printing::SaleToPrint sale = shell::saleOnScreen(*this);
    const std::optional<sales::Fen> due = sales::parseYuan(Label15->text());
    const sales::Settlement paid = due ? sales::settle(m_payment->choice(), *due, ComboBox4->currentText())
                                       : sales::Settlement{{}, 0, 0, QStringLiteral("应收金额“%1”不是有效的金额。").arg(Label15->text())};
    if (!paid.refusal.isEmpty()) {
        ui::message(this, paid.refusal, ui::MessageStyle::Warning);
        shell::focusAndSelect(ComboBox4);
        return;
    }
    // Printed as amounts, never as the text typed.
    sale.received = sales::formatYuan(paid.received);
    sale.change = sales::formatYuan(paid.change);
    sale.payments = paid.payments;
    // Opening it reads nothing; a start whose earlier steps failed may have left it closed.
    ADOQuery5.open();
    const QString notice =
        printing::printAndRecord(sale, dy58Form(), dy76Form(), ADOConnection1, ADOQuery2, ADOQuery4, ADOQuery5);
    resetAfterPrint();
    focusGoodsName();
    if (!notice.isEmpty())
        ui::message(this, notice, ui::MessageStyle::Warning);
}

void TMainForm::ReprintSale(const QString& receiptNumber)
{
    // Only the width, copies, switches and remark of the current settings are used.
    const QString notice = printing::reprintSale(receiptNumber, shell::saleOnScreen(*this), dy58Form(), dy76Form());
    if (!notice.isEmpty())
        ui::message(this, notice, ui::MessageStyle::Warning);
}

printing::SaleToPrint TMainForm::saleOnScreen() const
{
    return shell::saleOnScreen(*this);
}

void TMainForm::resetAfterPrint()
{
    for (QLabel* total : {Label13, Label14, Label15})
        total->setText(QStringLiteral("0"));
    ComboBox4->clearEditText();
    Edit6->clear();
    Edit9->clear();
    Edit1->setText(newReceiptNumber(Edit1->text()));
    m_payment->reset();
}
