#include "records/SalesExport.h"
#include "records/XscxUnit.h"
#include "records/XstjUnit.h"
#include "store/Catalogue.h"
#include "support/Controls.h"
#include "support/DesktopRecorders.h"
#include "support/RecordsHistory.h"
#include "support/RecordsWindows.h"
#include "support/RecordsWorkbook.h"
#include "support/TestDatabase.h"
#include "ui/Messages.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <memory>

using namespace testsupport;

namespace {

const QString Success = QStringLiteral("成功导出全部数据!");
const QStringList Header = {"单号", "时间", "数量", "金额", "折后", "收银员", "原单号", "授权人", "付款方式", "状态"};

struct Fixture
{
    Fixture()
    {
        addSale(db, {"20261209100002", "2026-12-09 10:00:02", "3", "36.5", "32.85", "张三"});
        addSale(db, {"20261209100000", "2026-12-09 10:00:00", "1.5", "NULL", "0.1", "admin"});
        addSale(db, {"20261210100001", "2026-12-10 10:00:01", "2", "12345678.9", "1E-5", "李四"});
        windows = std::make_unique<RecordsWindows>();
        statistics().OpenFromMain();
    }

    TXstjForm& statistics() { return *windows->statistics; }
    QString target(const QString& name) const { return QDir(db.folder()).filePath(name); }
    QStringList exportedFiles() const
    {
        return QDir(db.folder()).entryList({"*.xls*", "*.XLS*"}, QDir::Files, QDir::Name);
    }

    TestDatabase db;
    ui::ModalRecorder modals;
    ui::MessageRecorder messages;
    std::unique_ptr<RecordsWindows> windows;
};

QStringList described(const WorkbookRow& row)
{
    QStringList cells;
    for (const WorkbookCell& cell : row)
        cells << cell.describe();
    return cells;
}

QList<QStringList> readSheet(const QString& path, int sheet = 0)
{
    QString error;
    const QList<WorkbookSheet> sheets = readWorkbook(path, &error);
    if (!error.isEmpty() || sheet >= sheets.size()) {
        qWarning() << "cannot read" << path << error;
        return {};
    }
    QList<QStringList> rows;
    for (const WorkbookRow& row : sheets.at(sheet).rows)
        rows << described(row);
    return rows;
}

QStringList textCells(const QStringList& texts)
{
    QStringList cells;
    for (const QString& text : texts)
        cells << QStringLiteral("text:") + text;
    return cells;
}

} // namespace

class TestRecordsExport : public QObject
{
    Q_OBJECT

private slots:
    void writesEveryRowOfTheListInListOrder();
    void fileName_data();
    void fileName();
    void writesOnlyWhatTheSearchListed();
    void emptyListWritesTheHeaderOnly();
    void cancelWritesNothing();
    void unwritableFileIsReportedAndNothingClaimed();
    void longListContinuesOnFurtherSheets();
};

void TestRecordsExport::writesEveryRowOfTheListInListOrder()
{
    Fixture f;
    TXstjForm& w = f.statistics();
    w.ADOQuery1.moveTo(2); // a row in the middle limits nothing
    ui::SaveNameOverride save({f.target("销售")});
    control<QToolButton>(w, "SpeedButton2")->click();

    QCOMPARE(f.messages.texts(), QStringList({Success}));
    QCOMPARE(f.messages.messages().first().style, ui::MessageStyle::Plain);
    QCOMPARE(f.messages.messages().first().ownerName, QStringLiteral("TXstjForm"));
    QCOMPARE(w.ADOQuery1.recordNumber(), 3);
    QCOMPARE(f.exportedFiles(), QStringList({"销售.xls"}));

    const QList<QStringList> rows = readSheet(f.target("销售.xls"));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows.at(0), textCells(Header));
    QCOMPARE(rows.at(1), QStringList({"text:20261209100000", "text:2026-12-09 10:00:00", "number:1.5", "empty",
                                      "number:0.10000000000000001", "text:admin", "empty", "empty", "text:现金", "empty"}));
    QCOMPARE(rows.at(2), QStringList({"text:20261209100002", "text:2026-12-09 10:00:02", "number:3", "number:36.5",
                                      "number:32.850000000000001", "text:张三", "empty", "empty", "text:现金", "empty"}));
    QCOMPARE(rows.at(3), QStringList({"text:20261210100001", "text:2026-12-10 10:00:01", "number:2",
                                      "number:12345678.9", "number:1.0000000000000001e-05", "text:李四", "empty", "empty", "text:现金", "empty"}));
}

void TestRecordsExport::fileName_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");

    QTest::newRow("no extension gets one") << "销售记录"
                                           << "销售记录.xls";
    QTest::newRow(".xls is not doubled") << "销售记录.xls"
                                         << "销售记录.xls";
    QTest::newRow("nor in capitals") << "销售记录.XLS"
                                     << "销售记录.XLS";
    QTest::newRow(".xlsx is not .xls") << "销售记录.xlsx"
                                       << "销售记录.xlsx.xls";
    QTest::newRow("a dot inside the name") << "销售.xls.备份"
                                           << "销售.xls.备份.xls";
    QTest::newRow("a name that is only the extension") << ".xls"
                                                       << ".xls";
}

void TestRecordsExport::fileName()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);

    QCOMPARE(records::exportFileName(chosen), written);
    Fixture f;
    ui::SaveNameOverride save({f.target(chosen)});
    f.statistics().N4->trigger();
    QCOMPARE(f.messages.texts(), QStringList({Success}));
    QVERIFY2(QFile::exists(f.target(written)), qPrintable(f.exportedFiles().join(',')));
    QCOMPARE(QDir(f.db.folder()).entryList({"*.xls*", ".xls*"}, QDir::Files | QDir::Hidden).size(), 1);
    QCOMPARE(readSheet(f.target(written)).size(), 4);
}

void TestRecordsExport::writesOnlyWhatTheSearchListed()
{
    Fixture f;
    TXstjForm& w = f.statistics();
    w.SpeedButton1Click();
    control<QComboBox>(*f.windows->query, "ComboBox1")->setEditText(QStringLiteral("20261209"));
    f.windows->query->SpeedButton1Click();
    ui::SaveNameOverride save({f.target("当天"), f.target("全部")});
    w.SpeedButton2Click();
    QList<QStringList> rows = readSheet(f.target("当天.xls"));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(1).first(), QStringLiteral("text:20261209100002"));
    QCOMPARE(rows.at(2).first(), QStringLiteral("text:20261209100000"));

    w.SpeedButton3Click(); // all sales again, in table order
    w.SpeedButton2Click();
    rows = readSheet(f.target("全部.xls"));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows.at(1).first(), QStringLiteral("text:20261209100002"));
    QCOMPARE(rows.at(3).first(), QStringLiteral("text:20261210100001"));
}

void TestRecordsExport::emptyListWritesTheHeaderOnly()
{
    Fixture f;
    f.statistics().ADOQuery1.requery(store::sql::XstjByCashier, QStringLiteral("没有这个人"));
    ui::SaveNameOverride save({f.target("空")});
    f.statistics().SpeedButton2Click();
    QCOMPARE(f.messages.texts(), QStringList({Success}));
    QCOMPARE(readSheet(f.target("空.xls")), QList<QStringList>({textCells(Header)}));
}

void TestRecordsExport::cancelWritesNothing()
{
    Fixture f;
    f.statistics().ADOQuery1.moveTo(2);
    ui::SaveNameOverride cancelled;
    control<QToolButton>(f.statistics(), "SpeedButton2")->click();
    QCOMPARE(cancelled.asked(), 1);
    QVERIFY(f.messages.messages().isEmpty());
    QVERIFY(f.exportedFiles().isEmpty());
    QCOMPARE(f.statistics().ADOQuery1.recordNumber(), 2);
}

void TestRecordsExport::unwritableFileIsReportedAndNothingClaimed()
{
    Fixture f;
    // A folder in the way of the file, and a file in the way of a folder: root cannot write either.
    QVERIFY(QDir(f.db.folder()).mkdir("占用.xls"));
    QFile plain(f.target("文件"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    ui::SaveNameOverride save({f.target("占用.xls"), f.target("文件/销售")});
    control<QToolButton>(f.statistics(), "SpeedButton2")->click();
    control<QToolButton>(f.statistics(), "SpeedButton2")->click();

    QCOMPARE(f.messages.messages().size(), 2);
    for (const ui::RecordedMessage& message : f.messages.messages()) {
        QVERIFY(message.isErrorReport);
        QVERIFY2(message.text.contains(QStringLiteral("无法")) || message.text.contains(QStringLiteral("不能")),
                 qPrintable(message.text));
    }
    QVERIFY(!f.messages.texts().contains(Success));
    QVERIFY(QFileInfo(f.target("占用.xls")).isDir());
    QCOMPARE(QDir(f.db.folder()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"data.mdb", "data.mdb-shm", "data.mdb-wal", "文件"}));
}

// Past 65,535 data rows a sheet is full: the list goes on on a second one, header first.
void TestRecordsExport::longListContinuesOnFurtherSheets()
{
    TestDatabase db;
    addGeneratedSales(db, 70000);
    ui::ModalRecorder modals;
    ui::MessageRecorder messages;
    RecordsWindows windows;
    windows.statistics->OpenFromMain();
    const QString path = QDir(db.folder()).filePath("全年.xls");
    ui::SaveNameOverride save({path});
    windows.statistics->SpeedButton2Click();
    QCOMPARE(messages.texts(), QStringList({Success}));

    QString error;
    const QList<WorkbookSheet> sheets = readWorkbook(path, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(sheets.size(), 2);
    QCOMPARE(sheets.at(0).rows.size(), 65536);
    QCOMPARE(sheets.at(1).rows.size(), 70000 - 65535 + 1);
    QCOMPARE(described(sheets.at(1).rows.at(0)), textCells(Header));
    QCOMPARE(sheets.at(0).rows.at(1).at(0).describe(), QStringLiteral("text:20260101000000"));
    QCOMPARE(sheets.at(0).rows.at(65535).at(0).describe(), QStringLiteral("text:20260101065534"));
    QCOMPARE(sheets.at(1).rows.at(1).at(0).describe(), QStringLiteral("text:20260101065535"));
    QCOMPARE(sheets.at(1).rows.last().at(0).describe(), QStringLiteral("text:20260101069999"));
    QCOMPARE(described(sheets.at(1).rows.last()).mid(2),
             QStringList({"number:1", "number:2", "number:3", "text:admin", "empty", "empty", "text:现金", "empty"}));
}

QTEST_MAIN(TestRecordsExport)
#include "test_records_export.moc"
