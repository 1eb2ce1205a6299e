#include "settings/XtUnit.h"

#include "settings/BackupPanel.h"
#include "core/Error.h"
#include "settings/DataImportPanel.h"
#include "settings/QxsmUnit.h"
#include "settings/ScalePanel.h"
#include "settings/SptjUnit.h"
#include "settings/SpxgUnit.h"
#include "settings/YhtjUnit.h"
#include "settings/YhxgUnit.h"
#include "store/Catalogue.h"
#include "store/GoodsCodes.h"
#include "ui/BoxLooks.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/Icons.h"
#include "ui/Messages.h"
#include "ui/Seams.h"

#include <QTextDocument>
#include <QVBoxLayout>
#include <QWindow>

namespace {

const QString AdminName = QStringLiteral("admin");

QList<ui::GridColumn> userColumns()
{
    return {
        {.title = QStringLiteral("序号"), .field = QString(), .width = 50},
        {.title = QStringLiteral("用户名"), .field = QStringLiteral("用户名"), .width = 135},
        {.title = QStringLiteral("权限"), .field = QStringLiteral("权限"), .width = 130},
    };
}

// The widths are shares of the grid: with the barcode beside them they stretch to fill it.
QList<ui::GridColumn> goodsColumns()
{
    return {
        {.title = QStringLiteral("序号"), .field = QString(), .width = 50},
        {.title = QStringLiteral("品名"), .field = QStringLiteral("品名"), .width = 125},
        {.title = QStringLiteral("单价"), .field = QStringLiteral("单价"), .width = 60, .numeric = true},
        {.title = QStringLiteral("条码"), .field = QStringLiteral("条码"), .width = 95},
    };
}

void paintRed(QWidget* label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    label->setPalette(palette);
}

// The settings window is shown modally, which blocks every window that is not its own;
// the modeless add-goods dialog must stay usable beside it without changing its owner.
void keepUsableBeside(QWidget* dialog, QWidget* window)
{
    dialog->winId();
    window->winId();
    if (dialog->windowHandle() && window->windowHandle())
        dialog->windowHandle()->setTransientParent(window->windowHandle());
}

template <typename Dialog> Dialog* required(const QPointer<Dialog>& dialog)
{
    if (!dialog)
        throw core::Error(QStringLiteral("设置窗口的对话框尚未创建"));
    return dialog.data();
}

} // namespace

TXtForm::TXtForm(QWidget* parent)
    : ui::SkinnedWindow(parent), ADOConnection1(QStringLiteral("TXtForm")),
      ADOQuery1(ADOConnection1, store::sql::SelectUsername), ADOQuery2(ADOConnection1, store::sql::SelectSpxx),
      ADOQuery3(ADOConnection1, store::sql::SelectDynr)
{
    setupWindow(static_cast<Ui::TXtForm&>(*this), QStringLiteral("TXtForm"), QStringLiteral("系统设置"),
                QSize(454, 356), ui::ControlBox | ui::Close);
    setUpLooks();
    setUpGrids();
    m_importPanel = new settings::DataImportPanel(TabSheet4);
    addDataPanel(m_importPanel);
    m_backupPanel = new TBackupPanel(ADOConnection1, TabSheet4);
    addDataPanel(m_backupPanel);
    m_scaleTab = new QWidget;
    m_scaleTab->setObjectName(QStringLiteral("ScaleTab"));
    m_scaleTab->setAccessibleName(QStringLiteral("条码秤"));
    m_scalePanel = new TScalePanel(ADOConnection1, m_scaleTab);
    (new QVBoxLayout(m_scaleTab))->addWidget(m_scalePanel);
    PageControl1->addTab(m_scaleTab, QStringLiteral("条码秤"));
    connectHandlers();
    centreOnScreen();
    FormCreate();
}

void TXtForm::setUpLooks()
{
    Memo1->setFont(ui::songFont(13));
    paintRed(Label1);
    paintRed(Label2);
    SpeedButton8->setIcon(ui::icon(QStringLiteral("rights")));
    PageControl1->setCurrentWidget(TabSheet1);
}

void TXtForm::setUpGrids()
{
    DBGridEh1->setColumns(userColumns());
    DBGridEh1->setDataset(&ADOQuery1);
    DBGridEh2->setColumns(goodsColumns());
    DBGridEh2->setDataset(&ADOQuery2);
}

void TXtForm::connectHandlers()
{
    ui::connectGuarded(this, &ui::SkinnedWindow::closed, this, &TXtForm::FormClose);
    ui::connectGuarded(SpeedButton1, &QPushButton::clicked, this, &TXtForm::SpeedButton1Click);
    ui::connectGuarded(SpeedButton2, &QPushButton::clicked, this, &TXtForm::SpeedButton2Click);
    ui::connectGuarded(SpeedButton3, &QPushButton::clicked, this, &TXtForm::SpeedButton3Click);
    ui::connectGuarded(SpeedButton4, &QPushButton::clicked, this, &TXtForm::SpeedButton4Click);
    ui::connectGuarded(SpeedButton5, &QPushButton::clicked, this, &TXtForm::SpeedButton5Click);
    ui::connectGuarded(SpeedButton6, &QPushButton::clicked, this, &TXtForm::SpeedButton6Click);
    ui::connectGuarded(SpeedButton7, &QPushButton::clicked, this, &TXtForm::SpeedButton7Click);
    ui::connectGuarded(SpeedButton8, &QToolButton::clicked, this, &TXtForm::SpeedButton8Click);
    ui::connectGuarded(DBGridEh1, &ui::DataGrid::doubleClicked, this, &TXtForm::DBGridEh1DblClick);
    ui::connectGuarded(DBGridEh2, &ui::DataGrid::doubleClicked, this, &TXtForm::DBGridEh2DblClick);
    ui::connectGuarded(m_importPanel, &settings::DataImportPanel::legacyImported, this, &TXtForm::showImported);
    ui::connectGuarded(m_importPanel, &settings::DataImportPanel::goodsImported, this, &TXtForm::showImportedGoods);
    connect(m_backupPanel, &TBackupPanel::restoreReady, this, [this] {
        accept();
        emit restoreRequested();
    });
}

// What an import wrote is shown here at once and in the main window's lists and boxes.
void TXtForm::showImported(const legacy::ImportCounts& counts)
{
    SettingsRequery();
    if (counts.printContent) {
        Edit1->setText(ADOQuery3.field(QStringLiteral("店名")));
        Memo1->setPlainText(ADOQuery3.field(QStringLiteral("备注")));
        emit printContentSaved(ADOQuery3.field(QStringLiteral("店名")), ADOQuery3.field(QStringLiteral("备注")));
    }
    if (counts.printSettings)
        emit printSettingsImported();
    emit goodsChanged();
    emit usersChanged();
}

void TXtForm::showImportedGoods()
{
    SettingsRequery();
    emit goodsChanged();
}

void TXtForm::setDialogs(TYhtjForm* yhtj, TYhxgForm* yhxg, TSptjForm* sptj, TSpxgForm* spxg, TQxsmForm* qxsm)
{
    m_yhtj = yhtj;
    m_yhxg = yhxg;
    m_sptj = sptj;
    m_spxg = spxg;
    m_qxsm = qxsm;
}

TYhtjForm* TXtForm::yhtjForm() const
{
    return required(m_yhtj);
}

TYhxgForm* TXtForm::yhxgForm() const
{
    return required(m_yhxg);
}

TSptjForm* TXtForm::sptjForm() const
{
    return required(m_sptj);
}

TSpxgForm* TXtForm::spxgForm() const
{
    return required(m_spxg);
}

TQxsmForm* TXtForm::qxsmForm() const
{
    return required(m_qxsm);
}

void TXtForm::FormCreate()
{
    ADOConnection1.open();
    ADOQuery1.open();
    ADOQuery2.open();
    ADOQuery3.open();
    Edit1->setText(ADOQuery3.field(QStringLiteral("店名")));
    Memo1->setPlainText(ADOQuery3.field(QStringLiteral("备注")));
    m_backupPanel->load();
    m_scalePanel->load();
}

void TXtForm::FormClose()
{
    emit goodsChanged();
    emit usersChanged();
}

void TXtForm::OpenOnUsersTab()
{
    PageControl1->setCurrentWidget(TabSheet1);
    ui::showModal(this);
}

void TXtForm::applyRights(bool administrator)
{
    ui::setEditable(Edit1, administrator);
    ui::setEditable(Memo1, administrator);
    SpeedButton1->setEnabled(administrator);
    SpeedButton3->setEnabled(administrator);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet4), administrator);
    m_backupPanel->applyRights(administrator);
    PageControl1->setTabVisible(PageControl1->indexOf(m_scaleTab), administrator);
    m_scalePanel->applyRights(administrator);
}

void TXtForm::addDataPanel(QWidget* panel)
{
    DataTabLayout->insertWidget(DataTabLayout->count() - 1, panel);
}

void TXtForm::SettingsRequery()
{
    ADOConnection1.reconnect();
    ADOQuery1.requery(store::sql::SelectUsername);
    ADOQuery2.requery(store::sql::SelectSpxx);
    // The reconnect closed the print content as well, and the save needs it open.
    ADOQuery3.requery(store::sql::SelectDynr);
}

bool TXtForm::hasSelectedUser()
{
    return ADOQuery1.recordCount() > 0;
}

QString TXtForm::selectedUserPassword()
{
    return ADOQuery1.field(QStringLiteral("密码"));
}

void TXtForm::modifySelectedUser(const QString& storedPassword, const QString& right)
{
    ADOQuery1.edit();
    ADOQuery1.setField(QStringLiteral("密码"), storedPassword);
    ADOQuery1.setField(QStringLiteral("权限"), right);
    ADOQuery1.post();
}

bool TXtForm::hasSelectedGoods()
{
    return ADOQuery2.recordCount() > 0;
}

void TXtForm::modifySelectedGoods(const QString& name, const QString& price, const QString& barcode)
{
    store::requireBarcodeFree(ADOConnection1, barcode, ADOQuery2.field(QStringLiteral("条码")));
    ADOQuery2.edit();
    store::postGoods(ADOQuery2, ADOConnection1, name, price, barcode);
}

void TXtForm::SettingsRefresh()
{
    SettingsRequery();
}

void TXtForm::SpeedButton1Click()
{
    TYhtjForm* dialog = yhtjForm();
    dialog->emptyBoxes();
    ui::showModal(dialog);
}

void TXtForm::SpeedButton2Click()
{
    TYhxgForm* dialog = yhxgForm();
    dialog->showAccount(ADOQuery1.field(QStringLiteral("用户名")), ADOQuery1.field(QStringLiteral("权限")));
    ui::showModal(dialog);
}

void TXtForm::DBGridEh1DblClick()
{
    SpeedButton2Click();
}

void TXtForm::SpeedButton3Click()
{
    if (!ui::message(this, QStringLiteral("确定要删除选中的用户？"), ui::MessageStyle::WarningOkCancel))
        return;
    if (ADOQuery1.field(QStringLiteral("用户名")) == AdminName) {
        ui::message(this, QStringLiteral("管理员不能被删除！"), ui::MessageStyle::Error);
        return;
    }
    ADOQuery1.deleteCurrent();
}

void TXtForm::SpeedButton4Click()
{
    TSptjForm* dialog = sptjForm();
    dialog->emptyBoxes();
    keepUsableBeside(dialog, this);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void TXtForm::SpeedButton5Click()
{
    if (ADOQuery2.recordCount() == 0) {
        ui::message(this, QStringLiteral("商品信息为空！"), ui::MessageStyle::Plain);
        return;
    }
    TSpxgForm* dialog = spxgForm();
    dialog->showGoods(ADOQuery2.field(QStringLiteral("品名")), ADOQuery2.field(QStringLiteral("单价")),
                      ADOQuery2.field(QStringLiteral("条码")));
    ui::showModal(dialog);
}

void TXtForm::DBGridEh2DblClick()
{
    SpeedButton5Click();
}

void TXtForm::SpeedButton6Click()
{
    if (ADOQuery2.recordCount() == 0) {
        ui::message(this, QStringLiteral("商品信息为空！"), ui::MessageStyle::WarningOkCancel);
        return;
    }
    if (ui::message(this, QStringLiteral("确定要删除选中的商品？"), ui::MessageStyle::WarningOkCancel))
        ADOQuery2.deleteCurrent();
}

QString TXtForm::remarkText() const
{
    // The raw text keeps what was typed (no-break spaces included); only the separators
    // between the box's lines become line breaks.
    QString text = Memo1->document()->toRawText();
    for (QChar separator : {QChar(QChar::ParagraphSeparator), QChar(0xFDD0), QChar(0xFDD1)})
        text.replace(separator, QLatin1Char('\n'));
    return text;
}

void TXtForm::SpeedButton7Click()
{
    if (Edit1->isReadOnly()) {
        ui::message(this, QStringLiteral("您没有权限设置打印内容！"), ui::MessageStyle::Plain);
        return;
    }
    if (!ADOQuery3.isOpen())
        ADOQuery3.open();
    ADOQuery3.edit();
    ADOQuery3.setField(QStringLiteral("店名"), Edit1->text());
    ADOQuery3.setField(QStringLiteral("备注"), remarkText());
    ADOQuery3.post();
    ui::message(this, QStringLiteral("设置打印内容保存成功！"), ui::MessageStyle::Warning);
    emit printContentSaved(ADOQuery3.field(QStringLiteral("店名")), ADOQuery3.field(QStringLiteral("备注")));
}

void TXtForm::SpeedButton8Click()
{
    ui::showModal(qxsmForm());
}
