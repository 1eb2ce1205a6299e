#include "core/Error.h"
#include "records/XlsWriter.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>

using records::XlsCell;
using records::XlsWriter;
using Rows = QVector<QVector<XlsCell>>;

Q_DECLARE_METATYPE(Rows)

namespace {

// Reads a workbook back with xlrd and prints its cells, plus what xlrd itself does not check: record sizes,
// DIMENSIONS against the cells, and that every EXTSST entry points at the start of its string.
const char* const ReadScript = R"py(
import json, struct, sys
import xlrd
from xlrd import compdoc

path = sys.argv[1]
book = xlrd.open_workbook(path, logfile=sys.stderr, formatting_info=True, on_demand=True)
problems = []
sheets = []
for sheet in book.sheets():
    rows = [[[cell.ctype, cell.value] for cell in sheet.row(r)] for r in range(sheet.nrows)]
    sheets.append({"name": sheet.name, "rows": rows})
    if (sheet._dimnrows, sheet._dimncols) != (sheet.nrows, sheet.ncols):
        problems.append("%s: DIMENSIONS %dx%d, cells %dx%d"
                        % (sheet.name, sheet._dimnrows, sheet._dimncols, sheet.nrows, sheet.ncols))

with open(path, "rb") as f:
    stream = compdoc.CompDoc(f.read(), logfile=sys.stderr).get_named_stream("Workbook")
starts = {}
extsst = None
pos = 0
while pos + 4 <= len(stream):
    kind, size = struct.unpack_from("<HH", stream, pos)
    if kind == 0 and size == 0:
        break
    if size > 8224:
        problems.append("record 0x%04x at %d has %d bytes" % (kind, pos, size))
    starts[pos] = kind
    if kind == 0x00FF:
        extsst = (pos, size)
    pos += 4 + size

strings = book._sharedstrings
if extsst is None:
    problems.append("no EXTSST")
else:
    dsst = struct.unpack_from("<H", stream, extsst[0] + 4)[0]
    count = (extsst[1] - 2) // 8
    if dsst < 8 or count != -(-len(strings) // dsst):
        problems.append("EXTSST has %d buckets of %d for %d strings" % (count, dsst, len(strings)))
    for k in range(count):
        ib, cb = struct.unpack_from("<IH", stream, extsst[0] + 6 + 8 * k)
        expected = len(strings[k * dsst].encode("utf-16-le")) // 2
        if starts.get(ib - cb) not in (0x00FC, 0x003C):
            problems.append("EXTSST bucket %d: no SST record at %d" % (k, ib - cb))
        elif struct.unpack_from("<H", stream, ib)[0] != expected:
            problems.append("EXTSST bucket %d points elsewhere" % k)

out = {"sheets": sheets, "problems": problems}
sys.stdout.buffer.write(json.dumps(out, ensure_ascii=False).encode("utf-8"))
)py";

struct ReadBack
{
    QJsonArray sheets;
    QString error; // xlrd failed, complained, or found the structure wrong
};

ReadBack readWithXlrd(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(ReadScript), path});
    if (!python.waitForFinished(300000))
        return {{}, QStringLiteral("xlrd did not finish: ") + python.errorString()};
    const QString warnings = QString::fromUtf8(python.readAllStandardError()).trimmed();
    if (python.exitCode() != 0 || !warnings.isEmpty())
        return {{}, QStringLiteral("xlrd: ") + warnings};
    const QJsonObject result = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    QStringList problems;
    for (const QJsonValue& problem : result.value(QStringLiteral("problems")).toArray())
        problems << problem.toString();
    return {result.value(QStringLiteral("sheets")).toArray(), problems.join(QStringLiteral("; "))};
}

QString describe(const QJsonValue& value)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact)).left(80);
}

// xlrd cell types: 0 empty, 1 text, 2 number.
QString cellDifference(const XlsCell& expected, const QJsonArray& got)
{
    const int type = got.isEmpty() ? 0 : got.at(0).toInt();
    const QJsonValue value = got.isEmpty() ? QJsonValue() : got.at(1);
    switch (expected.kind) {
    case XlsCell::Kind::Number:
        if (type == 2 && value.toDouble() == expected.number)
            return {};
        return QStringLiteral("expected number %1, read %2 %3")
            .arg(expected.number, 0, 'g', 17)
            .arg(type)
            .arg(describe(value));
    case XlsCell::Kind::Text:
        if (!expected.text.isEmpty() && (type != 1 || value.toString() != expected.text))
            return QStringLiteral("expected text of %1 chars, read %2 %3")
                .arg(expected.text.size())
                .arg(type)
                .arg(describe(value));
        if (!expected.text.isEmpty())
            return {};
        [[fallthrough]];
    case XlsCell::Kind::Empty:
        return type == 0 ? QString() : QStringLiteral("expected empty, read %1 %2").arg(type).arg(describe(value));
    }
    return {};
}

QString rowDifference(const QVector<XlsCell>& expected, const QJsonArray& got)
{
    for (qsizetype column = 0; column < std::max(expected.size(), got.size()); ++column) {
        const XlsCell cell = column < expected.size() ? expected.at(column) : XlsCell::empty();
        const QString difference = cellDifference(cell, got.at(column).toArray());
        if (!difference.isEmpty())
            return QStringLiteral("column %1: %2").arg(column + 1).arg(difference);
    }
    return {};
}

QVector<XlsCell> headerCells(const QStringList& header)
{
    QVector<XlsCell> cells;
    for (const QString& name : header)
        cells << XlsCell::of(name);
    return cells;
}

// The first difference between the sheets xlrd read and the header and rows given to the writer, or "".
QString workbookDifference(const QJsonArray& sheets, const QStringList& header, const Rows& rows)
{
    const int headerRows = header.isEmpty() ? 0 : 1;
    qsizetype next = 0;
    for (qsizetype s = 0; s < sheets.size(); ++s) {
        const QJsonObject sheet = sheets.at(s).toObject();
        const QString name = sheet.value(QStringLiteral("name")).toString();
        if (name != QStringLiteral("Sheet%1").arg(s + 1))
            return QStringLiteral("sheet %1 is named %2").arg(s + 1).arg(name);
        const QJsonArray sheetRows = sheet.value(QStringLiteral("rows")).toArray();
        for (qsizetype r = 0; r < sheetRows.size(); ++r) {
            const bool isHeader = r < headerRows;
            if (!isHeader && next >= rows.size())
                return QStringLiteral("%1 row %2: more rows than were written").arg(name).arg(r + 1);
            const QString difference =
                rowDifference(isHeader ? headerCells(header) : rows.at(next++), sheetRows.at(r).toArray());
            if (!difference.isEmpty())
                return QStringLiteral("%1 row %2 %3").arg(name).arg(r + 1).arg(difference);
        }
    }
    if (next != rows.size())
        return QStringLiteral("read %1 data rows, wrote %2").arg(next).arg(rows.size());
    return {};
}

QList<int> sheetRowCounts(const QJsonArray& sheets)
{
    QList<int> counts;
    for (const QJsonValue& sheet : sheets)
        counts << int(sheet.toObject().value(QStringLiteral("rows")).toArray().size());
    return counts;
}

void writeWorkbook(const QString& path, const QStringList& header, const Rows& rows)
{
    XlsWriter writer(path);
    writer.setHeader(header);
    for (const QVector<XlsCell>& row : rows)
        writer.addRow(row);
    writer.finish();
}

// Sales-history shaped rows: unique receipt numbers as text, repeated names, quantities and amounts.
Rows salesRows(int count)
{
    const QStringList products = {QStringLiteral("可口可乐 330ml"), QStringLiteral("康师傅红烧牛肉面"),
                                  QStringLiteral("🧧 红包"), QStringLiteral("Café crème"), QStringLiteral("纸巾")};
    const QStringList cashiers = {QStringLiteral("张三"), QStringLiteral("李四")};
    Rows rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        rows.append({XlsCell::of(QString::number(20261209000000LL + i)), XlsCell::of(products.at(i % products.size())),
                     XlsCell::of(double(i % 7 + 1)), XlsCell::of((i % 10000) / 100.0),
                     XlsCell::of(cashiers.at(i % cashiers.size())), XlsCell::of(double(i))});
    }
    return rows;
}

Rows numberedRows(int count)
{
    Rows rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i)
        rows.append({XlsCell::of(double(i)), XlsCell::of(QStringLiteral("第%1行").arg(i % 100))});
    return rows;
}

QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

std::optional<core::Error> errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const core::Error& error) {
        return error;
    }
    return std::nullopt;
}

} // namespace

class TestRecordsXlsWriter : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void rejectedRowLeavesTheOthers_data();
    void rejectedRowLeavesTheOthers();
    void rejectsBadHeader();
    void unwritablePath_data();
    void unwritablePath();
    void replacesExistingFileOnlyOnFinish();
    void libreOfficeReadsIt();

private:
    QTemporaryDir m_dir;
};

void TestRecordsXlsWriter::roundTrip_data()
{
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QList<int>>("sheetRows"); // rows xlrd sees per sheet, header included

    const QStringList header = {QStringLiteral("单号"), QStringLiteral("商品"), QStringLiteral("金额")};
    QTest::newRow("header and rows in order")
        << header
        << Rows{{XlsCell::of(QStringLiteral("A1")), XlsCell::of(QStringLiteral("苹果")), XlsCell::of(3.0)},
                {XlsCell::of(QStringLiteral("A2")), XlsCell::of(QStringLiteral("香蕉")), XlsCell::of(4.5)},
                {XlsCell::of(QStringLiteral("A3")), XlsCell::of(QStringLiteral("苹果")), XlsCell::of(6.0)}}
        << QList<int>{4};
    QTest::newRow("chinese, latin-1 and emoji") << QStringList{QStringLiteral("名称😀")}
                                                << Rows{{XlsCell::of(QStringLiteral("农夫山泉 550ml ￥2"))},
                                                        {XlsCell::of(QStringLiteral("Café £5 ×2"))},
                                                        {XlsCell::of(QStringLiteral("😀🧧𠮷野家"))},
                                                        {XlsCell::of(QStringLiteral("ascii only"))}}
                                                << QList<int>{5};
    QTest::newRow("exact numbers") << QStringList{QStringLiteral("值")}
                                   << Rows{{XlsCell::of(12.5)},
                                           {XlsCell::of(31.87)},
                                           {XlsCell::of(0.1)},
                                           {XlsCell::of(1e-5)},
                                           {XlsCell::of(-2.75)},
                                           {XlsCell::of(0.0)},
                                           {XlsCell::of(20261209101530.0)},
                                           {XlsCell::of(1.7976931348623157e308)},
                                           {XlsCell::of(5e-324)}}
                                   << QList<int>{10};
    QTest::newRow("receipt numbers given as text stay text")
        << QStringList{QStringLiteral("单号"), QStringLiteral("编码")}
        << Rows{{XlsCell::of(QStringLiteral("20261209101530")), XlsCell::of(QStringLiteral("007"))},
                {XlsCell::of(QStringLiteral("20261209101531")), XlsCell::of(QStringLiteral("1e5"))}}
        << QList<int>{3};
    QTest::newRow("empty cells and an empty row")
        << header
        << Rows{{XlsCell::empty(), XlsCell::of(QStringLiteral("B")), XlsCell::empty()},
                {},
                {XlsCell::of(QString()), XlsCell::empty(), XlsCell::of(1.0)},
                {XlsCell::of(QStringLiteral("只有第一列"))}}
        << QList<int>{5};
    QTest::newRow("header only") << header << Rows{} << QList<int>{1};
    QTest::newRow("nothing at all") << QStringList{} << Rows{} << QList<int>{0};
    QTest::newRow("no header") << QStringList{} << Rows{{XlsCell::of(1.0), XlsCell::of(QStringLiteral("x"))}}
                               << QList<int>{1};
    QTest::newRow("texts at the cell limit, split over CONTINUE records")
        << QStringList{QStringLiteral("备注")}
        << Rows{{XlsCell::of(QString(XlsWriter::MaxTextLength, QLatin1Char('a')))},
                {XlsCell::of(QString(XlsWriter::MaxTextLength, QChar(0x6C49)))},
                {XlsCell::of(QLatin1Char('x') + QStringLiteral("😀").repeated(XlsWriter::MaxTextLength / 2))},
                {XlsCell::of(QStringLiteral("😀").repeated(XlsWriter::MaxTextLength / 2))},
                {XlsCell::of(QStringLiteral("之后的短文字"))}}
        << QList<int>{6};
    QTest::newRow("65535 rows fill one sheet")
        << QStringList{QStringLiteral("序号"), QStringLiteral("说明")} << numberedRows(XlsWriter::RowsPerSheet)
        << QList<int>{XlsWriter::RowsPerSheet + 1};
    QTest::newRow("65536 rows spill into a second sheet with the header")
        << QStringList{QStringLiteral("序号"), QStringLiteral("说明")} << numberedRows(XlsWriter::RowsPerSheet + 1)
        << QList<int>{XlsWriter::RowsPerSheet + 1, 2};
    // Over 7 MB, so the compound file needs more FAT sectors than its header lists.
    QTest::newRow("100000 sales rows") << QStringList{QStringLiteral("单号"),   QStringLiteral("商品"),
                                                      QStringLiteral("数量"),   QStringLiteral("金额"),
                                                      QStringLiteral("收银员"), QStringLiteral("序号")}
                                       << salesRows(100000)
                                       << QList<int>{XlsWriter::RowsPerSheet + 1, 100000 - XlsWriter::RowsPerSheet + 1};
}

void TestRecordsXlsWriter::roundTrip()
{
    QFETCH(QStringList, header);
    QFETCH(Rows, rows);
    QFETCH(QList<int>, sheetRows);
    const QString path = m_dir.filePath(QStringLiteral("roundtrip.xls"));

    writeWorkbook(path, header, rows);

    const ReadBack book = readWithXlrd(path);
    QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
    QCOMPARE(sheetRowCounts(book.sheets), sheetRows);
    const QString difference = workbookDifference(book.sheets, header, rows);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestRecordsXlsWriter::rejectedRowLeavesTheOthers_data()
{
    QTest::addColumn<QVector<XlsCell>>("badRow");
    QTest::addColumn<QString>("messagePart");

    QTest::newRow("text over the cell limit")
        << QVector<XlsCell>{XlsCell::of(1.0), XlsCell::of(QString(XlsWriter::MaxTextLength + 1, QChar(0x6C49)))}
        << QStringLiteral("第 2 行第 2 列的文字有 32768 个字符");
    QTest::newRow("not a number") << QVector<XlsCell>{XlsCell::of(std::nan(""))}
                                  << QStringLiteral("第 2 行第 1 列不是有效的数值");
    QTest::newRow("infinity") << QVector<XlsCell>{XlsCell::empty(),
                                                  XlsCell::of(std::numeric_limits<double>::infinity())}
                              << QStringLiteral("第 2 行第 2 列不是有效的数值");
    QTest::newRow("too many columns") << QVector<XlsCell>(XlsWriter::MaxColumns + 1, XlsCell::of(1.0))
                                      << QStringLiteral("第 2 行有 257 列");
}

void TestRecordsXlsWriter::rejectedRowLeavesTheOthers()
{
    QFETCH(QVector<XlsCell>, badRow);
    QFETCH(QString, messagePart);
    const QString path = m_dir.filePath(QStringLiteral("rejected.xls"));
    const Rows good = {{XlsCell::of(QStringLiteral("前")), XlsCell::of(1.0)},
                       {XlsCell::of(QStringLiteral("后")), XlsCell::of(2.0)}};

    XlsWriter writer(path);
    writer.setHeader({QStringLiteral("名称"), QStringLiteral("数量")});
    writer.addRow(good.at(0));
    const auto error = errorOf([&] { writer.addRow(badRow); });
    QVERIFY(error.has_value());
    QVERIFY2(error->message().contains(messagePart), qPrintable(error->message()));
    writer.addRow(good.at(1));
    writer.finish();

    const ReadBack book = readWithXlrd(path);
    QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
    const QString difference = workbookDifference(book.sheets, {QStringLiteral("名称"), QStringLiteral("数量")}, good);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestRecordsXlsWriter::rejectsBadHeader()
{
    XlsWriter writer(m_dir.filePath(QStringLiteral("header.xls")));
    QVERIFY_THROWS_EXCEPTION(core::Error,
                             writer.setHeader(QStringList(XlsWriter::MaxColumns + 1, QStringLiteral("列"))));
    QVERIFY_THROWS_EXCEPTION(core::Error, writer.setHeader({QString(XlsWriter::MaxTextLength + 1, QLatin1Char('h'))}));
    writer.setHeader({QStringLiteral("名称")});
    writer.addRow({XlsCell::of(QStringLiteral("可乐"))});
    // Rows already written have their row numbers; a header now would overwrite the first of them.
    QVERIFY_THROWS_EXCEPTION(core::Error, writer.setHeader({QStringLiteral("另一个")}));
}

void TestRecordsXlsWriter::unwritablePath_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<int>("rowCount"); // enough rows make the writer spool to disk before finish()

    QTest::newRow("missing folder, few rows") << QStringLiteral("missing/sub/out.xls") << 3;
    QTest::newRow("missing folder, many rows") << QStringLiteral("missing/sub/out.xls") << 5000;
    QTest::newRow("path is a folder, few rows") << QStringLiteral("taken") << 3;
    QTest::newRow("path is a folder, many rows") << QStringLiteral("taken") << 5000;
}

void TestRecordsXlsWriter::unwritablePath()
{
    QFETCH(QString, relativePath);
    QFETCH(int, rowCount);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken")));
    const QString path = dir.filePath(relativePath);
    const QStringList before = folderEntries(dir.path());

    const auto error = errorOf([&] { writeWorkbook(path, {QStringLiteral("单号")}, salesRows(rowCount)); });

    QVERIFY(error.has_value());
    QVERIFY2(error->message().contains(QDir::toNativeSeparators(path)), qPrintable(error->message()));
    QVERIFY2(!error->message().section(QStringLiteral("："), -1).trimmed().isEmpty(), qPrintable(error->message()));
    QCOMPARE(folderEntries(dir.path()), before);
    QVERIFY(QFileInfo(path).isDir() || !QFileInfo::exists(path));
    QVERIFY(folderEntries(dir.filePath(QStringLiteral("taken"))).isEmpty());
}

void TestRecordsXlsWriter::replacesExistingFileOnlyOnFinish()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("销售记录.xls"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("previous export");
    old.close();
    const Rows rows = salesRows(5000); // enough to be spooled to disk before finish()
    const QStringList header = {QStringLiteral("单号")};

    {
        XlsWriter abandoned(path);
        abandoned.setHeader(header);
        for (const QVector<XlsCell>& row : rows)
            abandoned.addRow(row);
        QCOMPARE(QFileInfo(path).size(), qint64(15));
    }
    QCOMPARE(folderEntries(dir.path()), QStringList{QStringLiteral("销售记录.xls")});
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("previous export"));
    old.close();

    writeWorkbook(path, header, rows);

    QCOMPARE(folderEntries(dir.path()), QStringList{QStringLiteral("销售记录.xls")});
    const ReadBack book = readWithXlrd(path);
    QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
    const QString difference = workbookDifference(book.sheets, header, rows);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestRecordsXlsWriter::libreOfficeReadsIt()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        QSKIP("LibreOffice (soffice) is not installed; the cross-check with another reader is skipped");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("export.xls"));
    writeWorkbook(
        path, {QStringLiteral("单号"), QStringLiteral("商品"), QStringLiteral("金额")},
        {{XlsCell::of(QStringLiteral("20261209101530")), XlsCell::of(QStringLiteral("可乐😀")), XlsCell::of(31.87)}});

    QProcess office;
    office.start(soffice, {QStringLiteral("--headless"), QStringLiteral("-env:UserInstallation=file://") + dir.path(),
                           QStringLiteral("--convert-to"), QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"),
                           QStringLiteral("--outdir"), dir.path(), path});
    QVERIFY(office.waitForFinished(120000));
    QFile csv(dir.filePath(QStringLiteral("export.csv")));
    QVERIFY2(csv.open(QIODevice::ReadOnly), qPrintable(office.readAllStandardError()));
    const QStringList lines = QString::fromUtf8(csv.readAll())
                                  .remove(QLatin1Char('"'))
                                  .split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
    QCOMPARE(lines, (QStringList{QStringLiteral("单号,商品,金额"), QStringLiteral("20261209101530,可乐😀,31.87")}));
}

QTEST_GUILESS_MAIN(TestRecordsXlsWriter)
#include "test_records_xlswriter.moc"
