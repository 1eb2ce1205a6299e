// The login gate and window: who gets in, what the login leaves in the other windows (cashier,
// status bar, the rights model), and what the window does at its creation (desktop entry,
// discarding unprinted lines, the user list).

#include "records/XstjUnit.h"
#include "settings/XtUnit.h"
#include "settings/YhxgUnit.h"
#include "shell/DesktopEntry.h"
#include "shell/Forms.h"
#include "shell/LoginUnit.h"
#include "shell/MainUnit.h"
#include "store/Passwords.h"
#include "support/Controls.h"
#include "support/DesktopRecorders.h"
#include "support/ShellFixture.h"
#include "ui/BoxLooks.h"
#include "ui/DataGrid.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using testsupport::control;
using testsupport::loginControls;
using testsupport::ShellFixture;
using testsupport::TestDatabase;

namespace {

// Users in the order given, each "name|password|right"; passwords stored as the program stores them.
std::function<void(TestDatabase&)> users(const QStringList& rows)
{
    return [rows](TestDatabase& db) {
        db.exec("DELETE FROM username");
        for (const QString& row : rows) {
            const QStringList parts = row.split(QLatin1Char('|'));
            QString sql = QStringLiteral("INSERT INTO username VALUES ('%1', '%2', '%3')");
            auto literal = [](QString text) { return text.replace(QLatin1Char('\''), QLatin1String("''")); };
            db.exec(sql.arg(literal(parts.at(0)), store::hashPassword(parts.at(1)), literal(parts.at(2))));
        }
    };
}

QString desktopEntryPath(const ShellFixture& shell)
{
    return shell.desktop.filePath(shell::desktopEntryFileName());
}

QString readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

bool isEditableLook(QWidget* box)
{
    const bool readOnly = box->property("readOnly").toBool();
    return !readOnly && box->palette().color(QPalette::Base) == ui::windowColour();
}

bool isReadOnlyLook(QWidget* box)
{
    const bool readOnly = box->property("readOnly").toBool();
    return readOnly && box->palette().color(QPalette::Base) == ui::buttonFaceColour();
}

} // namespace

class TestShellLogin : public QObject
{
    Q_OBJECT

private slots:
    void freshAdminLogsInWithEmptyPassword();
    void passwordIsCheckedExactly_data();
    void passwordIsCheckedExactly();
    void chosenNameIsMatchedExactly();
    void nameWithQuotesLogsIn();
    void nameWithoutAccountIsRefused();
    void rightsModel_data();
    void rightsModel();
    void outcomeAppliesRights_data();
    void outcomeAppliesRights();
    void unprintedLinesAreGone();
    void userListIsDistinctAndFirstIsChosen();
    void loginWindowLooksAsDesigned();
    void closeEndsWithoutMessage();
    void gateRunsTheRealDialog_data();
    void gateRunsTheRealDialog();
    void desktopEntryIsRewrittenAtEveryStart();
    void desktopEntryQuotesOddPaths_data();
    void desktopEntryQuotesOddPaths();
    void unwritableDesktopStopsTheRemainingSteps();
};

void TestShellLogin::freshAdminLogsInWithEmptyPassword()
{
    ShellFixture shell;
    QVERIFY(shell.logIn("admin", ""));
    TMainForm& main = shell.main();
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->currentText(), QStringLiteral("admin"));
    QCOMPARE(main.statusText(0), QStringLiteral("  网站：") + shell::SiteAddress);
    QCOMPARE(main.statusText(1), QStringLiteral("  用户权限：管理员"));
    QCOMPARE(main.statusText(2), QStringLiteral("快捷键：帮助F1键、打印小票F5键"));
    QVERIFY(shell.messages.texts().isEmpty());
}

void TestShellLogin::passwordIsCheckedExactly_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("right password") << "Secret9"
                                    << "Secret9" << true;
    QTest::newRow("letter case differs") << "Secret9"
                                         << "secret9" << false;
    QTest::newRow("empty typed, one set") << "Secret9"
                                          << "" << false;
    QTest::newRow("one typed, empty set") << ""
                                          << "x" << false;
    QTest::newRow("trailing blank counts") << "abc"
                                           << "abc " << false;
}

void TestShellLogin::passwordIsCheckedExactly()
{
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    ShellFixture shell(users({"admin|" + stored + "|管理员"}));
    shell.forms->showMainWindow();
    TLoginForm login(shell.forms->loginFirstSteps());
    login.show();
    QTest::keyClicks(loginControls(login).Edit1, typed);
    QCOMPARE(loginControls(login).Edit1->text(), typed);
    QTest::mouseClick(loginControls(login).SpeedButton1, Qt::LeftButton);

    QCOMPARE(login.result() == QDialog::Accepted, accepted);
    if (accepted) {
        QVERIFY(shell.messages.texts().isEmpty());
        return;
    }
    QCOMPARE(shell.messages.texts(), QStringList{"登录软件密码错误！"});
    QCOMPARE(shell.messages.messages().first().style, ui::MessageStyle::Error);
    QCOMPARE(shell.messages.messages().first().ownerName, QStringLiteral("LoginForm"));
    QCOMPARE(loginControls(login).Edit1->text(), QString());
    QVERIFY(login.isVisible());
    QCOMPARE(control<QComboBox>(shell.main(), "ComboBox6")->currentText(), QString());
    // Attempts are not limited: the right password still gets in.
    QTest::keyClicks(loginControls(login).Edit1, stored);
    QTest::mouseClick(loginControls(login).SpeedButton1, Qt::LeftButton);
    QCOMPARE(login.result(), int(QDialog::Accepted));
}

void TestShellLogin::chosenNameIsMatchedExactly()
{
    // admin2 stored first: choosing admin must still check admin's own password.
    ShellFixture shell(users({"admin2|two|普通用户", "admin|one|管理员"}));
    QVERIFY(!shell.logIn("admin", "two"));
    QCOMPARE(shell.messages.texts(), QStringList{"登录软件密码错误！"});
    shell.messages.clear();
    QVERIFY(shell.logIn("admin", "one"));
    QCOMPARE(shell.main().statusText(1), QStringLiteral("  用户权限：管理员"));
}

void TestShellLogin::nameWithQuotesLogsIn()
{
    const QString name = QStringLiteral("O'Neil \"收银\" %_");
    ShellFixture shell(users({name + "|pw|普通用户"}));
    QVERIFY(shell.logIn(name, "pw"));
    QVERIFY(shell.messages.texts().isEmpty());
    QCOMPARE(control<QComboBox>(shell.main(), "ComboBox6")->currentText(), name);
}

void TestShellLogin::nameWithoutAccountIsRefused()
{
    // With no user at all the list is empty; an empty password must not open the program.
    ShellFixture shell(users({}));
    shell.forms->showMainWindow();
    TLoginForm login(shell.forms->loginFirstSteps());
    QCOMPARE(loginControls(login).ComboBox1->count(), 0);
    QTest::mouseClick(loginControls(login).SpeedButton1, Qt::LeftButton);
    QCOMPARE(login.result(), int(QDialog::Rejected));
    QCOMPARE(shell.messages.texts(), QStringList{"登录软件密码错误！"});
    QVERIFY(!control<QLineEdit>(shell.main(), "Edit5")->property("readOnly").toBool()); // nothing applied
}

void TestShellLogin::rightsModel_data()
{
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("applied");
    QTest::addColumn<bool>("administrator");
    QTest::newRow("administrator") << "管理员" << true << true;
    QTest::newRow("ordinary user") << "普通用户" << true << false;
    QTest::newRow("any other right") << "店长" << false << false;
    QTest::newRow("right differs by a blank") << "管理员 " << false << false;
}

void TestShellLogin::rightsModel()
{
    QFETCH(QString, right);
    QFETCH(bool, applied);
    QFETCH(bool, administrator);
    ShellFixture shell(users({"kim|k|" + right}));
    QVERIFY(shell.logIn("kim", "k"));
    QCOMPARE(shell.main().statusText(1), QStringLiteral("  用户权限：") + right);
    // The run keeps who logged in, for the modify-user dialog to know whose old password it may skip.
    QCOMPARE(shell.forms->loggedInUser().name, QStringLiteral("kim"));
    QCOMPARE(shell.forms->loggedInUser().right, right);
    TMainForm& main = shell.main();
    TXtForm& settings = *shell.forms->XtForm;
    TXstjForm& statistics = *shell.forms->XstjForm;

    if (!applied) {
        // Every control stays as designed.
        QVERIFY(!control<QLineEdit>(main, "Edit1")->isReadOnly());
        QVERIFY(!control<QLineEdit>(main, "Edit5")->isReadOnly());
        QVERIFY(!control<QPlainTextEdit>(main, "Memo1")->isReadOnly());
        QVERIFY(!control<QLineEdit>(settings, "Edit1")->isReadOnly());
        QVERIFY(!control<QPlainTextEdit>(settings, "Memo1")->isReadOnly());
        QVERIFY(control<QPushButton>(settings, "SpeedButton1")->isEnabled() &&
                control<QPushButton>(settings, "SpeedButton3")->isEnabled());
        QVERIFY(control<QToolButton>(statistics, "SpeedButton4")->isEnabled() && statistics.N6->isEnabled());
        return;
    }
    // The shop name and remark are read-only for everyone.
    QVERIFY(isReadOnlyLook(control<QLineEdit>(main, "Edit5")));
    QVERIFY(isReadOnlyLook(control<QPlainTextEdit>(main, "Memo1")));
    const auto expected = [administrator](QWidget* box) {
        return administrator ? isEditableLook(box) : isReadOnlyLook(box);
    };
    QVERIFY(expected(control<QLineEdit>(main, "Edit1")));
    QVERIFY(expected(control<QLineEdit>(settings, "Edit1")));
    QVERIFY(expected(control<QPlainTextEdit>(settings, "Memo1")));
    QCOMPARE(control<QPushButton>(settings, "SpeedButton1")->isEnabled(), administrator);
    QCOMPARE(control<QPushButton>(settings, "SpeedButton3")->isEnabled(), administrator);
    QCOMPARE(control<QToolButton>(statistics, "SpeedButton4")->isEnabled(), administrator);
    QCOMPARE(statistics.N6->isEnabled(), administrator);

    // What read-only means to the cashier: typing into the receipt number does nothing.
    const QString number = control<QLineEdit>(main, "Edit1")->text();
    QTest::keyClicks(control<QLineEdit>(main, "Edit1"), "7");
    QCOMPARE(control<QLineEdit>(main, "Edit1")->text() == number, !administrator);
}

void TestShellLogin::outcomeAppliesRights_data()
{
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("administrator");
    QTest::newRow("administrator") << "管理员" << true;
    QTest::newRow("ordinary user") << "普通用户" << false;
}

// What Forms does with the login's outcome, without a login window: the rights, and the
// modify-user dialog asking the old password of another's account only of an ordinary user.
void TestShellLogin::outcomeAppliesRights()
{
    QFETCH(QString, right);
    QFETCH(bool, administrator);
    ShellFixture shell(users({"admin||管理员", "kim|k|" + right}));
    shell.forms->showMainWindow();
    shell.forms->applyLogin({QStringLiteral("kim"), right});
    TMainForm& main = shell.main();
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->currentText(), QStringLiteral("kim"));
    QCOMPARE(main.statusText(1), QStringLiteral("  用户权限：") + right);
    QCOMPARE(control<QLineEdit>(main, "Edit1")->isReadOnly(), !administrator);
    QVERIFY(control<QLineEdit>(main, "Edit5")->isReadOnly());
    TXtForm& settings = *shell.forms->XtForm;
    QCOMPARE(control<QLineEdit>(settings, "Edit1")->isReadOnly(), !administrator);
    QCOMPARE(control<QPushButton>(settings, "SpeedButton3")->isEnabled(), administrator);
    QCOMPARE(shell.forms->XstjForm->N6->isEnabled(), administrator);

    TYhxgForm& dialog = *shell.forms->YhxgForm;
    for (const QString& account : {QStringLiteral("admin"), QStringLiteral("kim")}) {
        settings.ADOQuery1.first();
        while (!settings.ADOQuery1.eof() && settings.ADOQuery1.field(QStringLiteral("用户名")) != account)
            settings.ADOQuery1.next();
        QVERIFY(!settings.ADOQuery1.eof());
        settings.SpeedButton2Click();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const bool oldNeeded = !administrator || account == QStringLiteral("kim");
        QVERIFY2(control<QLineEdit>(dialog, "Edit2")->isEnabled() == oldNeeded, qPrintable(account));
        dialog.close();
    }
}

void TestShellLogin::unprintedLinesAreGone()
{
    ShellFixture shell([](TestDatabase& db) {
        db.exec("INSERT INTO xsxx (单号, 品名, 单价, 数量, 金额, 折后) VALUES ('1', '苹果', 2, 1, 2, 2)");
        db.exec("INSERT INTO xsxx (单号, 品名, 单价, 数量, 金额, 折后) VALUES ('1', '梨', 3, 1, 3, 3)");
    });
    QCOMPARE(control<ui::DataGrid>(shell.main(), "DBGridEh1")->view()->model()->rowCount(), 2);
    TLoginForm login(shell.forms->loginFirstSteps());
    QCOMPARE(shell.db.scalar("SELECT count(*) FROM xsxx"), QStringLiteral("0"));
    QCOMPARE(control<ui::DataGrid>(shell.main(), "DBGridEh1")->view()->model()->rowCount(), 0);
    QVERIFY(shell.messages.texts().isEmpty());
}

void TestShellLogin::userListIsDistinctAndFirstIsChosen()
{
    ShellFixture shell(users({"lin|a|普通用户", "lin|b|普通用户", "admin||管理员"}));
    TLoginForm login(shell.forms->loginFirstSteps());
    QStringList names;
    for (int i = 0; i < loginControls(login).ComboBox1->count(); ++i)
        names << loginControls(login).ComboBox1->itemText(i);
    names.sort();
    QCOMPARE(names, (QStringList{"admin", "lin"}));
    QCOMPARE(loginControls(login).ComboBox1->currentIndex(), 0);
    QVERIFY(!loginControls(login).ComboBox1->isEditable());
}

void TestShellLogin::loginWindowLooksAsDesigned()
{
    ShellFixture shell;
    shell.forms->showMainWindow();
    TLoginForm login(shell.forms->loginFirstSteps());
    login.show();
    QVERIFY(QTest::qWaitForWindowExposed(&login));
    QCOMPARE(login.clientArea()->size(), QSize(346, 265));
    // No close button: leaving is "关闭", which ends the program.
    QCOMPARE(login.titleBar()->buttons(), ui::TitleButtons(ui::ControlBox));
    QTest::keyClicks(loginControls(login).Edit1, "ab");
    QCOMPARE(loginControls(login).Edit1->displayText(), QStringLiteral("**"));
    QTRY_COMPARE(QApplication::focusWidget(), loginControls(login).Edit1);
}

void TestShellLogin::closeEndsWithoutMessage()
{
    ShellFixture shell;
    shell.forms->showMainWindow();
    TLoginForm login(shell.forms->loginFirstSteps());
    login.show();
    QTest::mouseClick(loginControls(login).SpeedButton2, Qt::LeftButton);
    QCOMPARE(login.result(), int(QDialog::Rejected));
    QVERIFY(!login.isVisible());
    QVERIFY(shell.messages.texts().isEmpty());
    QCOMPARE(control<QComboBox>(shell.main(), "ComboBox6")->currentText(), QString());
}

void TestShellLogin::gateRunsTheRealDialog_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("close");
    QTest::addColumn<bool>("success");
    QTest::newRow("confirmed") << "" << false << true;
    QTest::newRow("closed with 关闭") << "" << true << false;
    QTest::newRow("wrong password, then closed") << "nope" << true << false;
}

void TestShellLogin::gateRunsTheRealDialog()
{
    QFETCH(QString, password);
    QFETCH(bool, close);
    QFETCH(bool, success);
    ShellFixture shell;
    shell.modals.reset(); // the login's own modal loop runs
    shell.forms->showMainWindow();
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* login = qobject_cast<TLoginForm*>(QApplication::activeModalWidget());
        if (!login)
            return;
        driven = true;
        QTest::keyClicks(loginControls(*login).Edit1, password);
        if (!password.isEmpty() || !close)
            QTest::mouseClick(loginControls(*login).SpeedButton1, Qt::LeftButton);
        if (close && login->isVisible())
            QTest::mouseClick(loginControls(*login).SpeedButton2, Qt::LeftButton);
    });
    QCOMPARE(shell.forms->runLoginGate(), success);
    QVERIFY(driven);
    QCOMPARE(shell.messages.texts().size(), password.isEmpty() ? 0 : 1);
}

void TestShellLogin::desktopEntryIsRewrittenAtEveryStart()
{
    ShellFixture shell;
    const QString path = desktopEntryPath(shell);
    QVERIFY(!QFileInfo::exists(path));
    {
        TLoginForm login(shell.forms->loginFirstSteps());
    }
    const QString written = readAll(path);
    const QString program = QCoreApplication::applicationFilePath();
    // The program runs in the data folder, which is where the shortcut starts it.
    const QString folder = QDir::currentPath();
    QVERIFY(folder != QFileInfo(program).absolutePath());
    QVERIFY(written.startsWith("[Desktop Entry]\n"));
    QVERIFY(written.contains("\nType=Application\n"));
    QVERIFY(written.contains("\nName=Quorvel销售小票打印软件\n"));
    QVERIFY(written.contains("\nExec=\"" + program + "\"\n"));
    QVERIFY(written.contains("\nPath=" + folder + "/\n"));
    QVERIFY(written.contains("\nIcon=" + folder + "/quorvel.png\n"));
    QVERIFY(QFileInfo(folder + "/quorvel.png").size() > 0);
    QVERIFY(QFileInfo(path).permissions().testFlag(QFile::ExeOwner));

    {
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly | QIODevice::Truncate));
        stale.write("[Desktop Entry]\nExec=/somewhere/else\n");
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    {
        TLoginForm login(shell.forms->loginFirstSteps());
    }
    QCOMPARE(readAll(path), written);
    QVERIFY(QFileInfo(path).permissions().testFlag(QFile::ExeOwner));
    QVERIFY(shell.messages.texts().isEmpty());
}

void TestShellLogin::desktopEntryQuotesOddPaths_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << "/opt/quorvel/quorvel"
                           << R"(Exec="/opt/quorvel/quorvel")"
                           << "Path=/opt/quorvel/";
    QTest::newRow("blank and Chinese") << "/home/店/my shop/quorvel"
                                       << R"(Exec="/home/店/my shop/quorvel")"
                                       << "Path=/home/店/my shop/";
    QTest::newRow("quote, dollar, backtick") << R"(/a"b/$x`y/quorvel)"
                                             << R"(Exec="/a\\"b/\\$x\\`y/quorvel")"
                                             << R"(Path=/a"b/$x`y/)";
    QTest::newRow("backslash and percent") << R"(/a\b/100%/quorvel)"
                                           << R"(Exec="/a\\\\b/100%%/quorvel")"
                                           << R"(Path=/a\\b/100%/)";
}

void TestShellLogin::desktopEntryQuotesOddPaths()
{
    QFETCH(QString, program);
    QFETCH(QString, exec);
    QFETCH(QString, path);
    const QString folder = QFileInfo(program).path();
    const QStringList lines = shell::desktopEntryText(program, folder, folder + "/quorvel.png").split('\n');
    QVERIFY2(lines.contains(exec), qPrintable(lines.join('\n')));
    QVERIFY2(lines.contains(path), qPrintable(lines.join('\n')));
}

void TestShellLogin::unwritableDesktopStopsTheRemainingSteps()
{
    ShellFixture shell([](TestDatabase& db) {
        db.exec("INSERT INTO xsxx (品名, 单价, 数量, 金额, 折后) VALUES ('苹果', 2, 1, 2, 2)");
    });
    // A file where the desktop folder should be: nothing can be written into it.
    const QString blocked = shell.desktop.filePath("Desktop");
    {
        QFile file(blocked);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    ui::DesktopFolderOverride desktop(blocked);
    TLoginForm login(shell.forms->loginFirstSteps());
    QCOMPARE(shell.messages.messages().size(), 1);
    QVERIFY(shell.messages.messages().first().isErrorReport);
    QVERIFY(shell.messages.texts().first().contains(shell::desktopEntryFileName()));
    // The steps after the shortcut did not run.
    QCOMPARE(shell.db.scalar("SELECT count(*) FROM xsxx"), QStringLiteral("1"));
    QCOMPARE(loginControls(login).ComboBox1->count(), 0);
}

QTEST_MAIN(TestShellLogin)
#include "test_shell_login.moc"
