#include "support/ShellFixture.h"

#include "shell/Forms.h"
#include "shell/LoginUnit.h"
#include "shell/MainUnit.h"
#include "support/Controls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace testsupport {

namespace {

// Runs before the recorders and windows come to be, once the database exists.
QString prepared(TestDatabase& db, const std::function<void(TestDatabase&)>& prepare)
{
    if (prepare)
        prepare(db);
    return {};
}

} // namespace

ShellFixture::ShellFixture(const std::function<void(TestDatabase&)>& prepare)
    : desktopFolder((prepared(db, prepare), desktop.path()))
{
    modals.emplace();
    forms = std::make_unique<Forms>();
}

ShellFixture::~ShellFixture()
{
    forms.reset();
}

TMainForm& ShellFixture::main() const
{
    return *forms->MainForm;
}

bool ShellFixture::logIn(const QString& user, const QString& password)
{
    return testsupport::logIn(*forms, user, password);
}

LoginControls loginControls(const TLoginForm& login)
{
    return {control<QComboBox>(login, "ComboBox1"), control<QLineEdit>(login, "Edit1"),
            control<QPushButton>(login, "SpeedButton1"), control<QPushButton>(login, "SpeedButton2")};
}

bool logIn(Forms& forms, const QString& user, const QString& password)
{
    forms.showMainWindow();
    TLoginForm login(forms.loginFirstSteps());
    login.show();
    const int index = loginControls(login).ComboBox1->findText(user);
    if (index < 0)
        return false;
    loginControls(login).ComboBox1->setCurrentIndex(index);
    loginControls(login).Edit1->clear();
    typeInto(loginControls(login).Edit1, password);
    QTest::mouseClick(loginControls(login).SpeedButton1, Qt::LeftButton);
    // As the login gate does once the modal loop ends.
    if (login.result() != QDialog::Accepted)
        return false;
    forms.applyLogin(login.outcome());
    return true;
}

void typeInto(QWidget* widget, const QString& text)
{
    QTest::keyClicks(widget, text);
}

void retype(QLineEdit* box, const QString& text)
{
    box->clear();
    typeInto(box, text);
}

void retype(QComboBox* box, const QString& text)
{
    box->clearEditText();
    typeInto(box, text);
}

QString storedNumber(const QString& column)
{
    return QStringLiteral("CASE WHEN %1 = CAST(%1 AS INTEGER) THEN CAST(CAST(%1 AS INTEGER) AS TEXT) "
                          "ELSE CAST(%1 AS TEXT) END")
        .arg(column);
}

QStringList saleLineTexts(const ShellFixture& shell)
{
    return shell.db.rows(
        QStringLiteral("SELECT 品名, %1, %2, %3, %4 FROM xsxx ORDER BY ID")
            .arg(storedNumber("单价"), storedNumber("数量"), storedNumber("金额"), storedNumber("折后")));
}

} // namespace testsupport
