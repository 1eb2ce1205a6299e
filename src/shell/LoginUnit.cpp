#include "shell/LoginUnit.h"

#include "records/XstjUnit.h"
#include "settings/XtUnit.h"
#include "settings/YhxgUnit.h"
#include "shell/DesktopEntry.h"
#include "shell/Forms.h"
#include "shell/Looks.h"
#include "shell/MainUnit.h"
#include "shell/PickList.h"
#include "store/Catalogue.h"
#include "store/Passwords.h"
#include "ui/BoxLooks.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/Messages.h"
#include "ui/Seams.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QShowEvent>

namespace shell {

const QString SiteAddress = QStringLiteral("www.quorvel.cn");

} // namespace shell

namespace {

const QString Caption = QStringLiteral("登录软件");
const QSize ClientSize(346, 265);
const QString Administrator = QStringLiteral("管理员");
const QString OrdinaryUser = QStringLiteral("普通用户");
const QColor HintBlue(0x00, 0x00, 0xFF);

} // namespace

TLoginForm::TLoginForm(Forms& forms, QWidget* parent)
    : ui::SkinnedWindow(parent), ADOConnection1(QStringLiteral("LoginForm")),
      ADOQuery1(ADOConnection1, store::sql::SelectUsername), m_forms(forms)
{
    // Only the control-box icon: leaving is "关闭", which ends the program.
    setupWindow(*this, QStringLiteral("LoginForm"), Caption, ClientSize, ui::ControlBox);

    clientArea()->setAutoFillBackground(true);
    QPalette background = clientArea()->palette();
    background.setBrush(QPalette::Window, QBrush(shell::loginBackground(ClientSize)));
    clientArea()->setPalette(background);
    Label3->setFont(ui::songFont(12));
    ui::setTextColour(Label3, HintBlue);
    Edit1->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }")); // "*"

    ADOConnection1.open();
    ui::connectGuarded(SpeedButton1, &QPushButton::clicked, this, &TLoginForm::SpeedButton1Click);
    ui::connectGuarded(SpeedButton2, &QPushButton::clicked, this, &TLoginForm::SpeedButton2Click);
    centreOnScreen();
    ui::runGuarded(this, [this] { FormCreate(); });
}

TLoginForm::~TLoginForm() = default;

void TLoginForm::showEvent(QShowEvent* event)
{
    ui::SkinnedWindow::showEvent(event);
    if (!event->spontaneous())
        ui::runGuarded(this, [this] { FormShow(); });
}

void TLoginForm::FormCreate()
{
    shell::writeDesktopEntry(ui::desktopFolder(), QCoreApplication::applicationFilePath(), QDir::currentPath());
    emptyCurrentSale();
    fillUserList();
}

// Lines entered but never printed in an earlier run are discarded.
void TLoginForm::emptyCurrentSale()
{
    store::Dataset& lines = m_forms.MainForm->ADOQuery2;
    lines.first();
    while (!lines.eof())
        lines.deleteCurrent();
}

void TLoginForm::fillUserList()
{
    shell::fillPickList(ComboBox1, ADOQuery1, store::sql::DistinctUserNames, QStringLiteral("用户名"));
    if (ComboBox1->count() > 0)
        ComboBox1->setCurrentIndex(0);
}

void TLoginForm::FormShow()
{
    Edit1->setFocus();
}

void TLoginForm::SpeedButton1Click()
{
    ADOQuery1.requery(store::sql::UserByName, ComboBox1->currentText());
    const bool found = ADOQuery1.recordCount() > 0;
    Edit2->setText(ADOQuery1.field(QStringLiteral("密码")));
    Edit3->setText(ADOQuery1.field(QStringLiteral("权限")));
    // A name without an account never logs in, even with the empty password.
    if (!found || !store::verifyPassword(Edit1->text(), Edit2->text())) {
        ui::message(this, QStringLiteral("登录软件密码错误！"), ui::MessageStyle::Error);
        Edit1->clear();
        return;
    }
    accept();
    showLoginOnMainWindow();
    applyRights(Edit3->text());
    tellAccountDialog();
}

// The modify-user dialog decides by these whether the old password is asked.
void TLoginForm::tellAccountDialog()
{
    TYhxgForm* dialog = m_forms.YhxgForm;
    if (!dialog)
        return;
    dialog->Edit6->setText(ComboBox1->currentText());
    dialog->Edit7->setText(Edit3->text());
}

void TLoginForm::showLoginOnMainWindow()
{
    TMainForm* main = m_forms.MainForm;
    main->ComboBox6->setEditText(ComboBox1->currentText());
    main->setStatusText(0, QStringLiteral("  网站：") + shell::SiteAddress);
    main->setStatusText(1, QStringLiteral("  用户权限：") + Edit3->text());
}

void TLoginForm::applyRights(const QString& right)
{
    // Any other right leaves every control as designed.
    if (right == Administrator)
        setRights(true);
    if (right == OrdinaryUser)
        setRights(false);
}

void TLoginForm::setRights(bool administrator)
{
    m_forms.MainForm->applyRights(administrator);
    m_forms.XtForm->applyRights(administrator);
    m_forms.XstjForm->applyRights(administrator);
}

void TLoginForm::SpeedButton2Click()
{
    // The gate reports failure and the program ends; Forms then releases every window.
    reject();
}
