// How the exported workbook opens: columns wide enough for what they hold, numbers with two
// decimals, the header row bold. Read back with xlrd and laid out by LibreOffice.

#include "records/XstjUnit.h"
#include "support/DesktopRecorders.h"
#include "support/PrintingQueue.h"
#include "support/RecordsHistory.h"
#include "support/RecordsWindows.h"
#include "support/RecordsWorkbook.h"
#include "support/TestDatabase.h"
#include "ui/Messages.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>

using namespace testsupport;

Q_DECLARE_METATYPE(QList<testsupport::HistorySale>)

namespace {

const QStringList Header = {"单号", "时间", "数量", "金额", "折后", "收银员", "原单号", "授权人", "付款方式", "状态"};

// Characters a text takes on screen: Chinese characters two, others one.
int shownWidth(const QString& text)
{
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() >= 0x2E80 ? 2 : 1;
    return width;
}

} // namespace

class TestRecordsExportLooks : public QObject
{
    Q_OBJECT

private slots:
    void columnsFitTheirTextsAndNumbersKeepTwoDecimals_data();
    void columnsFitTheirTextsAndNumbersKeepTwoDecimals();
    void libreOfficeShowsEveryValueWhole();

private:
    QString exportSales(const TestDatabase& db, const QString& name);
};

QString TestRecordsExportLooks::exportSales(const TestDatabase& db, const QString& name)
{
    ui::ModalRecorder modals;
    ui::MessageRecorder messages;
    RecordsWindows windows;
    windows.statistics->OpenFromMain();
    const QString target = QDir(db.folder()).filePath(name);
    ui::SaveNameOverride save({target});
    windows.statistics->SpeedButton2Click();
    return messages.texts() == QStringList{"成功导出全部数据!"} ? target + ".xls" : QString();
}

void TestRecordsExportLooks::columnsFitTheirTextsAndNumbersKeepTwoDecimals_data()
{
    QTest::addColumn<QList<HistorySale>>("sales");
    QTest::newRow("no sales: the header alone") << QList<HistorySale>{};
    QTest::newRow("ordinary day") << QList<HistorySale>{
        {"20261209100002", "2026-12-09 10:00:02", "3", "36.5", "32.85", "张三"},
        {"20261209100000", "2026-12-09 10:00:00", "1.5", "NULL", "0.1", "admin"}};
    QTest::newRow("long name, large and negative amounts") << QList<HistorySale>{
        {"20261210100001", "2026-12-10 10:00:01", "-2", "123456789012.5", "-98765.4321", "欧阳慕容收银员甲"},
        {"1", "", "0", "0", "0", "a"}};
}

void TestRecordsExportLooks::columnsFitTheirTextsAndNumbersKeepTwoDecimals()
{
    QFETCH(QList<HistorySale>, sales);
    TestDatabase db;
    addHistory(db, sales);
    const QString file = exportSales(db, "销售");
    QVERIFY(!file.isEmpty());
    QString error;
    const QList<WorkbookLooks> sheets = readWorkbookLooks(file, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(sheets.size(), 1);
    const WorkbookLooks& looks = sheets.first();

    // What each column must show: its header (bold) and every value as the sheet shows it.
    QList<int> needed;
    for (const QString& name : Header)
        needed << shownWidth(name) + 1;
    for (const HistorySale& sale : sales) {
        const QStringList texts = {sale.number, sale.time, sale.cashier};
        const QList<int> textColumns = {0, 1, 5};
        for (int i = 0; i < texts.size(); ++i)
            needed[textColumns[i]] = std::max(needed[textColumns[i]], shownWidth(texts[i]));
        const QStringList numbers = {sale.quantity, sale.amount, sale.discounted};
        for (int i = 0; i < numbers.size(); ++i) {
            if (numbers[i] != "NULL")
                needed[2 + i] = std::max(needed[2 + i], int(QString::number(numbers[i].toDouble(), 'f', 2).size()));
        }
    }
    QCOMPARE(looks.columnWidths.size(), Header.size());
    for (int column = 0; column < Header.size(); ++column) {
        const double width = looks.columnWidths.at(column);
        QVERIFY2(width >= needed[column] + 1, qPrintable(QString("column %1: %2 < %3").arg(column).arg(width).arg(needed[column])));
        // Wide enough, not sprawling: at most a few characters to spare beyond the default.
        QVERIFY2(width <= std::max(needed[column], 8) + 4,
                 qPrintable(QString("column %1: %2 for %3").arg(column).arg(width).arg(needed[column])));
    }
    QCOMPARE(looks.boldByRow0, QList<bool>(Header.size(), true));
    QVERIFY(!looks.boldBelowRow0);
    if (!sales.isEmpty()) {
        QCOMPARE(looks.numberFormats, QStringList{"0.00"});
        QCOMPARE(looks.textCellFormats, QStringList{"General"});
    }
}

// LibreOffice shows "###" for a number that does not fit and cuts a text at the next filled cell:
// its PDF of the sheet must hold every value whole.
void TestRecordsExportLooks::libreOfficeShowsEveryValueWhole()
{
    const QString soffice = QStandardPaths::findExecutable("soffice");
    if (soffice.isEmpty() || QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("LibreOffice (soffice) or pdftotext is not installed");
    TestDatabase db;
    addHistory(db, {{"20261209100002", "2026-12-09 10:00:02", "3", "36.5", "32.85", "欧阳慕容收银员甲"},
                    {"20261209100003", "2026-12-09 10:00:03", "1.5", "123456789.5", "98765432.1", "admin"}});
    const QString file = exportSales(db, "销售");
    QVERIFY(!file.isEmpty());
    const QString folder = db.folder();
    const ToolRun converted = runTool(soffice, {"--headless", "-env:UserInstallation=file://" + folder + "/office",
                                                "--convert-to", "pdf", "--outdir", folder, file});
    const QString pdf = QDir(folder).filePath("销售.pdf");
    QVERIFY2(converted.exitCode == 0 && QFile::exists(pdf), qPrintable(converted.output));
    const QString shown = pdfText(pdf);
    for (const QString whole : {"20261209100002", "2026-12-09 10:00:02", "欧阳慕容收银员甲", "123456789.50", "98765432.10",
                                "36.50", "3.00", "1.50", "收银员"})
        QVERIFY2(shown.contains(whole.normalized(QString::NormalizationForm_KC)), qPrintable(whole + "\n" + shown));
    QVERIFY2(!shown.contains("###"), qPrintable(shown));
    // A picture for a person to look at, beside the test's build output.
    const QString picture = QStringLiteral(QUORVEL_BINARY_DIR) + QStringLiteral("/test_records_exportlooks");
    QFile::remove(picture + ".pdf");
    QFile::copy(pdf, picture + ".pdf");
}

QTEST_MAIN(TestRecordsExportLooks)
#include "test_records_exportlooks.moc"
