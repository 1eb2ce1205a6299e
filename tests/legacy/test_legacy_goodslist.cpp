// Goods lists from spreadsheets: CSV in each encoding a shop's office software writes, .xls as
// our own export writes it, .xlsx; the columns found by their headers, the errors of each row,
// and what the import adds and updates.
#include "legacy/GoodsList.h"
#include "records/XlsWriter.h"
#include "store/Connection.h"
#include "core/Error.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using legacy::GoodsRow;
using testsupport::TestDatabase;

namespace {

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

// "line:name|price|barcode|error" for each row.
QStringList shown(const QList<GoodsRow>& rows)
{
    QStringList texts;
    for (const GoodsRow& row : rows)
        texts << QStringLiteral("%1:%2|%3|%4|%5").arg(row.line).arg(row.name, row.price, row.barcode, row.error);
    return texts;
}

const QString Goods = QStringLiteral("品名,单价,条码\r\n可口可乐,3.5,6901234567890\r\n\"花生, 散装\",12.5,\r\n䶮字饼,8,\r\n");
const QStringList GoodsShown = {"2:可口可乐|3.5|6901234567890|", "3:花生, 散装|12.5||", "4:䶮字饼|8||"};

} // namespace

class TestLegacyGoodsList : public QObject
{
    Q_OBJECT

private slots:
    void csvInEachEncoding_data();
    void csvInEachEncoding();
    void headersByAnyOfTheirNames_data();
    void headersByAnyOfTheirNames();
    void rowErrors();
    void xlsFromOurOwnExport();
    void xlsxFromOfficeSoftware();
    void unreadableFilesAreTold_data();
    void unreadableFilesAreTold();
    void importAddsAndUpdatesByBarcodeThenName();
};

void TestLegacyGoodsList::csvInEachEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QStringEncoder gb18030("GB18030");
    QStringEncoder gbk("GBK");
    QVERIFY(gb18030.isValid() && gbk.isValid());
    const QString gbkText = QString(Goods).replace(QStringLiteral("䶮"), QStringLiteral("月")); // GBK has no 䶮
    QTest::newRow("utf-8") << Goods.toUtf8();
    QTest::newRow("utf-8 with bom") << QByteArray("\xEF\xBB\xBF") + Goods.toUtf8();
    QTest::newRow("gbk") << QByteArray(gbk(gbkText));
    QTest::newRow("gb18030") << QByteArray(gb18030(Goods));
}

void TestLegacyGoodsList::csvInEachEncoding()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = write(dir, QStringLiteral("商品 列表.csv"), bytes);
    QStringList expected = GoodsShown;
    if (QString::fromLatin1(QTest::currentDataTag()) == QLatin1String("gbk"))
        expected[2] = QStringLiteral("4:月字饼|8||");
    QCOMPARE(shown(legacy::goodsRowsOf(legacy::readSheet(path))), expected);
}

void TestLegacyGoodsList::headersByAnyOfTheirNames_data()
{
    QTest::addColumn<QString>("csv");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("商品名称 售价 条形码") << "序号,商品名称,售价,条形码\n1,梨,4,123\n" << QStringList{"2:梨|4|123|"};
    QTest::newRow("名称 价格, blank rows first") << "\n,\n名称,价格\n苹果,5\n\n香蕉,\n" << QStringList{"4:苹果|5||", "6:香蕉|||"};
    QTest::newRow("name only") << " 品名 \n桃\n" << QStringList{"2:桃|||"};
}

void TestLegacyGoodsList::headersByAnyOfTheirNames()
{
    QFETCH(QString, csv);
    QFETCH(QStringList, rows);
    QCOMPARE(shown(legacy::goodsRowsOf(legacy::parseCsv(csv))), rows);
}

void TestLegacyGoodsList::rowErrors()
{
    const QString csv = QStringLiteral("品名,单价,条码\n"
                                       "苹果,5,111\n"
                                       ",3,\n"
                                       "梨,abc,\n"
                                       "桃,-1,\n"
                                       "橙,2,111\n"
                                       "李,1.2.3,%1\n"
                                       "枣,,222\n")
                            .arg(QString(33, QLatin1Char('9')));
    QCOMPARE(shown(legacy::goodsRowsOf(legacy::parseCsv(csv))),
             QStringList({"2:苹果|5|111|", "3:|3||品名为空", "4:梨|abc||单价“abc”不是有效的价格",
                          "5:桃|-1||单价“-1”不是有效的价格", "6:橙|2|111|条码与第 2 行重复",
                          QStringLiteral("7:李|1.2.3|%1|单价“1.2.3”不是有效的价格；条码超过 32 个字符")
                              .arg(QString(33, QLatin1Char('9'))),
                          "8:枣||222|"}));
}

void TestLegacyGoodsList::xlsFromOurOwnExport()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("导出 商品.xls"));
    {
        records::XlsWriter writer(path);
        writer.setHeader({QStringLiteral("品名"), QStringLiteral("单价"), QStringLiteral("条码")});
        writer.addRow({records::XlsCell::of(QStringLiteral("可口可乐")), records::XlsCell::of(3.5),
                       records::XlsCell::of(QStringLiteral("6901234567890"))});
        writer.addRow({records::XlsCell::of(QStringLiteral("赠品")), records::XlsCell::empty(), records::XlsCell::empty()});
        writer.addRow({records::XlsCell::of(QStringLiteral("礼盒")), records::XlsCell::of(1288), records::XlsCell::of(42)});
        writer.finish();
    }
    QCOMPARE(shown(legacy::goodsRowsOf(legacy::readSheet(path))),
             QStringList({"2:可口可乐|3.5|6901234567890|", "3:赠品|||", "4:礼盒|1288|42|"}));
}

void TestLegacyGoodsList::xlsxFromOfficeSoftware()
{
    QTemporaryDir dir;
    const QString csv = write(dir, QStringLiteral("goods.csv"), Goods.toUtf8());
    QProcess office;
    office.setWorkingDirectory(dir.path());
    office.start(QStringLiteral("soffice"),
                 {"--headless", "-env:UserInstallation=file://" + dir.filePath("profile"), "--infilter=CSV:44,34,76",
                  "--convert-to", "xlsx", "--outdir", dir.path(), csv});
    QVERIFY2(office.waitForFinished(180000), "soffice did not finish");
    const QString xlsx = dir.filePath(QStringLiteral("goods.xlsx"));
    QVERIFY2(QFile::exists(xlsx), office.readAllStandardError().constData());
    QCOMPARE(shown(legacy::goodsRowsOf(legacy::readSheet(xlsx))), GoodsShown);
}

void TestLegacyGoodsList::unreadableFilesAreTold_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("not a workbook") << "a.xls" << QByteArray("品名,单价\n") << "不是 Excel 97-2003 工作簿";
    QTest::newRow("not a zip") << "a.xlsx" << QByteArray("品名,单价\n") << "不是 Excel 工作簿（.xlsx）";
    QTest::newRow("other kind") << "a.txt" << QByteArray("品名,单价\n") << "只能导入 .csv、.xls 和 .xlsx 文件";
    QTest::newRow("no name column") << "a.csv" << QByteArray("单价,条码\n1,2\n") << "找不到品名列";
    QTest::newRow("binary") << "a.csv" << QByteArray("\x81\x20\xFF\xFE\x00", 5).repeated(3) << "编码";
}

void TestLegacyGoodsList::unreadableFilesAreTold()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QTemporaryDir dir;
    try {
        legacy::goodsRowsOf(legacy::readSheet(write(dir, name, bytes)));
        QFAIL("the file was read");
    } catch (const store::Error& error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
}

void TestLegacyGoodsList::importAddsAndUpdatesByBarcodeThenName()
{
    TestDatabase db;
    db.exec("INSERT INTO spxx (品名, 单价, 条码) VALUES ('苹果', 5, '111'), ('梨', 3, NULL), ('梨', 3.5, NULL), "
            "('桃', 7, NULL)");
    const QList<GoodsRow> rows = legacy::goodsRowsOf(legacy::parseCsv(QStringLiteral("品名,单价,条码\n"
                                                                                      "红苹果,6,111\n"
                                                                                      "梨,4,222\n"
                                                                                      "桃,,\n"
                                                                                      "香蕉,2,\n"
                                                                                      "坏,x,\n")));
    store::Connection connection(QStringLiteral("test"));
    const legacy::GoodsImportCounts counts = legacy::importGoods(connection, rows);
    QCOMPARE(legacy::describe(counts), QStringLiteral("新增商品 1 种、更新 3 种，有错的 1 行未导入"));
    QCOMPARE(db.rows("SELECT 品名, 单价, coalesce(条码, '-') FROM spxx ORDER BY rowid"),
             QStringList({"红苹果|6.0|111", "梨|4.0|222", "梨|3.5|-", "桃|7.0|-", "香蕉|2.0|-"}));
}

QTEST_MAIN(TestLegacyGoodsList)
#include "test_legacy_goodslist.moc"
