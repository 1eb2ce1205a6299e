#include "core/LoggedInUser.h"
#include "store/Passwords.h"
#include "support/Controls.h"
#include "support/DesktopRecorders.h"
#include "support/SettingsForms.h"
#include "support/TestDatabase.h"
#include "ui/Messages.h"

#include <QtTest>

using testsupport::control;
using testsupport::SettingsForms;
using testsupport::TestDatabase;
using ui::MessageStyle;

namespace {

const QString Added = QStringLiteral("添加用户成功！");
const QString NameEmpty = QStringLiteral("用户名不能为空！");
const QString WrongOldPassword = QStringLiteral("旧密码输入错误！");
const QString Modified = QStringLiteral("修改用户信息成功！");

// The one stored row of a user, as "name|password|right".
QStringList storedUser(const TestDatabase& db, const QString& name)
{
    return db.rows(QStringLiteral("SELECT 用户名, 密码, 权限 FROM username WHERE 用户名 = '%1'")
                       .arg(QString(name).replace('\'', QStringLiteral("''"))));
}

void checkPasswordKept(const QString& stored, const QString& typed)
{
    if (typed.isEmpty()) {
        QCOMPARE(stored, QString());
        return;
    }
    QVERIFY2(stored.startsWith("$argon2id$"), qPrintable(stored));
    QVERIFY(!stored.contains(typed));
    QVERIFY(store::verifyPassword(typed, stored));
}

} // namespace

class TestSettingsUsers : public QObject
{
    Q_OBJECT

private slots:
    void addUser_data();
    void addUser();
    void addUserRefused_data();
    void addUserRefused();
    void addDialogKeepsRightAndTickBox();
    void modifyUser_data();
    void modifyUser();
    void modifyOnEmptyListWritesNothing();
    void modifyDialogFocus();
    void ordinaryUserChangesAdmin();
    void oldPasswordByWhoLoggedIn_data();
    void oldPasswordByWhoLoggedIn();
    void newPasswordTypedTwice_data();
    void newPasswordTypedTwice();
    void rightsExplanation();
};

void TestSettingsUsers::addUser_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("right");
    QTest::newRow("cashier") << "张三"
                             << "abc123" << 1;
    QTest::newRow("empty password") << "李四"
                                    << "" << 0;
    QTest::newRow("existing name stored again") << "admin"
                                                << "again!" << 1;
    QTest::newRow("blanks only") << "   "
                                 << " " << 1;
    QTest::newRow("quotes and wildcards") << "O'Brien \"%_\""
                                          << "p'w\"%" << 0;
    QTest::newRow("beyond the BMP") << "𠮷野家😀"
                                    << "🔑密码" << 1;
    QTest::newRow("50 characters") << QString(50, QChar(0x540D)) << QString(300, QLatin1Char('p')) << 1;
    QTest::newRow("50 characters beyond the BMP") << QString("😀").repeated(50) << "🔑口令" << 1;
}

void TestSettingsUsers::addUser()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(int, right);
    TestDatabase db;
    SettingsForms forms;
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    control<QPushButton>(*forms.xt, "SpeedButton1")->click();
    QCOMPARE(modal.shown(), QStringList({"TYhtjForm"}));

    TYhtjForm& dialog = *forms.yhtj;
    control<QLineEdit>(dialog, "Edit1")->setText(name);
    control<QLineEdit>(dialog, "Edit2")->setText(password);
    control<QComboBox>(dialog, "ComboBox1")->setCurrentIndex(right);
    control<QPushButton>(dialog, "SpeedButton1")->click();

    QCOMPARE(messages.texts(), QStringList({Added}));
    QCOMPARE(testsupport::messageStyles(messages), QList<MessageStyle>({MessageStyle::Plain}));
    const QStringList rows = db.rows("SELECT 用户名, 密码, 权限 FROM username WHERE rowid > 1");
    QCOMPARE(rows.size(), 1);
    const QStringList columns = rows.first().split('|');
    QCOMPARE(columns.first(), name);
    QCOMPARE(columns.last(), control<QComboBox>(dialog, "ComboBox1")->itemText(right));
    checkPasswordKept(columns.at(1), password);

    QVERIFY(control<QLineEdit>(dialog, "Edit1")->text().isEmpty());
    QVERIFY(control<QLineEdit>(dialog, "Edit2")->text().isEmpty());
    QCOMPARE(control<QComboBox>(dialog, "ComboBox1")->currentIndex(), right);
    QVERIFY(dialog.isVisible());
    QCOMPARE(forms.signalLog, QStringList({"YhtjForm.usersChanged"}));
    // The settings window re-read its list: the new user is in the grid.
    QCOMPARE(control<ui::DataGrid>(*forms.xt, "DBGridEh1")->model()->rowCount(), 2);
    QCOMPARE(control<ui::DataGrid>(*forms.xt, "DBGridEh1")->cellText(1, 1), name);
}

void TestSettingsUsers::addUserRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("isErrorReport");
    QTest::newRow("empty name") << "" << NameEmpty << false;
    QTest::newRow("51 characters") << QString(51, QLatin1Char('n')) << "50" << true;
    QTest::newRow("51 characters beyond the BMP") << QString("😀").repeated(51) << "50" << true;
}

void TestSettingsUsers::addUserRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QFETCH(bool, isErrorReport);
    TestDatabase db;
    SettingsForms forms;
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    control<QPushButton>(*forms.xt, "SpeedButton1")->click();
    control<QLineEdit>(*forms.yhtj, "Edit1")->setText(name);
    control<QLineEdit>(*forms.yhtj, "Edit2")->setText("secret");
    control<QPushButton>(*forms.yhtj, "SpeedButton1")->click();

    QCOMPARE(messages.messages().size(), 1);
    QCOMPARE(messages.messages().first().isErrorReport, isErrorReport);
    QVERIFY2(messages.texts().first().contains(expected), qPrintable(messages.texts().first()));
    QCOMPARE(db.rows("SELECT 用户名 FROM username"), QStringList({"admin"}));
    QVERIFY(forms.yhtj->isVisible());
    QCOMPARE(control<QLineEdit>(*forms.yhtj, "Edit1")->text(), name);
    QVERIFY(forms.signalLog.isEmpty());

    // A refused row is not posted along with the next one.
    messages.clear();
    control<QLineEdit>(*forms.yhtj, "Edit1")->setText("next");
    control<QPushButton>(*forms.yhtj, "SpeedButton1")->click();
    QCOMPARE(messages.texts(), QStringList({Added}));
    QCOMPARE(db.rows("SELECT 用户名 FROM username ORDER BY rowid"), QStringList({"admin", "next"}));
}

void TestSettingsUsers::addDialogKeepsRightAndTickBox()
{
    TestDatabase db;
    SettingsForms forms;
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    TYhtjForm& dialog = *forms.yhtj;
    QCOMPARE(control<QComboBox>(dialog, "ComboBox1")->currentText(), QStringLiteral("管理员"));
    QVERIFY(control<QCheckBox>(dialog, "CheckBox1")->isChecked());
    control<QPushButton>(*forms.xt, "SpeedButton1")->click();
    control<QComboBox>(dialog, "ComboBox1")->setCurrentIndex(1);
    control<QCheckBox>(dialog, "CheckBox1")->setChecked(false);
    control<QLineEdit>(dialog, "Edit1")->setText("王五");
    control<QPushButton>(dialog, "SpeedButton1")->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(db.scalar("SELECT 权限 FROM username WHERE 用户名 = '王五'"), QStringLiteral("普通用户"));

    control<QLineEdit>(dialog, "Edit1")->setText("typed and left");
    control<QLineEdit>(dialog, "Edit2")->setText("typed and left");
    control<QPushButton>(*forms.xt, "SpeedButton1")->click();
    QVERIFY(dialog.isVisible());
    QVERIFY(control<QLineEdit>(dialog, "Edit1")->text().isEmpty());
    QVERIFY(control<QLineEdit>(dialog, "Edit2")->text().isEmpty());
    QCOMPARE(control<QComboBox>(dialog, "ComboBox1")->currentText(), QStringLiteral("普通用户"));
    QVERIFY(!control<QCheckBox>(dialog, "CheckBox1")->isChecked());

    control<QPushButton>(dialog, "SpeedButton2")->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(db.scalar("SELECT count(*) FROM username"), QStringLiteral("2"));
}

void TestSettingsUsers::modifyUser_data()
{
    QTest::addColumn<QString>("oldStored");
    QTest::addColumn<QString>("oldTyped");
    QTest::addColumn<QString>("newTyped");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("right old password") << "Secret1"
                                        << "Secret1"
                                        << "新密码" << true;
    QTest::newRow("old password in the wrong case") << "Secret1"
                                                    << "secret1"
                                                    << "new one" << false;
    QTest::newRow("old password missing") << "Secret1"
                                          << ""
                                          << "new one" << false;
    QTest::newRow("old password with a blank") << "Secret1"
                                               << "Secret1 "
                                               << "new one" << false;
    QTest::newRow("empty old, empty new") << ""
                                          << ""
                                          << "" << true;
    QTest::newRow("empty old, something typed") << ""
                                                << "Secret1"
                                                << "" << false;
    QTest::newRow("new password emptied") << "Secret1"
                                          << "Secret1"
                                          << "" << true;
    QTest::newRow("quotes and wildcards") << "a'b\"%"
                                          << "a'b\"%"
                                          << "'; --%_" << true;
}

void TestSettingsUsers::modifyUser()
{
    QFETCH(QString, oldStored);
    QFETCH(QString, oldTyped);
    QFETCH(QString, newTyped);
    QFETCH(bool, accepted);
    TestDatabase db;
    db.exec(QStringLiteral("INSERT INTO username VALUES ('赵六', '%1', '管理员'), ('其他人', '', '管理员')")
                .arg(store::hashPassword(oldStored)));
    SettingsForms forms;
    QVERIFY(forms.selectUser("赵六"));
    const QStringList before = storedUser(db, "赵六");
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    control<QPushButton>(*forms.xt, "SpeedButton2")->click();
    TYhxgForm& dialog = *forms.yhxg;
    QCOMPARE(control<QComboBox>(dialog, "ComboBox1")->currentIndex(), 0);
    control<QLineEdit>(dialog, "Edit2")->setText(oldTyped);
    control<QLineEdit>(dialog, "Edit3")->setText(newTyped);
    control<QLineEdit>(dialog, "Edit5")->setText(newTyped);
    control<QComboBox>(dialog, "ComboBox1")->setCurrentIndex(1);
    control<QPushButton>(dialog, "SpeedButton1")->click();

    QCOMPARE(db.rows("SELECT 用户名, 密码 FROM username WHERE 用户名 <> '赵六' ORDER BY rowid"),
             QStringList({"admin|", "其他人|"}));
    if (!accepted) {
        QCOMPARE(messages.texts(), QStringList({WrongOldPassword}));
        QCOMPARE(testsupport::messageStyles(messages), QList<MessageStyle>({MessageStyle::Error}));
        QVERIFY(control<QLineEdit>(dialog, "Edit2")->text().isEmpty());
        QVERIFY(control<QLineEdit>(dialog, "Edit3")->text().isEmpty());
        QVERIFY(control<QLineEdit>(dialog, "Edit5")->text().isEmpty());
        QVERIFY(dialog.isVisible());
        QCOMPARE(storedUser(db, "赵六"), before);
        return;
    }
    QCOMPARE(messages.texts(), QStringList({Modified}));
    QCOMPARE(testsupport::messageStyles(messages), QList<MessageStyle>({MessageStyle::Plain}));
    QVERIFY(!dialog.isVisible());
    const QStringList columns = storedUser(db, "赵六").value(0).split('|');
    QCOMPARE(columns.size(), 3);
    QCOMPARE(columns.at(2), QStringLiteral("普通用户"));
    checkPasswordKept(columns.at(1), newTyped);
    QCOMPARE(db.scalar("SELECT count(*) FROM username"), QStringLiteral("3"));
    // The grid shows the change at once, and no reload was asked for.
    QCOMPARE(control<ui::DataGrid>(*forms.xt, "DBGridEh1")->cellText(1, 2), QStringLiteral("普通用户"));
    QVERIFY(forms.signalLog.isEmpty());
}

// Only possible on a file edited by hand; an edit there would insert a nameless account.
void TestSettingsUsers::modifyOnEmptyListWritesNothing()
{
    TestDatabase db;
    db.exec("DELETE FROM username");
    SettingsForms forms;
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    control<QPushButton>(*forms.xt, "SpeedButton2")->click();
    QCOMPARE(modal.shown(), QStringList({"TYhxgForm"}));
    QVERIFY(control<QLineEdit>(*forms.yhxg, "Edit1")->text().isEmpty());
    control<QPushButton>(*forms.yhxg, "SpeedButton1")->click();
    QCOMPARE(messages.texts(), QStringList({"用户信息为空！"}));
    QCOMPARE(db.scalar("SELECT count(*) FROM username"), QStringLiteral("0"));
}

void TestSettingsUsers::modifyDialogFocus()
{
    TestDatabase db;
    SettingsForms forms;
    ui::ModalRecorder modal;
    TYhxgForm& dialog = *forms.yhxg;
    control<QLineEdit>(dialog, "Edit3")->setFocus();
    control<QPushButton>(*forms.xt, "SpeedButton2")->click();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.focusWidget(), control<QLineEdit>(dialog, "Edit2"));
    QVERIFY(control<QLineEdit>(dialog, "Edit1")->isReadOnly());
    QCOMPARE(control<QLineEdit>(dialog, "Edit1")->palette().color(QPalette::Base),
             dialog.palette().color(QPalette::Button));
    QVERIFY(control<QLineEdit>(dialog, "Edit4")->isHidden());
    control<QPushButton>(dialog, "SpeedButton2")->click();
    QVERIFY(!dialog.isVisible());
}

// Modifying is open to both rights: with its old password any account may be changed.
void TestSettingsUsers::ordinaryUserChangesAdmin()
{
    TestDatabase db;
    SettingsForms forms;
    forms.loginAsOrdinaryUser();
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    QVERIFY(forms.selectUser("admin"));
    control<QPushButton>(*forms.xt, "SpeedButton2")->click();
    control<QLineEdit>(*forms.yhxg, "Edit3")->setText("newAdminPw");
    control<QLineEdit>(*forms.yhxg, "Edit5")->setText("newAdminPw");
    control<QPushButton>(*forms.yhxg, "SpeedButton1")->click();
    QCOMPARE(messages.texts(), QStringList({Modified}));
    QVERIFY(store::verifyPassword("newAdminPw", db.scalar("SELECT 密码 FROM username WHERE 用户名 = 'admin'")));
}

// Who is changing whose account decides whether the password in use must be given.
void TestSettingsUsers::oldPasswordByWhoLoggedIn_data()
{
    QTest::addColumn<QString>("loggedIn");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("account");
    QTest::addColumn<bool>("oldNeeded");
    QTest::newRow("administrator resets a cashier") << "admin"
                                                    << "管理员"
                                                    << "赵六" << false;
    QTest::newRow("administrator resets another administrator") << "admin"
                                                                << "管理员"
                                                                << "钱七" << false;
    QTest::newRow("administrator's own account") << "admin"
                                                 << "管理员"
                                                 << "admin" << true;
    QTest::newRow("cashier changes another account") << "赵六"
                                                     << "普通用户"
                                                     << "admin" << true;
    QTest::newRow("cashier's own account") << "赵六"
                                           << "普通用户"
                                           << "赵六" << true;
    QTest::newRow("a right that is neither") << "钱七"
                                             << "管理员 "
                                             << "赵六" << true;
    QTest::newRow("nobody logged in") << ""
                                      << ""
                                      << "赵六" << true;
}

void TestSettingsUsers::oldPasswordByWhoLoggedIn()
{
    QFETCH(QString, loggedIn);
    QFETCH(QString, right);
    QFETCH(QString, account);
    QFETCH(bool, oldNeeded);
    TestDatabase db;
    db.exec(QStringLiteral("UPDATE username SET 密码 = '%1'").arg(store::hashPassword("AdminPw")));
    db.exec(QStringLiteral("INSERT INTO username VALUES ('赵六', '%1', '普通用户'), ('钱七', '%2', '管理员')")
                .arg(store::hashPassword("Forgotten1"), store::hashPassword("Forgotten2")));
    SettingsForms forms;
    TYhxgForm& dialog = *forms.yhxg;
    const core::LoggedInUser user{loggedIn, right};
    dialog.setLoggedInUser(&user);
    QVERIFY(forms.selectUser(account));
    const QStringList before = storedUser(db, account);
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    control<QPushButton>(*forms.xt, "SpeedButton2")->click();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(control<QLineEdit>(dialog, "Edit2")->isEnabled(), oldNeeded);
    QCOMPARE(dialog.focusWidget(),
             oldNeeded ? control<QLineEdit>(dialog, "Edit2") : control<QLineEdit>(dialog, "Edit3"));

    // Without the old password.
    control<QLineEdit>(dialog, "Edit3")->setText("Fresh-1");
    control<QLineEdit>(dialog, "Edit5")->setText("Fresh-1");
    control<QPushButton>(dialog, "SpeedButton1")->click();
    if (oldNeeded) {
        QCOMPARE(messages.texts(), QStringList({WrongOldPassword}));
        QCOMPARE(storedUser(db, account), before);
        QVERIFY(dialog.isVisible());
        dialog.close();
        return;
    }
    QCOMPARE(messages.texts(), QStringList({Modified}));
    const QString stored = storedUser(db, account).value(0).section('|', 1, 1);
    QVERIFY(store::verifyPassword("Fresh-1", stored));
    // Nobody else's password moved.
    QVERIFY(store::verifyPassword("AdminPw", db.scalar("SELECT 密码 FROM username WHERE 用户名 = 'admin'")));
    QCOMPARE(db.scalar("SELECT count(*) FROM username"), QStringLiteral("3"));
}

void TestSettingsUsers::newPasswordTypedTwice_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("confirmed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("the same twice") << "Pw-2024"
                                    << "Pw-2024" << true;
    QTest::newRow("both empty: no password") << ""
                                             << "" << true;
    QTest::newRow("one character off") << "Pw-2024"
                                       << "Pw-2023" << false;
    QTest::newRow("letter case differs") << "Pw-2024"
                                         << "pw-2024" << false;
    QTest::newRow("trailing blank") << "Pw-2024"
                                    << "Pw-2024 " << false;
    QTest::newRow("confirmation left empty") << "Pw-2024"
                                             << "" << false;
    QTest::newRow("beyond the BMP") << "🔑密码"
                                    << "🔑密码" << true;
}

void TestSettingsUsers::newPasswordTypedTwice()
{
    QFETCH(QString, typed);
    QFETCH(QString, confirmed);
    QFETCH(bool, accepted);
    TestDatabase db;
    db.exec(QStringLiteral("UPDATE username SET 密码 = '%1'").arg(store::hashPassword("Old-1")));
    SettingsForms forms;
    QVERIFY(forms.selectUser("admin"));
    const QStringList before = storedUser(db, "admin");
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    control<QPushButton>(*forms.xt, "SpeedButton2")->click();
    TYhxgForm& dialog = *forms.yhxg;
    control<QLineEdit>(dialog, "Edit2")->setText("Old-1");
    control<QLineEdit>(dialog, "Edit3")->setText(typed);
    control<QLineEdit>(dialog, "Edit5")->setText(confirmed);
    control<QPushButton>(dialog, "SpeedButton1")->click();
    if (!accepted) {
        QCOMPARE(messages.texts(), QStringList({"两次输入的新密码不一致！"}));
        QCOMPARE(testsupport::messageStyles(messages), QList<MessageStyle>({MessageStyle::Error}));
        QCOMPARE(storedUser(db, "admin"), before);
        QVERIFY(dialog.isVisible());
        // Both new boxes are typed again; the old password stays.
        QVERIFY(control<QLineEdit>(dialog, "Edit3")->text().isEmpty());
        QVERIFY(control<QLineEdit>(dialog, "Edit5")->text().isEmpty());
        QCOMPARE(control<QLineEdit>(dialog, "Edit2")->text(), QStringLiteral("Old-1"));
        dialog.close();
        return;
    }
    QCOMPARE(messages.texts(), QStringList({Modified}));
    checkPasswordKept(storedUser(db, "admin").value(0).section('|', 1, 1), typed);
}

void TestSettingsUsers::rightsExplanation()
{
    TestDatabase db;
    SettingsForms forms;
    ui::ModalRecorder modal;
    control<QToolButton>(*forms.xt, "SpeedButton8")->click();
    QCOMPARE(modal.shown(), QStringList({"TQxsmForm"}));
    TQxsmForm& dialog = *forms.qxsm;
    for (int i = 1; i < 5; ++i) // top to bottom, none cut off
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("Label%1").arg(i + 1))->y() >
                dialog.findChild<QLabel*>(QStringLiteral("Label%1").arg(i))->y());
    for (QLabel* label : dialog.findChildren<QLabel*>())
        QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
    dialog.findChild<QPushButton*>(QStringLiteral("SpeedButton1"))->click();
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(TestSettingsUsers)
#include "test_settings_users.moc"
