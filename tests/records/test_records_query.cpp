#include "records/XscxUnit.h"
#include "records/XstjUnit.h"
#include "store/Catalogue.h"
#include "support/Controls.h"
#include "support/DesktopRecorders.h"
#include "support/RecordsHistory.h"
#include "support/RecordsWindows.h"
#include "support/TestDatabase.h"
#include "ui/DataGrid.h"
#include "ui/Messages.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>
#include <memory>

using namespace testsupport;

namespace {

constexpr int ReceiptColumn = 1;
const QString EmptyQuery = QStringLiteral("查询信息不能为空！");

struct Fixture
{
    Fixture()
    {
        addSale(db, {"20261209080000", "2026-12-09 08:00:00", "1", "1", "1", "张三"});
        addSale(db, {"20261209090000", "2026-12-09 09:00:00", "1", "1", "1", "张三丰"});
        addSale(db, {"20261210080000", "2026-12-10 08:00:00", "1", "1", "1", "李 四"});
        addSale(db, {"20261210090000", "2026-12-10 09:00:00", "1", "1", "1", "50%_折'\""});
        addSale(db, {"20261209080000", "2026-12-09 08:30:00", "1", "1", "1", "admin"});
        db.exec("INSERT INTO username (用户名, 密码, 权限) VALUES ('张三', '', '普通用户'), ('张三', '', '普通用户'), "
                "('李 四', '', '普通用户');");
        windows = std::make_unique<RecordsWindows>();
        statistics().OpenFromMain();
    }

    TXstjForm& statistics() { return *windows->statistics; }
    TXscxForm& query() { return *windows->query; }
    QStringList listedNumbers()
    {
        QStringList numbers;
        ui::DataGrid& grid = *control<ui::DataGrid>(statistics(), "DBGridEh1");
        for (int row = 0; row < grid.model()->rowCount(); ++row)
            numbers << grid.cellText(row, ReceiptColumn);
        return numbers;
    }
    QStringList comboItems(QComboBox* box)
    {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    }

    TestDatabase db;
    ui::ModalRecorder modals;
    ui::MessageRecorder messages;
    std::unique_ptr<RecordsWindows> windows;
};

const QStringList AllInTimeOrder = {"20261209080000", "20261209080000", "20261209090000", "20261210080000",
                                    "20261210090000"};

} // namespace

class TestRecordsQuery : public QObject
{
    Q_OBJECT

private slots:
    void dialogLayout();
    void openingFillsBothListsAndEmptiesBothBoxes();
    void search_data();
    void search();
    void exitLeavesTheListAsItWas();
    void scannedNumberAndEnterSearch();
    void receiptNumberListReadsOnlyRowsOnScreen();
};

void TestRecordsQuery::dialogLayout()
{
    Fixture f;
    TXscxForm& q = f.query();
    QCOMPARE(q.caption(), QStringLiteral("销售查询"));
    QCOMPARE(q.clientArea()->size(), QSize(264, 221));
    QCOMPARE(control<QLabel>(q, "Label1")->text(), QStringLiteral("单号："));
    QCOMPARE(control<QLabel>(q, "Label2")->text(), QStringLiteral("收银员："));
    QVERIFY(control<QLabel>(q, "Label1")->geometry().right() < control<QComboBox>(q, "ComboBox1")->x());
    QVERIFY(control<QComboBox>(q, "ComboBox1")->geometry().bottom() < control<QComboBox>(q, "ComboBox2")->y());
    QVERIFY(control<QComboBox>(q, "ComboBox1")->isEditable());
    QVERIFY(control<QComboBox>(q, "ComboBox2")->isEditable());
    QCOMPARE(control<QToolButton>(q, "SpeedButton1")->text(), QStringLiteral("查询"));
    QCOMPARE(control<QToolButton>(q, "SpeedButton2")->text(), QStringLiteral("退出"));
    for (QToolButton* button : {control<QToolButton>(q, "SpeedButton1"), control<QToolButton>(q, "SpeedButton2")}) {
        QCOMPARE(button->size(), QSize(81, 33));
        QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(button->y() > control<QComboBox>(q, "ComboBox2")->geometry().bottom());
    }
    QCOMPARE(control<QToolButton>(q, "SpeedButton1")->y(), control<QToolButton>(q, "SpeedButton2")->y());

    f.statistics().SpeedButton1Click();
    QTRY_VERIFY(q.isActiveWindow());
    QCOMPARE(QApplication::focusWidget(), control<QComboBox>(q, "ComboBox1"));
    QTest::keyClick(control<QComboBox>(q, "ComboBox1")->lineEdit(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), control<QComboBox>(q, "ComboBox2"));
}

void TestRecordsQuery::openingFillsBothListsAndEmptiesBothBoxes()
{
    Fixture f;
    TXscxForm& q = f.query();
    f.statistics().N1->trigger();
    QCOMPARE(f.modals.shown(), QStringList({"TXstjForm", "TXscxForm"}));
    QStringList numbers = f.comboItems(control<QComboBox>(q, "ComboBox1"));
    numbers.sort();
    QCOMPARE(numbers, QStringList({"20261209080000", "20261209090000", "20261210080000", "20261210090000"}));
    QStringList names = f.comboItems(control<QComboBox>(q, "ComboBox2"));
    names.sort();
    QCOMPARE(names, QStringList({"admin", "张三", "李 四"}));
    QCOMPARE(control<QComboBox>(q, "ComboBox1")->currentText(), QString());
    QCOMPARE(control<QComboBox>(q, "ComboBox2")->currentText(), QString());

    // Typed texts do not survive a reopening; a sale printed meanwhile is offered.
    control<QComboBox>(q, "ComboBox1")->setEditText(QStringLiteral("2026"));
    control<QComboBox>(q, "ComboBox2")->setCurrentIndex(0);
    q.close();
    addSale(f.db, {"20261211080000", "2026-12-11 08:00:00", "1", "1", "1", "admin"});
    f.statistics().SpeedButton1Click();
    QCOMPARE(control<QComboBox>(q, "ComboBox1")->currentText(), QString());
    QCOMPARE(control<QComboBox>(q, "ComboBox2")->currentText(), QString());
    QCOMPARE(control<QComboBox>(q, "ComboBox1")->count(), 5);
    QVERIFY(f.comboItems(control<QComboBox>(q, "ComboBox1")).contains(QStringLiteral("20261211080000")));
    QCOMPARE(control<QComboBox>(q, "ComboBox2")->count(), 3);
}

void TestRecordsQuery::search_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("cashier");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<bool>("closes");

    QTest::newRow("a day's eight digits list that day's sales")
        << "20261209" << QString() << QStringList{"20261209080000", "20261209090000", "20261209080000"} << true;
    QTest::newRow("a number found inside others")
        << "0900" << QString() << QStringList{"20261209090000", "20261210090000"} << true;
    QTest::newRow("part of a name lists every cashier containing it")
        << QString() << "张三" << QStringList{"20261209080000", "20261209090000"} << true;
    QTest::newRow("a blank is text too") << QString() << " " << QStringList{"20261210080000"} << true;
    QTest::newRow("percent is a percent sign") << QString() << "%" << QStringList{"20261210090000"} << true;
    QTest::newRow("underscore is an underscore") << QString() << "0%_" << QStringList{"20261210090000"} << true;
    QTest::newRow("quotes are matched, not an error") << QString() << "'\"" << QStringList{"20261210090000"} << true;
    QTest::newRow("a double quote in a number finds nothing") << "\"" << QString() << QStringList{} << true;
    QTest::newRow("a name in other letter case finds nothing") << QString() << "ADMIN" << QStringList{} << true;
    QTest::newRow("both boxes filled does nothing") << "20261209"
                                                    << "张三" << AllInTimeOrder << false;
}

void TestRecordsQuery::search()
{
    QFETCH(QString, number);
    QFETCH(QString, cashier);
    QFETCH(QStringList, listed);
    QFETCH(bool, closes);

    Fixture f;
    TXscxForm& q = f.query();
    f.statistics().SpeedButton1Click();
    control<QComboBox>(q, "ComboBox1")->setEditText(number);
    control<QComboBox>(q, "ComboBox2")->setEditText(cashier);
    control<QToolButton>(q, "SpeedButton1")->click();

    QVERIFY(f.messages.messages().isEmpty());
    QCOMPARE(q.isVisible(), !closes);
    QCOMPARE(f.listedNumbers(), listed);
    QCOMPARE(f.statistics().ADOQuery1.recordNumber(), listed.isEmpty() ? 0 : 1);
}

void TestRecordsQuery::exitLeavesTheListAsItWas()
{
    Fixture f;
    TXscxForm& q = f.query();
    f.statistics().SpeedButton1Click();
    control<QToolButton>(q, "SpeedButton1")->click();
    QCOMPARE(f.messages.texts(), QStringList({EmptyQuery}));
    QCOMPARE(f.messages.messages().first().style, ui::MessageStyle::Warning);
    QCOMPARE(f.messages.messages().first().ownerName, QStringLiteral("TXscxForm"));
    QVERIFY(q.isVisible());

    control<QComboBox>(q, "ComboBox1")->setEditText(QStringLiteral("20261210"));
    control<QToolButton>(q, "SpeedButton2")->click();
    QVERIFY(!q.isVisible());
    QCOMPARE(f.listedNumbers(), AllInTimeOrder);
    QVERIFY(f.statistics().ADOQuery1.statement() == store::sql::XstjByTime);
}

// A scanner types the receipt's bar code as keys, then Enter.
void TestRecordsQuery::scannedNumberAndEnterSearch()
{
    Fixture f;
    TXscxForm& q = f.query();
    f.statistics().SpeedButton1Click();
    QTest::keyClicks(control<QComboBox>(q, "ComboBox1")->lineEdit(), QStringLiteral("20261210090000"));
    QTest::keyClick(control<QComboBox>(q, "ComboBox1")->lineEdit(), Qt::Key_Return);
    QVERIFY(f.messages.messages().isEmpty());
    QVERIFY(!q.isVisible());
    QCOMPARE(f.listedNumbers(), QStringList{"20261210090000"});
}

// Every receipt number of a long history is offered, but reading them all would make opening
// the dialog, dropping the list down and leaving the box take as long as the history is big.
void TestRecordsQuery::receiptNumberListReadsOnlyRowsOnScreen()
{
    TestDatabase db;
    addGeneratedSales(db, 50000);
    ui::ModalRecorder modals;
    ui::MessageRecorder messages;
    RecordsWindows windows;
    TXscxForm& q = *windows.query;
    windows.statistics->SpeedButton1Click();
    QVERIFY(QTest::qWaitForWindowExposed(&q));
    QCOMPARE(control<QComboBox>(q, "ComboBox1")->count(), 50000);
    QCOMPARE(control<QComboBox>(q, "ComboBox1")->currentText(), QString());

    control<QComboBox>(q, "ComboBox1")->showPopup();
    QTRY_VERIFY(control<QComboBox>(q, "ComboBox1")->view()->isVisible());
    QCOMPARE(control<QComboBox>(q, "ComboBox1")->view()->model()->index(0, 0).data().toString(),
             QStringLiteral("20260101000000"));
    control<QComboBox>(q, "ComboBox1")->hidePopup();

    control<QComboBox>(q, "ComboBox1")->lineEdit()->setFocus();
    QTest::keyClicks(control<QComboBox>(q, "ComboBox1")->lineEdit(), QStringLiteral("2026010100000"));
    control<QComboBox>(q, "ComboBox2")->setFocus(); // leaving the box
    QCOMPARE(control<QComboBox>(q, "ComboBox1")->currentText(), QStringLiteral("2026010100000"));
    QVERIFY2(q.receiptNumbers()->fetchedRowCount() < 500,
             qPrintable(QString::number(q.receiptNumbers()->fetchedRowCount())));
    QCOMPARE(control<QComboBox>(q, "ComboBox1")->width(), 150);

    control<QToolButton>(q, "SpeedButton1")->click();
    QCOMPARE(windows.statistics->ADOQuery1.recordCount(), 10);
}

QTEST_MAIN(TestRecordsQuery)
#include "test_records_query.moc"
