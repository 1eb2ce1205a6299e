#include "shell/LoginUnit.h"

#include "shell/Looks.h"
#include "shell/PickList.h"
#include "store/Catalogue.h"
#include "store/Passwords.h"
#include "ui/BoxLooks.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/Messages.h"

namespace {

const QString Caption = QStringLiteral("登录软件");
const QSize ClientSize(346, 265);
const QColor HintBlue(0x00, 0x00, 0xFF);

} // namespace

TLoginForm::TLoginForm(std::function<void()> firstSteps, QWidget* parent)
    : ui::SkinnedWindow(parent), ADOConnection1(QStringLiteral("LoginForm")),
      ADOQuery1(ADOConnection1, store::sql::SelectUsername), m_firstSteps(std::move(firstSteps))
{
    // Only the control-box icon: leaving is "关闭", which ends the program.
    setupWindow(static_cast<Ui::TLoginForm&>(*this), QStringLiteral("LoginForm"), Caption, ClientSize, ui::ControlBox);

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
    setShowHandler([this] { FormShow(); });
    ui::runGuarded(this, [this] { FormCreate(); });
}

TLoginForm::~TLoginForm() = default;

void TLoginForm::FormCreate()
{
    if (m_firstSteps)
        m_firstSteps();
    fillUserList();
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
    m_outcome = {ComboBox1->currentText(), Edit3->text()};
    accept();
}

void TLoginForm::SpeedButton2Click()
{
    // The gate reports failure and the program ends; Forms then releases every window.
    reject();
}
