#include "store/Catalogue.h"
#include "store/Connection.h"
#include "store/DayTotals.h"
#include "core/Error.h"
#include "store/Upgrades.h"
#include "support/FileSizeLimit.h"
#include "support/TestDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

using namespace store;
using testsupport::TestDatabase;

namespace {

const QDateTime UpgradeTime(QDate(2026, 12, 1), QTime(9, 30, 5));

QByteArray digestOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

int widthIn(const QString& createSql, const QString& column)
{
    const QRegularExpression check(QStringLiteral("length\\(%1\\)\\s*<=\\s*(\\d+)").arg(column));
    const QRegularExpressionMatch m = check.match(createSql);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

QStringList tablesOf(const QString& path)
{
    return TestDatabase::rowsOf(path, "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
                                      "ORDER BY name");
}

// Tables, columns in order with their kind, constraints and text widths, strictness and indexes:
// what two files must share to be the same schema, whatever statements made them.
QStringList schemaOf(const QString& path)
{
    QStringList seen;
    for (const QString& table : tablesOf(path)) {
        const QString sql =
            TestDatabase::rowsOf(path, QString("SELECT sql FROM sqlite_schema WHERE name = '%1'").arg(table)).join("");
        seen << table + " strict=" +
                    TestDatabase::rowsOf(path, QString("SELECT strict FROM pragma_table_list('%1')").arg(table))
                        .join("");
        for (const QString& column :
             TestDatabase::rowsOf(path, QString("SELECT name, type, \"notnull\", dflt_value, pk FROM "
                                                "pragma_table_info('%1') ORDER BY cid")
                                            .arg(table)))
            seen << table + "." + column + " width=" + QString::number(widthIn(sql, column.section('|', 0, 0)));
    }
    for (const QString& index : TestDatabase::rowsOf(
             path, "SELECT name, tbl_name, sql FROM sqlite_schema WHERE type = 'index' AND sql IS NOT NULL ORDER BY name"))
        seen << "index " + index.simplified();
    // The per-day totals are kept by triggers through views: those must be the same too.
    for (const QString& kept : TestDatabase::rowsOf(
             path, "SELECT type, name, sql FROM sqlite_schema WHERE type IN ('view', 'trigger') ORDER BY name"))
        seen << kept.simplified();
    return seen;
}

QString describeCatalogue()
{
    QStringList seen;
    for (const TableRules& table : schemaTables())
        for (const NamedRule& column : table.columns)
            seen << QString("%1.%2 %3 %4")
                        .arg(table.table, column.column, column.rule.isNumber ? "number" : "text")
                        .arg(column.rule.width);
    return seen.join('\n');
}

QString describeFile(const QString& path)
{
    QStringList seen;
    QStringList tables;
    for (const TableRules& table : schemaTables())
        tables << table.table;
    for (const QString& table : tables) {
        const QString sql =
            TestDatabase::rowsOf(path, QString("SELECT sql FROM sqlite_schema WHERE name = '%1'").arg(table)).join("");
        for (const QString& row :
             TestDatabase::rowsOf(path, QString("SELECT name, type FROM pragma_table_info('%1') ORDER BY cid").arg(table))) {
            const QString column = row.section('|', 0, 0);
            const QString type = row.section('|', 1);
            const bool number = type == "REAL" || type == "INTEGER";
            seen << QString("%1.%2 %3 %4").arg(table, column, number ? "number" : "text").arg(number ? 0 : widthIn(sql, column));
        }
    }
    return seen.join('\n');
}

// Every row of every table the first schema had, in a stable order.
QStringList firstVersionRows(const TestDatabase& db)
{
    QStringList rows;
    for (const char* table : {"spxx", "xsxx", "dynr", "xstj", "xsmx", "id", "username"})
        for (const QString& row : db.rows(QString("SELECT * FROM %1 ORDER BY rowid").arg(table)))
            rows << QString(table) + ":" + row;
    return rows;
}

void fillFirstVersion(const TestDatabase& db)
{
    db.exec("INSERT INTO spxx VALUES ('可乐', 3), ('苹果''s \"%_', 2.5), ('无价', NULL);"
            "INSERT INTO xstj VALUES ('20261130080000', '2026-11-30 08:00:00', 3, 9, 8.5, 'admin'),"
            "                        ('20261130080101', '2026-11-30 08:01:01', 1, 3, 3, '小王');"
            "INSERT INTO xsmx VALUES ('20261130080000', '2026-11-30 08:00:00', '', '', '可乐', 3, 3, 9, 8.5),"
            "                        ('20261130080101', '2026-11-30 08:01:01', NULL, NULL, '可乐', 3, 1, 3, 3);"
            "INSERT INTO xsxx (单号, 品名, 单价, 数量, 金额, 折后) VALUES ('x', '苹果', 2.5, 2, 5, 5);"
            "INSERT INTO username VALUES ('小王', '', '收银员');");
}

} // namespace

// An older data.mdb brought to the newest schema at start: a checked copy first, every step in one
// transaction, every row kept; a failure leaves the file as it was.
class TestStoreUpgrades : public QObject
{
    Q_OBJECT

private slots:
    void stepsAreNumberedInOrder();
    void catalogueDescribesTheSchemaFile();
    void upgradedFileHasTheNewestSchema();
    void upgradeKeepsEveryRowAndCopiesFirst();
    void newestFileIsLeftAlone();
    void failedStepLeavesTheFileAsItWas();
    void fullDiskLeavesTheFileAsItWas();
    void barcodesAreUniqueWhereGiven();
    void goodsTotalsAreSummedAfterTheStart();
};

void TestStoreUpgrades::stepsAreNumberedInOrder()
{
    int expected = 2;
    for (const UpgradeStep& step : upgradeSteps()) {
        QCOMPARE(step.version, expected++);
        QVERIFY(!step.what.isEmpty() && !step.statements.isEmpty());
    }
    TestDatabase db;
    QCOMPARE(db.scalar("PRAGMA user_version").toInt(), newestSchemaVersion());
}

void TestStoreUpgrades::catalogueDescribesTheSchemaFile()
{
    // Names, order, kinds and widths: the program checks files and values by this table.
    TestDatabase db;
    QCOMPARE(describeFile(db.path()), describeCatalogue());
    QStringList catalogued;
    for (const TableRules& table : schemaTables())
        catalogued << table.table;
    catalogued.sort();
    QCOMPARE(tablesOf(db.path()).join(','), catalogued.join(','));
}

void TestStoreUpgrades::upgradedFileHasTheNewestSchema()
{
    TestDatabase fresh;
    const QStringList newest = schemaOf(fresh.path());
    TestDatabase old(TestDatabase::Schema::First);
    QCOMPARE(old.scalar("PRAGMA user_version"), QString("1"));
    Connection c("test");
    upgradeDatabase(c, UpgradeTime);
    c.close();
    QCOMPARE(schemaOf(old.path()).join('\n'), newest.join('\n'));
    QCOMPARE(old.scalar("PRAGMA user_version").toInt(), newestSchemaVersion());
    QCOMPARE(old.scalar("PRAGMA integrity_check"), QString("ok"));
}

void TestStoreUpgrades::upgradeKeepsEveryRowAndCopiesFirst()
{
    TestDatabase db(TestDatabase::Schema::First);
    fillFirstVersion(db);
    const QStringList before = firstVersionRows(db);
    Connection c("test");
    const QString copy = upgradeDatabase(c, UpgradeTime);
    c.close();

    QCOMPARE(QFileInfo(copy).fileName(), QString("data-before-v%1-20261201-093005.mdb").arg(newestSchemaVersion()));
    QCOMPARE(QFileInfo(copy).absolutePath(), QDir(db.folder()).filePath("备份"));
    QCOMPARE(TestDatabase::rowsOf(copy, "PRAGMA user_version"), QStringList{"1"});
    QCOMPARE(TestDatabase::rowsOf(copy, "SELECT count(*) FROM xstj"), QStringList{"2"});

    QCOMPARE(firstVersionRows(db).size(), before.size());
    // The old columns come first, as they were; the new ones follow, empty.
    QCOMPARE(db.rows("SELECT 品名, 单价 FROM spxx ORDER BY rowid"),
             QStringList({"可乐|3.0", "苹果's \"%_|2.5", "无价|"}));
    QCOMPARE(db.scalar("SELECT count(*) FROM spxx WHERE 条码 IS NULL"), QString("3"));
    QCOMPARE(db.scalar("SELECT count(*) FROM xstj WHERE 原单号 IS NULL AND 授权人 IS NULL"), QString("2"));
    QCOMPARE(db.scalar("SELECT count(*) FROM xsmx WHERE 原行 IS NULL"), QString("2"));
    QCOMPARE(db.scalar("SELECT count(*) FROM xsfk"), QString("0")); // old sales count as cash
    // The per-day totals are filled from the history in the same step.
    QCOMPARE(db.rows("SELECT * FROM rtj ORDER BY 收银员"),
             QStringList({"2026-11-30|admin|0|1|3.0|9.0|8.5", "2026-11-30|小王|0|1|1.0|3.0|3.0"}));
    QCOMPARE(db.rows("SELECT * FROM rfk ORDER BY 收银员"),
             QStringList({"2026-11-30|admin|现金|1|850", "2026-11-30|小王|现金|1|300"}));
    const QHash<QString, QString> firstColumns = {
        {"xstj", "单号, 时间, 数量, 金额, 折后, 收银员"},
        {"xsmx", "单号, 时间, 客户, 电话, 品名, 单价, 数量, 金额, 折后"}};
    for (const char* table : {"xsxx", "dynr", "xstj", "xsmx", "id", "username"})
        QCOMPARE(db.rows(QString("SELECT %1 FROM %2 ORDER BY rowid").arg(firstColumns.value(table, "*"), table)),
                 before.filter(QRegularExpression(QString("^%1:").arg(table))).replaceInStrings(QRegularExpression("^[a-z]+:"), ""));
}

void TestStoreUpgrades::newestFileIsLeftAlone()
{
    TestDatabase db;
    const QByteArray before = digestOf(db.path());
    Connection c("test");
    QCOMPARE(upgradeDatabase(c, UpgradeTime), QString());
    c.close();
    QCOMPARE(digestOf(db.path()), before);
    QVERIFY(!QDir(db.folder()).exists("备份"));
}

void TestStoreUpgrades::failedStepLeavesTheFileAsItWas()
{
    TestDatabase db(TestDatabase::Schema::First);
    fillFirstVersion(db);
    // A table of that name already there: the step that makes it fails after earlier statements ran.
    db.exec("CREATE TABLE xtsz (x TEXT)");
    const QByteArray before = digestOf(db.path());
    Connection c("test");
    try {
        upgradeDatabase(c, UpgradeTime);
        QFAIL("a failing step was reported as an upgrade");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(QDir::toNativeSeparators(db.path())) && e.message().contains("xtsz") &&
                     e.message().contains("文件保持原样"),
                 qPrintable(e.message()));
    }
    c.close();
    QCOMPARE(digestOf(db.path()), before);
    QCOMPARE(db.scalar("PRAGMA user_version"), QString("1"));
    QCOMPARE(db.scalar("SELECT count(*) FROM pragma_table_info('spxx') WHERE name = '条码'"), QString("0"));
}

void TestStoreUpgrades::fullDiskLeavesTheFileAsItWas()
{
    TestDatabase db(TestDatabase::Schema::First);
    fillFirstVersion(db);
    const QByteArray before = digestOf(db.path());
    Connection c("test");
    c.open();
    {
        // The copy cannot be written in full: nothing is upgraded without it.
        testsupport::FileSizeLimit limit(4096);
        QVERIFY_THROWS_EXCEPTION(Error, upgradeDatabase(c, UpgradeTime));
    }
    c.close();
    QCOMPARE(digestOf(db.path()), before);
    QCOMPARE(QDir(db.folder() + "/备份").entryList(QDir::Files), QStringList());
}

void TestStoreUpgrades::barcodesAreUniqueWhereGiven()
{
    TestDatabase db;
    db.exec("INSERT INTO spxx VALUES ('a', 1, '6901234567892'), ('b', 1, NULL), ('c', 1, NULL), ('d', 1, ''), "
            "('e', 1, '')");
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, db.exec("INSERT INTO spxx VALUES ('f', 1, '6901234567892')"));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, db.exec(QString("INSERT INTO spxx VALUES ('g', 1, '%1')").arg(QString(33, '1'))));
    QCOMPARE(db.scalar("SELECT count(*) FROM spxx"), QString("5"));
}

// The upgrade only marks the lines already there; fillers sum them in slices afterwards, while
// new lines are counted by the triggers, and no line is counted twice or left out.
void TestStoreUpgrades::goodsTotalsAreSummedAfterTheStart()
{
    TestDatabase db(TestDatabase::Schema::First);
    fillFirstVersion(db);
    db.exec("INSERT INTO xsmx VALUES ('20261130080101', '2026-11-30 08:01:01', NULL, NULL, '苹果', 2.5, 2, 5, 4.99)");
    Connection c("test");
    upgradeDatabase(c, UpgradeTime);
    QCOMPARE(db.scalar("SELECT count(*) FROM rsp"), QString("0"));
    QCOMPARE(db.scalar("SELECT 值 FROM xtsz WHERE 项目 = '商品汇总待补'"), QString("1 3"));
    QVERIFY(dayTotalsDisagreements(c).isEmpty());

    db.exec("INSERT INTO xsmx (单号, 时间, 品名, 单价, 数量, 金额, 折后) VALUES "
            "('20261201100000', '2026-12-01 10:00:00', '可乐', 3, 2, 6, 6)");
    QVERIFY(fillPendingGoods(c, 2));
    QCOMPARE(pendingGoodsLines(c)->first, 3);
    QVERIFY(dayTotalsDisagreements(c).isEmpty());
    QVERIFY(!fillPendingGoods(c, 2));
    QVERIFY(!pendingGoodsLines(c));
    QVERIFY(!fillPendingGoods(c, 2));
    QCOMPARE(db.rows("SELECT * FROM rsp ORDER BY 日期, 品名"),
             QStringList({"2026-11-30|可乐|0|2|4.0|1150", "2026-11-30|苹果|0|1|2.0|499", "2026-12-01|可乐|0|1|2.0|600"}));
    QVERIFY(dayTotalsDisagreements(c).isEmpty());

    // A mark that cannot be read: what was summed is unknown, so the whole history is summed again.
    db.exec("INSERT INTO xtsz VALUES ('商品汇总待补', '?'); DELETE FROM rsp WHERE 品名 = '苹果'");
    QVERIFY(!fillPendingGoods(c, 2));
    QVERIFY(!pendingGoodsLines(c));
    QCOMPARE(db.scalar("SELECT sum(行数) FROM rsp"), QString("4"));
    QVERIFY(dayTotalsDisagreements(c).isEmpty());
}

QTEST_GUILESS_MAIN(TestStoreUpgrades)
#include "test_store_upgrades.moc"
