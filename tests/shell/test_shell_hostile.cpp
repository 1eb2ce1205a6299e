// Hostile texts pasted into every box of the login, main, query and statistics windows, with
// each action that uses the box: the text is stored exactly as pasted, or refused with a
// message and nothing stored changes. Searches match such texts literally.
#include "records/XscxUnit.h"
#include "records/XsmxUnit.h"
#include "records/XstjUnit.h"
#include "shell/Forms.h"
#include "shell/LoginUnit.h"
#include "shell/MainUnit.h"
#include "store/Dataset.h"
#include "support/Controls.h"
#include "support/DesktopRecorders.h"
#include "support/HostileTexts.h"
#include "support/PrintCapture.h"
#include "support/RecordsHistory.h"
#include "support/RecordsWindows.h"
#include "support/RecordsWorkbook.h"
#include "support/ShellFixture.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

using namespace testsupport;

namespace {

const QString PlainNumber = QStringLiteral("20261209100000");
const QString PlainTime = QStringLiteral("2026-12-09 10:00:00");
const QString WrongPassword = QStringLiteral("登录软件密码错误！");

// A box of a window, what it is called in a failure, and where its text is stored.
struct Box
{
    QString name;
    QWidget* widget;
    QStringList tables;
    QString column;
    int width; // of the column in characters; 0 for a number column
};

// Refused with words a cashier can read: no empty box, nor one quoting a whole pasted page.
bool refused(const ui::MessageRecorder& messages)
{
    const QStringList texts = messages.texts();
    return !texts.isEmpty() && std::all_of(texts.begin(), texts.end(),
                                           [](const QString& text) { return !text.isEmpty() && text.size() < 400; });
}

QString shown(const ui::MessageRecorder& messages)
{
    return messages.texts().join(QStringLiteral(" / ")).left(300);
}

void enterPlainLine(TMainForm& main)
{
    control<QLineEdit>(main, "Edit1")->setText(PlainNumber);
    control<QLineEdit>(main, "Edit2")->setText(PlainTime);
    control<QComboBox>(main, "ComboBox1")->setEditText(QStringLiteral("梨"));
    control<QLineEdit>(main, "Edit3")->setText(QStringLiteral("3"));
    control<QLineEdit>(main, "Edit4")->setText(QStringLiteral("1"));
    control<QComboBox>(main, "ComboBox2")->setEditText(QStringLiteral("10"));
    main.Edit3KeyUp();
}

void clickRow(TMainForm& main, int row)
{
    QTableView* view = control<ui::DataGrid>(main, "DBGridEh1")->view();
    const QRect cell = view->visualRect(view->model()->index(row, 1));
    QVERIFY2(cell.isValid(), "no such row on screen");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}

QStringList sorted(QStringList values)
{
    values.sort();
    return values;
}

QStringList listed(store::Dataset& list, const QString& column)
{
    QStringList values;
    for (list.first(); !list.eof(); list.next())
        values << list.field(column);
    return sorted(values);
}

bool selectRow(store::Dataset& list, const QString& column, const QString& value)
{
    for (int record = 1; record <= list.recordCount(); ++record) {
        list.moveTo(record);
        if (list.field(column) == value)
            return true;
    }
    return false;
}

QStringList containing(const QStringList& values, const QString& text)
{
    return sorted(values.filter(text, Qt::CaseSensitive));
}

// Plain sales a wildcard or escape reading of the search would also find, and one sale whose
// number and cashier are each hostile text that fits.
void addHostileHistory(const TestDatabase& db)
{
    QList<HistorySale> sales = {{PlainNumber, PlainTime, "1", "1", "1", "admin"},
                                {"20261209100500", PlainTime, "1", "1", "1", "axb"},
                                {"20261209101000", PlainTime, "1", "1", "1", "C:收银"}};
    for (const HostileText& hostile : hostileTexts()) {
        if (fitsWidth(hostile.text, 50))
            sales.append({hostile.text, PlainTime, "1", "1", "1", hostile.text});
    }
    addHistory(db, sales);
}

} // namespace

class TestShellHostile : public QObject
{
    Q_OBJECT

private slots:
    void login_data() { addHostileTextRows(); }
    void login();
    void entryBoxes_data() { addHostileTextRows(); }
    void entryBoxes();
    void printBoxes_data() { addHostileTextRows(); }
    void printBoxes();
    void querySearchesLiterally_data() { addHostileTextRows(); }
    void querySearchesLiterally();
    void statisticsWindow_data() { addHostileTextRows(); }
    void statisticsWindow();
};

void TestShellHostile::login()
{
    QFETCH(QString, text);
    const bool storable = fitsWidth(text, 50);
    const QString addAccount =
        QStringLiteral("INSERT INTO username (用户名, 密码, 权限) VALUES (%1, '', '普通用户');").arg(sqlText(text));
    ShellFixture shell([&](TestDatabase& db) {
        if (storable)
            db.exec(addAccount);
    });
    shell.forms->showMainWindow();
    TLoginForm login(shell.forms->loginFirstSteps());
    login.show();
    TMainForm& main = shell.main();

    // admin's password is empty: nothing pasted in its place logs in.
    loginControls(login).ComboBox1->setCurrentIndex(loginControls(login).ComboBox1->findText(QStringLiteral("admin")));
    pasteInto(loginControls(login).Edit1, text);
    loginControls(login).SpeedButton1->click();
    QCOMPARE(shell.messages.texts(), QStringList{WrongPassword});
    QVERIFY(login.result() != QDialog::Accepted);
    QVERIFY(loginControls(login).Edit1->text().isEmpty());
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->currentText(), QString());
    if (!storable)
        return;

    // The list offers the stored name as it is; once its account is gone that name logs in as
    // nobody, in particular not as admin for a '%' or '_'.
    const int index = loginControls(login).ComboBox1->findText(text);
    QVERIFY(index >= 0);
    loginControls(login).ComboBox1->setCurrentIndex(index);
    shell.db.exec(QStringLiteral("DELETE FROM username WHERE 用户名 = %1;").arg(sqlText(text)));
    shell.messages.clear();
    loginControls(login).SpeedButton1->click();
    QCOMPARE(shell.messages.texts(), QStringList{WrongPassword});
    QVERIFY(login.result() != QDialog::Accepted);
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->currentText(), QString());

    shell.db.exec(addAccount);
    shell.messages.clear();
    loginControls(login).SpeedButton1->click();
    QCOMPARE(shell.messages.texts(), QStringList());
    QCOMPARE(login.result(), int(QDialog::Accepted));
    QCOMPARE(login.outcome().name, text);
    shell.forms->applyLogin(login.outcome());
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->currentText(), text);
}

void TestShellHostile::entryBoxes()
{
    QFETCH(QString, text);
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    control<QCheckBox>(main, "CheckBox1")->setChecked(true); // the clock stops, so the time box keeps what it is given
    enterPlainLine(main);
    control<QToolButton>(main, "SpeedButton2")->click();
    QCOMPARE(storedTexts(shell.db, "xsxx", "品名"), QStringList{"梨"});

    const QList<Box> boxes = {
        {"goods name", control<QComboBox>(main, "ComboBox1"), {"xsxx", "spxx"}, "品名", 255},
        {"receipt number", control<QLineEdit>(main, "Edit1"), {"xsxx"}, "单号", 50},
        {"time", control<QLineEdit>(main, "Edit2"), {"xsxx"}, "时间", 50},
        {"price", control<QLineEdit>(main, "Edit3"), {"xsxx", "spxx"}, "单价", 0},
        {"quantity", control<QLineEdit>(main, "Edit4"), {"xsxx"}, "数量", 0},
    };
    for (QAbstractButton* action :
         {control<QToolButton>(main, "SpeedButton2"), control<QToolButton>(main, "SpeedButton3")}) {
        const bool adding = action == control<QToolButton>(main, "SpeedButton2");
        for (const Box& box : boxes) {
            const QString where = box.name + (adding ? " / add: " : " / modify: ");
            if (!adding)
                clickRow(main, 0);
            enterPlainLine(main);
            pasteInto(box.widget, text);
            const QStringList before = tableRows(shell.db, {"xsxx", "spxx"});
            shell.messages.clear();
            QVERIFY2(action->isEnabled(), qPrintable(where));
            action->click();
            if (box.width == 0 || !fitsWidth(text, box.width)) {
                QVERIFY2(refused(shell.messages), qPrintable(where));
                QCOMPARE(tableRows(shell.db, {"xsxx", "spxx"}), before);
                continue;
            }
            QVERIFY2(shell.messages.texts().isEmpty(), qPrintable(where + shown(shell.messages)));
            for (const QString& table : box.tables) {
                const QStringList stored = storedTexts(shell.db, table, box.column);
                QVERIFY2(table == "spxx" ? stored.contains(text) : (adding ? stored.last() : stored.first()) == text,
                         qPrintable(where + table));
            }
        }
    }

    // The amounts are worked out as each key comes up; a paste ends with one too.
    for (QWidget* box : {static_cast<QWidget*>(control<QLineEdit>(main, "Edit3")),
                         static_cast<QWidget*>(control<QLineEdit>(main, "Edit4")),
                         static_cast<QWidget*>(control<QComboBox>(main, "ComboBox2"))}) {
        enterPlainLine(main);
        QCOMPARE(control<QLineEdit>(main, "Edit11")->text(), QStringLiteral("3"));
        shell.messages.clear();
        pasteInto(box, text);
        QTest::keyRelease(box, Qt::Key_Control);
        QVERIFY2(refused(shell.messages), qPrintable(box->objectName()));
        QCOMPARE(control<QLineEdit>(main, "Edit11")->text(), QStringLiteral("3"));
        QCOMPARE(control<QLineEdit>(main, "Edit12")->text(), QStringLiteral("3"));
    }

    // The change is worked out on every edit of the amount received.
    enterPlainLine(main);
    control<QToolButton>(main, "SpeedButton2")->click();
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), QStringLiteral("0.00"));
    shell.messages.clear();
    // The keyboard and the clipboard cannot put these in (the box takes amounts only); put there
    // anyway, they owe no change, and the print run refuses them.
    pasteInto(control<QComboBox>(main, "ComboBox4"), text);
    QVERIFY(control<QLineEdit>(main, "Edit6")->text().isEmpty());
    QVERIFY2(shell.messages.texts().isEmpty(), qPrintable(shown(shell.messages)));
}

void TestShellHostile::printBoxes()
{
    QFETCH(QString, text);
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    control<QCheckBox>(main, "CheckBox1")->setChecked(true);
    printing::PrintCapture capture;
    const QList<Box> boxes = {
        {"customer", control<QLineEdit>(main, "Edit9"), {"xsmx"}, "客户", 255},
        {"phone", control<QLineEdit>(main, "Edit10"), {"xsmx"}, "电话", 255},
        {"cashier", control<QComboBox>(main, "ComboBox6"), {"xstj"}, "收银员", 50},
        {"receipt number", control<QLineEdit>(main, "Edit1"), {"xstj", "xsmx"}, "单号", 50},
        {"time", control<QLineEdit>(main, "Edit2"), {"xstj", "xsmx"}, "时间", 50},
    };
    for (const Box& box : boxes) {
        if (shell.db.scalar("SELECT count(*) FROM xsxx") == "0") {
            enterPlainLine(main);
            control<QToolButton>(main, "SpeedButton2")->click();
        }
        control<QLineEdit>(main, "Edit1")->setText(PlainNumber);
        control<QLineEdit>(main, "Edit2")->setText(PlainTime);
        control<QLineEdit>(main, "Edit9")->setText(QStringLiteral("张三"));
        control<QLineEdit>(main, "Edit10")->setText(QStringLiteral("13800000000"));
        control<QComboBox>(main, "ComboBox6")->setEditText(QStringLiteral("admin"));
        pasteInto(box.widget, text);
        const QStringList before = tableRows(shell.db, {"xstj", "xsmx", "xsxx"});
        shell.messages.clear();
        capture.clear();
        control<QToolButton>(main, "SpeedButton6")->click();
        if (!fitsWidth(text, box.width)) {
            QVERIFY2(refused(shell.messages), qPrintable(box.name));
            QVERIFY(capture.jobs().isEmpty());
            QCOMPARE(tableRows(shell.db, {"xstj", "xsmx", "xsxx"}), before);
            continue;
        }
        QVERIFY2(shell.messages.texts().isEmpty(), qPrintable(box.name + ": " + shown(shell.messages)));
        QCOMPARE(capture.jobs().size(), 1);
        for (const QString& table : box.tables)
            QVERIFY2(storedTexts(shell.db, table, box.column).last() == text, qPrintable(box.name + " in " + table));
        QCOMPARE(shell.db.scalar("SELECT count(*) FROM xsxx"), QStringLiteral("0"));
    }

    // Layout and copies are stored as they are edited.
    const QList<std::pair<Box, QString>> settingBoxes = {
        {{"layout", control<QComboBox>(main, "ComboBox5"), {"id"}, "pos", 50}, "58"},
        {{"copies", control<QComboBox>(main, "ComboBox3"), {"id"}, "print", 50}, "1"},
    };
    for (const auto& [box, plain] : settingBoxes) {
        const QStringList before = tableRows(shell.db, {"id"});
        shell.messages.clear();
        pasteInto(box.widget, text);
        if (fitsWidth(text, box.width)) {
            QVERIFY2(shell.messages.texts().isEmpty(), qPrintable(box.name + ": " + shown(shell.messages)));
            QCOMPARE(storedTexts(shell.db, "id", box.column), QStringList{text});
        } else {
            QVERIFY2(refused(shell.messages), qPrintable(box.name));
            QCOMPARE(tableRows(shell.db, {"id"}), before);
        }

        // A layout or copies it does not know prints no receipt, and the sale is still recorded.
        enterPlainLine(main);
        control<QToolButton>(main, "SpeedButton2")->click();
        const QString sales = shell.db.scalar("SELECT count(*) FROM xstj");
        shell.messages.clear();
        capture.clear();
        control<QToolButton>(main, "SpeedButton6")->click();
        QVERIFY2(shell.messages.texts().isEmpty(), qPrintable(box.name + ": " + shown(shell.messages)));
        QVERIFY(capture.jobs().isEmpty());
        QCOMPARE(shell.db.scalar("SELECT count(*) FROM xstj"), QString::number(sales.toInt() + 1));
        QCOMPARE(shell.db.scalar("SELECT count(*) FROM xsxx"), QStringLiteral("0"));
        pasteInto(box.widget, plain);
    }
}

void TestShellHostile::querySearchesLiterally()
{
    QFETCH(QString, text);
    TestDatabase db;
    addHostileHistory(db);
    ui::ModalRecorder modals;
    ui::MessageRecorder messages;
    RecordsWindows windows;
    TXstjForm& statistics = *windows.statistics;
    TXscxForm& query = *windows.query;
    statistics.OpenFromMain();
    for (const auto& [box, column] : {std::pair{control<QComboBox>(query, "ComboBox1"), QStringLiteral("单号")},
                                      std::pair{control<QComboBox>(query, "ComboBox2"), QStringLiteral("收银员")}}) {
        control<QToolButton>(statistics, "SpeedButton1")->click();
        pasteInto(box, text);
        messages.clear();
        control<QToolButton>(query, "SpeedButton1")->click();
        QVERIFY2(messages.texts().isEmpty(), qPrintable(column + ": " + shown(messages)));
        QCOMPARE(listed(statistics.ADOQuery1, column), containing(storedTexts(db, "xstj", column), text));
    }
}

void TestShellHostile::statisticsWindow()
{
    QFETCH(QString, text);
    TestDatabase db;
    const bool storable = fitsWidth(text, 50);
    const QString longer = text + QStringLiteral("9"); // holds the number without being it
    QStringList kept = {PlainNumber};
    QList<HistorySale> sales = {{PlainNumber}};
    QList<HistoryLine> lines = {lineOf(PlainNumber, "乙")};
    if (storable) {
        sales.append({text, PlainTime, "1", "1", "1", text});
        lines.append({text, text, "1", "1", "1", "1", text, text});
    }
    if (fitsWidth(longer, 50)) {
        sales.append({longer});
        lines.append(lineOf(longer, "丙"));
        kept << longer;
    }
    addHistory(db, sales, lines);
    kept.sort();
    ui::ModalRecorder modals;
    ui::MessageRecorder messages;
    RecordsWindows windows;
    TXstjForm& statistics = *windows.statistics;
    statistics.OpenFromMain();

    // Export under a file name made of the text: written with every stored text intact, or
    // refused with a message where the file system takes no such name.
    const QString chosen = db.folder() + QLatin1Char('/') + text;
    ui::SaveNameOverride saveName({chosen});
    control<QToolButton>(statistics, "SpeedButton2")->click();
    if ((text + QStringLiteral(".xls")).toUtf8().size() > 255) {
        QVERIFY2(refused(messages) && !messages.texts().contains("成功导出全部数据!"), qPrintable(shown(messages)));
        QVERIFY(!QFile::exists(chosen + QStringLiteral(".xls")));
    } else {
        QCOMPARE(messages.texts(), QStringList{"成功导出全部数据!"});
        QString error;
        const QList<WorkbookSheet> sheets = readWorkbook(chosen + QStringLiteral(".xls"), &error);
        QVERIFY2(error.isEmpty() && sheets.size() == 1, qPrintable(error));
        QStringList numbers;
        QStringList cashiers;
        for (const WorkbookRow& row : sheets.first().rows.mid(1)) {
            numbers << row.value(0).value.toString();
            cashiers << row.value(5).value.toString();
        }
        QCOMPARE(sorted(numbers), sorted(storedTexts(db, "xstj", "单号")));
        QCOMPARE(sorted(cashiers), sorted(storedTexts(db, "xstj", "收银员")));
    }
    if (!storable)
        return;

    // The sale's detail shows its own line only, exactly as stored.
    QVERIFY(selectRow(statistics.ADOQuery1, "单号", text));
    statistics.DBGridEh1DblClick();
    QCOMPARE(windows.detail->caption(), QStringLiteral("单号：") + text);
    QCOMPARE(listed(windows.detail->ADOQuery1, "品名"), QStringList{text});
    for (int column = 1; column <= 3; ++column)
        QCOMPARE(control<ui::DataGrid>(*windows.detail, "DBGridEh1")->cellText(0, column), text);

    // Deleting it takes its lines and nothing of the sales that only resemble it.
    QVERIFY(selectRow(statistics.ADOQuery1, "单号", text));
    messages.clear();
    control<QToolButton>(statistics, "SpeedButton4")->click();
    QCOMPARE(messages.texts(), QStringList{"确定要删除选中的销售信息？"});
    QCOMPARE(sorted(storedTexts(db, "xstj", "单号")), kept);
    QCOMPARE(sorted(storedTexts(db, "xsmx", "单号")), kept);
    control<QToolButton>(statistics, "SpeedButton3")->click();
    QCOMPARE(listed(statistics.ADOQuery1, "单号"), kept);
}

QTEST_MAIN(TestShellHostile)
#include "test_shell_hostile.moc"
