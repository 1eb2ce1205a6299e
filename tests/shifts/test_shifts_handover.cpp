// The shift handover: the cash the drawer should hold, worked out from the history of the
// cashier's shift, and the dialog a cashier types the counted cash into and prints.

#include "printing/EscPos.h"
#include "shell/Forms.h"
#include "shell/MainUnit.h"
#include "shifts/JbUnit.h"
#include "shifts/Shift.h"
#include "store/Connection.h"
#include "support/Controls.h"
#include "support/EscPosDecoder.h"
#include "support/PrintCapture.h"
#include "support/PrintingSale.h"
#include "support/RecordsHistory.h"
#include "support/ShellFixture.h"
#include "support/TestDatabase.h"

#include <QLabel>
#include <QtTest>

using testsupport::control;
using testsupport::ShellFixture;
using testsupport::TestDatabase;

namespace {

const QDateTime LoggedIn = QDateTime::fromString("2026-12-09 08:00:00", Qt::ISODate);
const QDateTime Now = QDateTime::fromString("2026-12-09 16:00:00", Qt::ISODate);

// The text printed in the amount column on the line of label, "" when the label is not there.
QString amountBeside(const QList<report::DrawnText>& drawn, const QString& label)
{
    for (const report::DrawnText& text : drawn) {
        if (text.text != label)
            continue;
        for (const report::DrawnText& amount : drawn)
            if (amount.element.startsWith("SlipAmount") && qAbs(amount.position.y() - text.position.y()) < 1)
                return amount.text;
    }
    return {};
}

} // namespace

class TestShiftsHandover : public QObject
{
    Q_OBJECT

private slots:
    void drawerCash_data();
    void drawerCash();
    void cashierHandsOverThroughTheDialog();
};

void TestShiftsHandover::drawerCash_data()
{
    QTest::addColumn<QString>("history"); // SQL run on the file first
    QTest::addColumn<qint64>("floatFen");
    QTest::addColumn<qint64>("countedFen");
    QTest::addColumn<int>("sales");
    QTest::addColumn<qint64>("expectedFen");
    QTest::addColumn<qint64>("differenceFen");
    const QString cashSale = "INSERT INTO xstj (单号, 时间, 折后, 收银员) VALUES ('S1', '2026-12-09 09:00:00', 38.38, '张三');"
                             "INSERT INTO xsfk VALUES ('S1', '现金', 3838, 5000, 1162);";
    // clang-format off
    QTest::newRow("the float alone") << "" << 10000LL << 10000LL << 0 << 10000LL << 0LL;
    QTest::newRow("cash taken less change, 0.38 short") << cashSale << 10000LL << 13800LL << 1 << 13838LL << -38LL;
    QTest::newRow("a sale before payments were kept is cash")
        << "INSERT INTO xstj (单号, 时间, 折后, 收银员) VALUES ('S2', '2026-12-09 09:00:00', 12.5, '张三');"
        << 0LL << 1300LL << 1 << 1250LL << 50LL;
    QTest::newRow("WeChat and the split's WeChat part stay out of the drawer")
        << "INSERT INTO xstj (单号, 时间, 折后, 收银员) VALUES ('S3', '2026-12-09 09:00:00', 20, '张三'),"
           "('S4', '2026-12-09 10:00:00', 38.38, '张三');"
           "INSERT INTO xsfk VALUES ('S3', '微信', 2000, NULL, NULL), ('S4', '现金', 2000, 5000, 3000),"
           "('S4', '微信', 1838, NULL, NULL);"
        << 5000LL << 7100LL << 2 << 7000LL << 100LL;
    QTest::newRow("a cash refund leaves the drawer, a WeChat refund does not")
        << cashSale + "INSERT INTO xstj (单号, 时间, 折后, 收银员, 原单号) VALUES ('TH1', '2026-12-09 11:00:00', -11.25, '张三', 'S1'),"
                      "('TH2', '2026-12-09 12:00:00', -5, '张三', 'S1');"
                      "INSERT INTO xsfk VALUES ('TH1', '现金', -1125, NULL, NULL), ('TH2', '微信', -500, NULL, NULL);"
        << 10000LL << 12713LL << 1 << 12713LL << 0LL;
    QTest::newRow("others' sales, earlier shifts and the second of the handover are not this shift's")
        << "INSERT INTO xstj (单号, 时间, 折后, 收银员) VALUES ('S5', '2026-12-09 09:00:00', 10, '李四'),"
           "('S6', '2026-12-09 07:59:59', 10, '张三'), ('S7', '2026-12-09 16:00:00', 10, '张三'),"
           "('S8', '2026-12-09 08:00:00', 10, '张三');"
        << 0LL << 0LL << 1 << 1000LL << -1000LL;
    QTest::newRow("the float kept for the open shift, from its start")
        << "INSERT INTO jb (收银员, 开始, 结束, 备用金) VALUES ('张三', '2026-12-08 20:00:00', '2026-12-09 06:00:00', 100),"
           "('张三', '2026-12-09 07:00:00', NULL, 20000);"
           "INSERT INTO xstj (单号, 时间, 折后, 收银员) VALUES ('S9', '2026-12-09 07:30:00', 10, '张三');"
        << 20000LL << 21000LL << 1 << 21000LL << 0LL;
    QTest::newRow("a sale typed in after the last handover with an earlier time is this shift's")
        << "INSERT INTO xstj (单号, 时间, 折后, 收银员) VALUES ('S10', '2026-12-09 06:30:00', 10, '张三');"
           "INSERT INTO jb (收银员, 开始, 结束, 末行) VALUES ('张三', '2026-12-09 06:00:00', '2026-12-09 07:00:00', 1);"
           "INSERT INTO xstj (单号, 时间, 折后, 收银员) VALUES ('S11', '2026-12-09 06:45:00', 20, '张三');"
        << 0LL << 2000LL << 1 << 2000LL << 0LL;
    // clang-format on
}

void TestShiftsHandover::drawerCash()
{
    QFETCH(QString, history);
    QFETCH(qint64, floatFen);
    QFETCH(qint64, countedFen);
    QFETCH(int, sales);
    QFETCH(qint64, expectedFen);
    QFETCH(qint64, differenceFen);
    TestDatabase db;
    if (!history.isEmpty())
        db.exec(history);
    store::Connection connection(QStringLiteral("test"));

    shifts::Shift shift = shifts::readShift(connection, QStringLiteral("张三"), LoggedIn, Now);
    shift.floatFen = floatFen;
    QCOMPARE(shift.figures.sales, sales);
    QCOMPARE(shift.expected(), expectedFen);
    QCOMPARE(shifts::cashDifference(countedFen, shift.expected()), differenceFen);

    const shifts::HandedOver handed = shifts::handOver(connection, QStringLiteral("张三"), LoggedIn, floatFen,
                                                       countedFen, Now, nullptr);
    QCOMPARE(handed.difference(), differenceFen);
    QCOMPARE(db.rows("SELECT 结束, 笔数, 备用金, 应有现金, 实点现金, 差额 FROM jb WHERE 收银员 = '张三' ORDER BY ID").last(),
             QString("2026-12-09 16:00:00|%1|%2|%3|%4|%5")
                 .arg(sales).arg(floatFen).arg(expectedFen).arg(countedFen).arg(differenceFen));
    QCOMPARE(db.scalar("SELECT count(*) FROM jb WHERE 结束 IS NULL"), QString("0"));
    // The next shift begins at the handover and holds nothing yet.
    const shifts::Shift next = shifts::readShift(connection, QStringLiteral("张三"), LoggedIn, Now.addSecs(60));
    QCOMPARE(next.start, QString("2026-12-09 16:00:00"));
    QCOMPARE(next.figures.sales, history.contains("S7") ? 1 : 0);
}

// A cashier sells once in cash and once by 微信, presses F10, types the float and the counted
// cash into the active dialog and prints: the shift is recorded and the slip reads its totals.
void TestShiftsHandover::cashierHandsOverThroughTheDialog()
{
    ShellFixture shell([](TestDatabase& db) { db.exec("INSERT INTO username VALUES ('张三', '', '普通用户')"); });
    QVERIFY(shell.logIn(QStringLiteral("张三")));
    printing::PrintCapture printer;
    const printing::EscPosSettings escPos{printing::EscPosMode::Raster, 384, true, printing::CashDrawer::None};
    printer.keepDots(escPos);
    TMainForm& main = shell.main();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    // A sale takes its time from the window's clock, which may still show the second before the login.
    QTest::qWait(1100);
    const auto sell = [&](const QString& due, Qt::Key method, const QString& received) {
        control<QComboBox>(main, "ComboBox1")->setEditText(QStringLiteral("苹果"));
        control<QLineEdit>(main, "Edit3")->setText(due);
        control<QLineEdit>(main, "Edit4")->setText(QStringLiteral("1"));
        control<QComboBox>(main, "ComboBox2")->setEditText(QStringLiteral("10"));
        main.Edit3KeyUp();
        main.SpeedButton2Click();
        QTest::keyClick(&main, method);
        if (!received.isEmpty())
            control<QComboBox>(main, "ComboBox4")->setEditText(received);
        control<QComboBox>(main, "ComboBox4")->setFocus();
        QTest::keyClick(&main, Qt::Key_F5);
    };
    sell(QStringLiteral("38.38"), Qt::Key_F6, QStringLiteral("50"));
    QLineEdit* receiptNumber = control<QLineEdit>(main, "Edit1");
    receiptNumber->setText(receiptNumber->text() + "1"); // two sales may fall in one second
    sell(QStringLiteral("20.00"), Qt::Key_F7, {});
    QCOMPARE(shell.db.rows("SELECT 方式, 金额 FROM xsfk ORDER BY rowid"), (QStringList{"现金|3838", "微信|2000"}));
    printer.clear();

    // What is recorded in the handover's own second belongs to the next shift.
    QTest::qWait(1100);
    shell.modals->clear();
    QTest::keyClick(&main, Qt::Key_F10);
    QCOMPARE(shell.modals->shown(), QStringList{"TJbForm"});
    TJbForm& dialog = *shell.forms->JbForm;
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(control<QLineEdit>(dialog, "Edit1")->text(), QStringLiteral("张三"));
    // The methods in the order of their keys, F6 first.
    const QString report = control<QPlainTextEdit>(dialog, "Memo1")->toPlainText();
    QVERIFY2(report.contains(QStringLiteral("现金 1笔 38.38\n微信 1笔 20.00")), qPrintable(report));
    testsupport::retype(control<QLineEdit>(dialog, "Edit4"), "100");
    QCOMPARE(control<QLineEdit>(dialog, "Edit5")->text(), QStringLiteral("138.38"));
    QCOMPARE(control<QLineEdit>(dialog, "Edit7")->text(), QStringLiteral("—"));
    // Text that is no amount is told, and nothing is recorded or printed.
    control<QLineEdit>(dialog, "Edit6")->setText(QStringLiteral("12元"));
    shell.messages.clear();
    QTest::mouseClick(control<QToolButton>(dialog, "SpeedButton1"), Qt::LeftButton);
    QCOMPARE(shell.messages.texts(), QStringList{"实点现金“12元”不是有效的金额。"});
    QCOMPARE(shell.db.scalar("SELECT count(*) FROM jb"), QString("0"));
    QVERIFY(printer.jobs().isEmpty());
    testsupport::retype(control<QLineEdit>(dialog, "Edit6"), "137.5");
    QCOMPARE(control<QLineEdit>(dialog, "Edit7")->text(), QStringLiteral("-0.88"));
    shell.messages.clear();
    QTest::mouseClick(control<QToolButton>(dialog, "SpeedButton1"), Qt::LeftButton);

    QCOMPARE(shell.messages.texts(), QStringList{"交班完成：应有现金 138.38 元，实点现金 137.50 元，差额 -0.88 元。"});
    QCOMPARE(shell.db.rows("SELECT 收银员, 笔数, 收款, 退款, 备用金, 应有现金, 实点现金, 差额 FROM jb"),
             QStringList{"张三|2|5838|0|10000|13838|13750|-88"});
    QCOMPARE(printer.jobs().size(), 1);
    const printing::CapturedJob slip = printer.jobs().first();
    QVERIFY(slip.documentName.startsWith(QStringLiteral("交班单 张三 ")));
    for (const auto& [label, amount] : {std::pair{"现金", "38.38"}, {"微信", "20.00"}, {"销售合计：", "58.38"},
                                        {"备用金：", "100.00"}, {"现金收款：", "50.00"}, {"找零：", "11.62"},
                                        {"应有现金：", "138.38"}, {"实点现金：", "137.50"}, {"差额：", "-0.88"}})
        QCOMPARE(amountBeside(slip.drawn, QString::fromUtf8(label)), QString::fromUtf8(amount));
    // What the printer is sent decodes to that very picture, with ink on the difference's line.
    const testsupport::EscPosDecoding decoded = testsupport::decodeEscPos(printing::escPosJob(slip.dots, escPos, 1));
    QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
    QCOMPARE(decoded.cuts, 1);
    QCOMPARE(testsupport::dotDifference(decoded.papers.first(), slip.dots), QString());
    double top = -1;
    for (const report::DrawnText& text : slip.drawn)
        if (text.text == QStringLiteral("差额："))
            top = text.position.y();
    const double dotsPerUnit = slip.dots.height() / slip.pageLength;
    int inked = 0;
    for (int y = int(top * dotsPerUnit); y < int((top + 12) * dotsPerUnit); ++y)
        for (int x = 0; x < slip.dots.width(); ++x)
            if (testsupport::blackDot(decoded.papers.first(), x, y)) {
                ++inked;
                break;
            }
    QVERIFY2(inked >= 5, qPrintable(QString::number(inked)));

    // The next shift starts with nothing in it.
    shell.modals->clear();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_F10);
    QCOMPARE(shell.modals->shown(), QStringList{"TJbForm"});
    QCOMPARE(control<QLineEdit>(dialog, "Edit2")->text(), shell.db.scalar("SELECT 结束 FROM jb"));
    QVERIFY(control<QPlainTextEdit>(dialog, "Memo1")->toPlainText().startsWith(QStringLiteral("销售笔数： 0")));
    QCOMPARE(control<QLineEdit>(dialog, "Edit5")->text(), QStringLiteral("0.00"));
    // A float typed at the start of the shift is kept for its handover.
    testsupport::retype(control<QLineEdit>(dialog, "Edit4"), "300");
    QTest::mouseClick(control<QToolButton>(dialog, "SpeedButton2"), Qt::LeftButton);
    QCOMPARE(shell.db.rows("SELECT 收银员, 备用金 FROM jb WHERE 结束 IS NULL"), QStringList{"张三|30000"});
    shell.modals->clear();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_F10);
    QCOMPARE(control<QLineEdit>(dialog, "Edit4")->text(), QStringLiteral("300.00"));
    QCOMPARE(control<QLineEdit>(dialog, "Edit5")->text(), QStringLiteral("300.00"));
}

QTEST_MAIN(TestShiftsHandover)
#include "test_shifts_handover.moc"
