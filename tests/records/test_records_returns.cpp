#include "core/Error.h"
#include "printing/ReceiptLayouts.h"
#include "printing/ReturnSlip.h"
#include "records/Returns.h"
#include "records/SalesExport.h"
#include "records/ThUnit.h"
#include "records/XstjUnit.h"
#include "report/Elements.h"
#include "report/Report.h"
#include "shell/Forms.h"
#include "store/Connection.h"
#include "store/Passwords.h"
#include "support/Controls.h"
#include "support/EscPosDecoder.h"
#include "support/PrintCapture.h"
#include "support/PrintingSale.h"
#include "support/RecordsHistory.h"
#include "support/RecordsWorkbook.h"
#include "support/ShellFixture.h"
#include "support/TestDatabase.h"

#include <QTableWidget>
#include <QtTest>

using testsupport::control;
using testsupport::TestDatabase;

namespace {

const QString Sale = QStringLiteral("20261208153012");
const QDateTime At(QDate(2026, 12, 9), QTime(10, 0, 0));

// Three lines: 苹果 2 × 12.5 at 九折 (22.5), 牛奶 3 × 6 (18), 糖 3 for 0.10 (fen that do not split
// evenly). Paid by WeChat; 张三 is a cashier, 店长 an administrator.
void recordSale(TestDatabase& db)
{
    testsupport::addHistory(
        db, {{Sale, "2026-12-08 15:30:12", "8", "43.1", "40.6", "张三"}},
        {{Sale, "苹果", "2", "25", "22.5", "12.5", "", ""},
         {Sale, "牛奶", "3", "18", "18", "6", "", ""},
         {Sale, "糖", "3", "0.1", "0.1", "0.0333", "", ""}});
    db.exec(QStringLiteral("INSERT INTO xsfk (单号, 方式, 金额) VALUES ('%1', '微信', 4060)").arg(Sale));
    db.exec(QStringLiteral("INSERT INTO username VALUES ('张三', '%1', '普通用户'), ('店长', '%2', '管理员')")
                .arg(store::hashPassword("1111"), store::hashPassword("8888")));
}

qint64 lineRow(const TestDatabase& db, const QString& goods)
{
    return db.scalar(QStringLiteral("SELECT rowid FROM xsmx WHERE 品名 = '%1' AND 原行 IS NULL").arg(goods)).toLongLong();
}

records::ReturnRequest request(const TestDatabase& db, const QList<std::pair<QString, double>>& taken,
                               const core::LoggedInUser& who = {"admin", "管理员"})
{
    records::ReturnRequest r;
    r.saleNumber = Sale;
    for (const auto& [goods, quantity] : taken)
        r.quantities.insert(lineRow(db, goods), quantity);
    r.returnedBy = who;
    r.method = sales::PayMethod::WeChat; // the sale's own, as the dialog offers it
    r.at = At;
    return r;
}

QString state(const TestDatabase& db, const QString& number)
{
    return db.scalar(QStringLiteral("SELECT %1 FROM xstj WHERE 单号 = '%2'").arg(store::sql::SaleState.expression, number));
}

QString everything(const TestDatabase& db)
{
    return (db.rows("SELECT * FROM xstj") + db.rows("SELECT * FROM xsmx") + db.rows("SELECT * FROM xsfk")).join('\n');
}

QStringList texts(const printing::CapturedJob& job)
{
    return testsupport::textsOf(job.drawn);
}

} // namespace

class TestRecordsReturns : public QObject
{
    Q_OBJECT

private slots:
    void partReturnsAddUpToTheSale();
    void refusedReturnsWriteNothing_data();
    void refusedReturnsWriteNothing();
    void cashierReturnsWithAnAdministrator();
    void returnFromTheStatisticsWindow();
    void slipThatCannotPrintLeavesNoReturn();
};

// Three returns: two lines in part, one more of 糖, then the rest, which takes exactly what is
// left so the sale and its returns net to zero in every total.
void TestRecordsReturns::partReturnsAddUpToTheSale()
{
    TestDatabase db;
    recordSale(db);
    store::Connection connection(QStringLiteral("test"));
    const records::RecordedReturn first = records::recordReturn(connection, request(db, {{"牛奶", 1}, {"糖", 1}}));
    QCOMPARE(first.number, QStringLiteral("TH20261209100000"));
    QCOMPARE(first.refund, sales::Fen(603));
    QCOMPARE(db.rows("SELECT 单号, 时间, 数量, printf('%.2f|%.2f', 金额, 折后), 收银员, 原单号, 授权人 IS NULL FROM xstj "
                     "WHERE 原单号 IS NOT NULL"),
             QStringList{"TH20261209100000|2026-12-09 10:00:00|-2.0|-6.03|-6.03|admin|" + Sale + "|1"});
    QCOMPARE(db.rows("SELECT 单号, 品名, 单价, 数量, printf('%.2f', 折后), 原行 = (SELECT rowid FROM xsmx s WHERE s.品名 = m.品名 "
                     "AND s.原行 IS NULL) FROM xsmx m WHERE 原行 IS NOT NULL"),
             QStringList({"TH20261209100000|牛奶|6.0|-1.0|-6.00|1", "TH20261209100000|糖|0.0333|-1.0|-0.03|1"}));
    QCOMPARE(db.rows("SELECT 单号, 方式, 金额 FROM xsfk WHERE 金额 < 0"), QStringList{"TH20261209100000|微信|-603"});
    QCOMPARE(state(db, Sale), QStringLiteral("部分退货"));
    QCOMPARE(state(db, first.number), QStringLiteral("退货单"));

    // Same second: the number moves on.
    QCOMPARE(records::recordReturn(connection, request(db, {{"糖", 1}})).number, QStringLiteral("TH20261209100001"));
    const records::RecordedReturn last =
        records::recordReturn(connection, request(db, {{"苹果", 2}, {"牛奶", 2}, {"糖", 1}}));
    QCOMPARE(last.number, QStringLiteral("TH20261209100002"));
    QCOMPARE(last.refund, sales::Fen(2250 + 1200 + 4));
    QCOMPARE(db.rows("SELECT printf('%.6f', total(数量)), printf('%.6f', total(金额)), printf('%.6f', total(折后)) FROM xstj"),
             QStringList{"0.000000|0.000000|0.000000"});
    QCOMPARE(db.scalar("SELECT abs(total(数量)) < 1e-9 AND abs(total(折后)) < 1e-9 FROM xsmx"), QStringLiteral("1"));
    QCOMPARE(db.scalar("SELECT total(金额) FROM xsfk"), QStringLiteral("0.0"));
    QCOMPARE(state(db, Sale), QStringLiteral("已退货"));
}

void TestRecordsReturns::refusedReturnsWriteNothing_data()
{
    QTest::addColumn<QString>("earlier"); // returned first: "牛奶" takes all of it
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("goods");
    QTest::addColumn<double>("quantity");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("authoriser"); // name:password
    QTest::addColumn<QString>("refusal");

    QTest::newRow("beyond what was sold") << "" << Sale << "牛奶" << 3.5 << "管理员" << "" << "第 2 行“牛奶”最多还能退 3";
    QTest::newRow("again after all of it") << "牛奶" << Sale << "牛奶" << 1.0 << "管理员" << "" << "第 2 行“牛奶”最多还能退 0";
    QTest::newRow("nothing") << "" << Sale << "牛奶" << 0.0 << "管理员" << "" << "没有填写退货数量";
    QTest::newRow("a return") << "牛奶" << "TH20261209100000" << "牛奶" << 1.0 << "管理员" << "" << "是退货单，不能再退货";
    QTest::newRow("unknown sale") << "" << "123" << "牛奶" << 1.0 << "管理员" << "" << "没有单号为“123”的销售";
    QTest::newRow("cashier alone") << "" << Sale << "牛奶" << 1.0 << "普通用户" << ":" << "管理员用户名或密码错误";
    QTest::newRow("wrong password") << "" << Sale << "牛奶" << 1.0 << "普通用户" << "店长:888" << "管理员用户名或密码错误";
    QTest::newRow("a cashier's password") << "" << Sale << "牛奶" << 1.0 << "普通用户" << "张三:1111"
                                          << "管理员用户名或密码错误";
}

void TestRecordsReturns::refusedReturnsWriteNothing()
{
    QFETCH(QString, earlier);
    QFETCH(QString, number);
    QFETCH(QString, goods);
    QFETCH(double, quantity);
    QFETCH(QString, right);
    QFETCH(QString, authoriser);
    QFETCH(QString, refusal);
    TestDatabase db;
    recordSale(db);
    store::Connection connection(QStringLiteral("test"));
    if (!earlier.isEmpty())
        records::recordReturn(connection, request(db, {{earlier, 3}}));
    const QString before = everything(db);
    records::ReturnRequest r = request(db, {{goods, quantity}}, {"张三", right});
    r.saleNumber = number;
    r.authoriserName = authoriser.section(':', 0, 0);
    r.authoriserPassword = authoriser.section(':', 1);
    try {
        records::recordReturn(connection, r);
        QFAIL("the return was recorded");
    } catch (const core::Error& error) {
        QVERIFY2(error.message().contains(refusal), qPrintable(error.message()));
    }
    QCOMPARE(everything(db), before);
}

void TestRecordsReturns::cashierReturnsWithAnAdministrator()
{
    TestDatabase db;
    recordSale(db);
    store::Connection connection(QStringLiteral("test"));
    records::ReturnRequest r = request(db, {{"苹果", 1}}, {"张三", "普通用户"});
    r.authoriserName = QStringLiteral("店长");
    r.authoriserPassword = QStringLiteral("8888");
    r.method = sales::PayMethod::Cash;
    const records::RecordedReturn recorded = records::recordReturn(connection, r);
    QCOMPARE(recorded.authorisedBy, QStringLiteral("店长"));
    QCOMPARE(db.rows("SELECT 收银员, 授权人, printf('%.2f', 折后) FROM xstj WHERE 原单号 IS NOT NULL"),
             QStringList{"张三|店长|-11.25"});
    QCOMPARE(db.rows("SELECT 方式, 金额 FROM xsfk WHERE 金额 < 0"), QStringList{"现金|-1125"});
}

// The real program: a cashier returns one 牛奶 from 销售统计 with the administrator's password
// (a wrong one first), the slip prints, the footers and the export net the refund, and the sale
// with a return cannot be deleted.
void TestRecordsReturns::returnFromTheStatisticsWindow()
{
    testsupport::ShellFixture shell(recordSale);
    QVERIFY(shell.logIn(QStringLiteral("张三"), QStringLiteral("1111")));
    printing::PrintCapture capture;
    capture.keepDots(printing::EscPosSettings{});
    TXstjForm& statistics = *shell.forms->XstjForm;
    TThForm& dialog = *shell.forms->ThForm;
    statistics.OpenFromMain();
    statistics.SpeedButton5Click();
    QCOMPARE(shell.modals->shown().last(), QStringLiteral("TThForm"));
    QCOMPARE(control<QComboBox>(dialog, "ComboBox1")->currentText(), QStringLiteral("微信"));
    QCOMPARE(control<QLabel>(dialog, "Label4")->text(), QStringLiteral("40.60")); // all that is left, by default
    QVERIFY(control<QLineEdit>(dialog, "Edit3")->isVisibleTo(&dialog));
    control<QTableWidget>(dialog, "TableWidget1")->item(0, TThForm::NowColumn)->setText("0");
    control<QTableWidget>(dialog, "TableWidget1")->item(1, TThForm::NowColumn)->setText("1");
    control<QTableWidget>(dialog, "TableWidget1")->item(2, TThForm::NowColumn)->setText("");
    QCOMPARE(control<QLabel>(dialog, "Label4")->text(), QStringLiteral("6.00"));
    control<QComboBox>(dialog, "ComboBox1")->setCurrentText(QStringLiteral("现金"));
    control<QLineEdit>(dialog, "Edit2")->setText(QStringLiteral("店长"));
    control<QLineEdit>(dialog, "Edit3")->setText(QStringLiteral("8887"));
    shell.messages.clear();
    dialog.SpeedButton1Click();
    QCOMPARE(shell.messages.texts(), QStringList{"管理员用户名或密码错误，不能退货！"});
    QCOMPARE(shell.db.scalar("SELECT count(*) FROM xstj"), QStringLiteral("1"));
    QVERIFY(capture.jobs().isEmpty());

    control<QLineEdit>(dialog, "Edit3")->setText(QStringLiteral("8888"));
    shell.messages.clear();
    dialog.SpeedButton1Click();
    QCOMPARE(shell.messages.texts(), QStringList{"退货成功，退款 6.00 元（现金）。"});
    QCOMPARE(capture.jobs().size(), 1);
    const printing::CapturedJob slip = capture.jobs().first();
    const QString number = shell.db.scalar("SELECT 单号 FROM xstj WHERE 原单号 IS NOT NULL");
    QCOMPARE(slip.documentName, "退货单 " + number);
    for (const QString& shown : {QStringLiteral("退货单"), "退货单号：" + number, "原单号：" + Sale, QStringLiteral("牛奶"),
                                 QStringLiteral("1.00"), QStringLiteral("6.00"), QStringLiteral("退款金额：6.00"),
                                 QStringLiteral("退款方式：现金"), QStringLiteral("收银员：张三"), QStringLiteral("授权人：店长")})
        QVERIFY2(texts(slip).contains(shown), qPrintable(shown + " not in " + texts(slip).join(',')));
    QCOMPARE(slip.pageWidth, printing::receiptLayout(printing::PaperWidth::Mm58).pageWidth);
    QVERIFY(testsupport::inkColumns(slip.dots).second > 0);
    // A long goods name wraps within the paper instead of running off its edge.
    report::Report layout;
    printing::ReturnSlip longName;
    longName.lines = {{QString(30, QChar(0x725B)), "1.00", "6.00"}};
    printing::buildReturnSlip(layout, longName, QStringLiteral("58"));
    auto* goods = dynamic_cast<report::DataField*>(layout.element(QStringLiteral("SlipGoods")));
    QVERIFY(goods && goods->wrapWidth() > 0);

    // The list shows the return beside the sale and its footers net it.
    QCOMPARE(statistics.ADOQuery1.recordCount(), 2);
    QCOMPARE(statistics.ADOQuery1.sum(QStringLiteral("折后")), 34.6);
    QCOMPARE(statistics.ADOQuery1.sum(QStringLiteral("数量")), 7.0);
    statistics.ADOQuery1.first();
    QCOMPARE(statistics.ADOQuery1.field(QStringLiteral("状态")), QStringLiteral("部分退货"));
    statistics.ADOQuery1.last();
    QCOMPARE(statistics.ADOQuery1.field(QStringLiteral("状态")), QStringLiteral("退货单"));

    const QString file = QDir(shell.db.folder()).filePath("returns.xls");
    records::exportSales(statistics.ADOQuery1, file, nullptr);
    QString error;
    const QList<testsupport::WorkbookSheet> sheets = testsupport::readWorkbook(file, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QList<testsupport::WorkbookRow>& rows = sheets.first().rows;
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(0).last().describe(), QStringLiteral("text:状态"));
    double due = 0;
    for (int row = 1; row < rows.size(); ++row)
        due += rows.at(row).at(4).describe().section(':', 1).toDouble();
    QCOMPARE(due, 34.6);

    // An administrator cannot delete the sale while its return is kept.
    statistics.applyRights(true);
    statistics.ADOQuery1.first();
    shell.messages.setNextAnswers({true});
    statistics.SpeedButton4Click();
    QCOMPARE(shell.messages.texts().last(), QStringLiteral("这笔销售有退货记录，不能删除。请先删除它的退货单。"));
    QCOMPARE(shell.db.scalar("SELECT count(*) FROM xstj"), QStringLiteral("2"));
}

void TestRecordsReturns::slipThatCannotPrintLeavesNoReturn()
{
    testsupport::ShellFixture shell(recordSale);
    QVERIFY(shell.logIn());
    printing::PrintCapture capture;
    capture.refuseJobs(QStringLiteral("缺纸"));
    const QString before = everything(shell.db);
    shell.forms->XstjForm->OpenFromMain();
    shell.forms->XstjForm->SpeedButton5Click();
    shell.messages.clear();
    shell.forms->ThForm->SpeedButton1Click();
    QCOMPARE(shell.messages.texts().size(), 1);
    QVERIFY2(shell.messages.texts().first().contains("缺纸"), qPrintable(shell.messages.texts().first()));
    QCOMPARE(everything(shell.db), before);
}

QTEST_MAIN(TestRecordsReturns)
#include "test_records_returns.moc"
