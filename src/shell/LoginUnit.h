#pragma once

#include "store/Connection.h"
#include "store/Dataset.h"
#include "ui/SkinnedWindow.h"
#include "ui_LoginUnit.h"

#include <QString>

class Forms;

// The login gate's window. Created, shown modally and destroyed by Forms; a confirmed login
// leaves its outcome only in other windows' controls: the cashier, the status bar and the
// rights model.
class TLoginForm : public ui::SkinnedWindow, public Ui::TLoginForm
{
    Q_OBJECT

public:
    explicit TLoginForm(Forms& forms, QWidget* parent = nullptr);
    ~TLoginForm() override;

    store::Connection ADOConnection1;
    store::Dataset ADOQuery1; // username

    void FormCreate();
    void FormShow();
    void SpeedButton1Click(); // 确定
    void SpeedButton2Click(); // 关闭

protected:
    void showEvent(QShowEvent* event) override;

private:
    void emptyCurrentSale();
    void fillUserList();
    void showLoginOnMainWindow();
    void applyRights(const QString& right);
    void tellAccountDialog();
    void setRights(bool administrator);

    Forms& m_forms;
};

namespace shell {

// The maker's web site, shown in the main window's status bar after login.
extern const QString SiteAddress;

} // namespace shell
