// Hostile texts pasted into every box of the settings window and its user and goods dialogs,
// with the buttons that use them: stored exactly as pasted, or refused with a message and
// nothing stored changes. Rows whose names are such texts are acted on as themselves.
#include "store/Passwords.h"
#include "support/Controls.h"
#include "support/DesktopRecorders.h"
#include "support/HostileTexts.h"
#include "support/RecordsHistory.h"
#include "support/SettingsForms.h"
#include "support/TestDatabase.h"
#include "ui/DataGrid.h"
#include "ui/Messages.h"

#include <QtTest>

using namespace testsupport;

namespace {

const QString Saved = QStringLiteral("设置打印内容保存成功！");
const QString UserAdded = QStringLiteral("添加用户成功！");
const QString UserModified = QStringLiteral("修改用户信息成功！");
const QString WrongOldPassword = QStringLiteral("旧密码输入错误！");
const QString GoodsAdded = QStringLiteral("添加商品成功！");
const QString GoodsModified = QStringLiteral("修改商品信息成功！");
const QStringList Rights = {QStringLiteral("管理员"), QStringLiteral("普通用户")};

struct Fixture
{
    explicit Fixture(const QString& prepare = {})
    {
        if (!prepare.isEmpty())
            db.exec(QStringLiteral("BEGIN;") + prepare + QStringLiteral("COMMIT;"));
        forms = std::make_unique<SettingsForms>();
    }

    TXtForm& xt() const { return *forms->xt; }

    // Presses the dialog's confirm button and checks the outcome: the one success message and
    // the text in the column's last row, or a refusal with a message and the table untouched.
    void confirm(QAbstractButton* button, const QString& table, const QString& column, const QString& text, bool fits,
                 const QString& success)
    {
        const QStringList before = tableRows(db, {table});
        messages.clear();
        button->click();
        if (fits) {
            QCOMPARE(messages.texts(), QStringList{success});
            const QStringList stored = storedTexts(db, table, column);
            QVERIFY(!stored.isEmpty());
            QCOMPARE(stored.constLast(), text);
            return;
        }
        const QStringList texts = messages.texts();
        QVERIFY2(!texts.isEmpty() && !texts.contains(QString()) && !texts.contains(success),
                 qPrintable(texts.join(" / ").left(300)));
        QCOMPARE(tableRows(db, {table}), before);
    }

    TestDatabase db;
    ui::ModalRecorder modals;
    ui::MessageRecorder messages;
    std::unique_ptr<SettingsForms> forms;
};

QString userInsert(const QString& name)
{
    return QStringLiteral("INSERT INTO username (用户名, 密码, 权限) VALUES (%1, '', '普通用户');").arg(sqlText(name));
}

QString goodsInsert(const QString& name)
{
    return QStringLiteral("INSERT INTO spxx (品名, 单价) VALUES (%1, 5);").arg(sqlText(name));
}

} // namespace

class TestShellHostileSettings : public QObject
{
    Q_OBJECT

private slots:
    void printContent_data() { addHostileTextRows(); }
    void printContent();
    void userDialogs_data() { addHostileTextRows(); }
    void userDialogs();
    void goodsDialogs_data() { addHostileTextRows(); }
    void goodsDialogs();
    void listButtonsActOnTheRowItself_data() { addHostileTextRows(); }
    void listButtonsActOnTheRowItself();
};

void TestShellHostileSettings::printContent()
{
    QFETCH(QString, text);
    Fixture f;
    for (const auto& [box, column] : {std::pair<QWidget*, QString>{control<QLineEdit>(f.xt(), "Edit1"), "店名"},
                                      std::pair<QWidget*, QString>{control<QPlainTextEdit>(f.xt(), "Memo1"), "备注"}}) {
        control<QLineEdit>(f.xt(), "Edit1")->setText(QStringLiteral("Quorvel便利店"));
        control<QPlainTextEdit>(f.xt(), "Memo1")->setPlainText(QStringLiteral("谢谢惠顾，欢迎下次光临！"));
        pasteInto(box, text);
        f.forms->signalLog.clear();
        f.confirm(control<QPushButton>(f.xt(), "SpeedButton7"), "dynr", column, text, fitsWidth(text, 255), Saved);
        // The main window hears of what was stored, and only of that.
        QCOMPARE(f.forms->signalLog.size(), fitsWidth(text, 255) ? 1 : 0);
        if (fitsWidth(text, 255))
            QVERIFY(f.forms->signalLog.first().contains(text));
    }
}

void TestShellHostileSettings::userDialogs()
{
    QFETCH(QString, text);
    Fixture f;
    TYhtjForm& add = *f.forms->yhtj;
    TYhxgForm& modify = *f.forms->yhxg;

    control<QPushButton>(f.xt(), "SpeedButton1")->click();
    pasteInto(control<QLineEdit>(add, "Edit1"), text);
    f.confirm(control<QPushButton>(add, "SpeedButton1"), "username", "用户名", text, fitsWidth(text, 50), UserAdded);

    // Rights are picked from a list: only a right it lists is stored.
    control<QPushButton>(f.xt(), "SpeedButton1")->click();
    control<QLineEdit>(add, "Edit1")->setText(QStringLiteral("收银员2"));
    pasteInto(control<QComboBox>(add, "ComboBox1"), text);
    QVERIFY(Rights.contains(control<QComboBox>(add, "ComboBox1")->currentText()));
    f.confirm(control<QPushButton>(add, "SpeedButton1"), "username", "权限",
              control<QComboBox>(add, "ComboBox1")->currentText(), true, UserAdded);

    // A password of any length is kept as a hash, never as the text.
    control<QPushButton>(f.xt(), "SpeedButton1")->click();
    control<QLineEdit>(add, "Edit1")->setText(QStringLiteral("收银员"));
    pasteInto(control<QLineEdit>(add, "Edit2"), text);
    f.confirm(control<QPushButton>(add, "SpeedButton1"), "username", "用户名", "收银员", true, UserAdded);
    const QString hash = storedTexts(f.db, "username", "密码").constLast();
    QVERIFY2(hash.startsWith("$argon2id$"), qPrintable(hash));

    // admin's password is empty, so nothing pasted as its old password is it.
    QVERIFY(f.forms->selectUser("admin"));
    control<QPushButton>(f.xt(), "SpeedButton2")->click();
    pasteInto(control<QLineEdit>(modify, "Edit2"), text);
    f.confirm(control<QPushButton>(modify, "SpeedButton1"), "username", "密码", text, false, UserModified);
    QCOMPARE(f.messages.texts(), QStringList{WrongOldPassword});

    // The name box only shows the name.
    control<QPushButton>(f.xt(), "SpeedButton2")->click();
    control<QLineEdit>(modify, "Edit1")->setText(text);
    pasteInto(control<QComboBox>(modify, "ComboBox1"), text);
    QVERIFY(Rights.contains(control<QComboBox>(modify, "ComboBox1")->currentText()));
    f.confirm(control<QPushButton>(modify, "SpeedButton1"), "username", "用户名", "收银员", true, UserModified);
    QCOMPARE(storedTexts(f.db, "username", "用户名").constFirst(), QStringLiteral("admin"));

    // The password added above is exactly the text (so it is taken as the old one), and the new
    // one is kept the same way. Hashing is slow, so each text is hashed twice only.
    QVERIFY(f.forms->selectUser("收银员"));
    control<QPushButton>(f.xt(), "SpeedButton2")->click();
    pasteInto(control<QLineEdit>(modify, "Edit2"), text);
    pasteInto(control<QLineEdit>(modify, "Edit3"), text);
    pasteInto(control<QLineEdit>(modify, "Edit5"), text);
    f.messages.clear();
    control<QPushButton>(modify, "SpeedButton1")->click();
    QCOMPARE(f.messages.texts(), QStringList{UserModified});
    const QString rehashed = storedTexts(f.db, "username", "密码").constLast();
    QVERIFY(rehashed != hash);
    QVERIFY(store::verifyPassword(text, rehashed));
}

void TestShellHostileSettings::goodsDialogs()
{
    QFETCH(QString, text);
    Fixture f(goodsInsert("苹果"));
    TSptjForm& add = *f.forms->sptj;
    TSpxgForm& modify = *f.forms->spxg;

    // Only a number is a price, however it got into the box.
    control<QPushButton>(f.xt(), "SpeedButton4")->click();
    control<QLineEdit>(add, "Edit1")->setText(QStringLiteral("梨"));
    pasteInto(control<QLineEdit>(add, "Edit2"), text);
    f.confirm(control<QPushButton>(add, "SpeedButton1"), "spxx", "品名", text, false, GoodsAdded);
    QVERIFY(f.forms->selectGoods("苹果"));
    control<QPushButton>(f.xt(), "SpeedButton5")->click();
    pasteInto(control<QLineEdit>(modify, "Edit2"), text);
    f.confirm(control<QPushButton>(modify, "SpeedButton1"), "spxx", "品名", text, false, GoodsModified);

    control<QPushButton>(f.xt(), "SpeedButton4")->click();
    pasteInto(control<QLineEdit>(add, "Edit1"), text);
    control<QLineEdit>(add, "Edit2")->setText(QStringLiteral("3"));
    f.confirm(control<QPushButton>(add, "SpeedButton1"), "spxx", "品名", text, fitsWidth(text, 255), GoodsAdded);

    // Renaming keeps the row and its price.
    f.db.exec(QStringLiteral("DELETE FROM spxx WHERE rowid > 1;"));
    f.xt().SettingsRequery();
    QVERIFY(f.forms->selectGoods("苹果"));
    control<QPushButton>(f.xt(), "SpeedButton5")->click();
    pasteInto(control<QLineEdit>(modify, "Edit1"), text);
    f.confirm(control<QPushButton>(modify, "SpeedButton1"), "spxx", "品名", text, fitsWidth(text, 255), GoodsModified);
    QCOMPARE(f.db.rows("SELECT rowid, 单价 FROM spxx"), QStringList{"1|5.0"});
}

void TestShellHostileSettings::listButtonsActOnTheRowItself()
{
    QFETCH(QString, text);
    const bool userFits = fitsWidth(text, 50);
    const bool goodsFits = fitsWidth(text, 255);
    Fixture f((userFits ? userInsert(text) : QString()) + goodsInsert("苹果") + (goodsFits ? goodsInsert(text) : ""));

    if (userFits) {
        QVERIFY(f.forms->selectUser(text));
        QCOMPARE(control<ui::DataGrid>(f.xt(), "DBGridEh1")->cellText(1, 1), text);
        control<QPushButton>(f.xt(), "SpeedButton2")->click();
        QCOMPARE(control<QLineEdit>(*f.forms->yhxg, "Edit1")->text(), text);
        f.confirm(control<QPushButton>(*f.forms->yhxg, "SpeedButton1"), "username", "用户名", text, true, UserModified);
        QVERIFY(f.forms->selectUser(text));
        control<QPushButton>(f.xt(), "SpeedButton3")->click();
        QCOMPARE(storedTexts(f.db, "username", "用户名"), QStringList{"admin"});
    }
    if (goodsFits) {
        QVERIFY(f.forms->selectGoods(text));
        QCOMPARE(control<ui::DataGrid>(f.xt(), "DBGridEh2")->cellText(1, 1), text);
        control<QPushButton>(f.xt(), "SpeedButton5")->click();
        QCOMPARE(control<QLineEdit>(*f.forms->spxg, "Edit1")->text(), text);
        QCOMPARE(control<QLineEdit>(*f.forms->spxg, "Edit2")->text(), QStringLiteral("5"));
        f.confirm(control<QPushButton>(*f.forms->spxg, "SpeedButton1"), "spxx", "品名", text, true, GoodsModified);
        QVERIFY(f.forms->selectGoods(text));
        control<QPushButton>(f.xt(), "SpeedButton6")->click();
        QCOMPARE(storedTexts(f.db, "spxx", "品名"), QStringList{"苹果"});
    }
}

QTEST_MAIN(TestShellHostileSettings)
#include "test_shell_hostile_settings.moc"
