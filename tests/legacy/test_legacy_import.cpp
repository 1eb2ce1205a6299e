// The old program's data.mdb brought in: every row as it should arrive, a second import adding
// nothing, what a cancelled or killed import leaves, and the files refused before anything is read.
#include "legacy/LegacyFile.h"
#include "legacy/LegacyImport.h"
#include "store/Connection.h"
#include "core/Error.h"
#include "store/Passwords.h"
#include "support/ShellFixture.h"
#include "support/TestDatabase.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::TestDatabase;

namespace {

const QString Fixture = QStringLiteral(QUORVEL_SOURCE_DIR "/tests/legacy/data/legacy-small.mdb");
const QString FixtureRows = QStringLiteral(QUORVEL_SOURCE_DIR "/tests/legacy/data/legacy-small.json");

QByteArray digestOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

legacy::ImportCounts importAll(const QString& path, legacy::ImportChoices choices = {true, true})
{
    legacy::LegacyFile file(path);
    store::Connection connection(QStringLiteral("test"));
    connection.open();
    legacy::LegacyImport import(file, connection, choices);
    while (import.step(std::chrono::milliseconds(20))) {
    }
    return import.commit();
}

// The fixture's rows of a table, each as the test database's rows() shows them ('|'-joined,
// NULL as "<null>"), numbers as sqlite prints a REAL with 17 digits.
QStringList fixtureRows(const QString& table)
{
    QFile file(FixtureRows);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonArray tables = QJsonDocument::fromJson(file.readAll()).object().value("tables").toArray();
    QStringList rows;
    for (const QJsonValue& t : tables) {
        if (t.toObject().value("name").toString() != table)
            continue;
        for (const QJsonValue& row : t.toObject().value("rows").toArray()) {
            QStringList values;
            for (const QJsonValue& value : row.toArray()) {
                if (value.isNull())
                    values << QStringLiteral("<null>");
                else if (value.isDouble())
                    values << QString::number(value.toDouble(), 'g', 17);
                else
                    values << value.toString();
            }
            rows << values.join(QLatin1Char('|'));
        }
    }
    return rows;
}

// Rows of the store in the same form.
QStringList storedRows(const TestDatabase& db, const QString& table, const QStringList& columns)
{
    QStringList shown;
    for (const QString& column : columns)
        shown << QStringLiteral("CASE WHEN %1 IS NULL THEN '<null>' WHEN typeof(%1) = 'real' THEN 'R:' || printf('%!.17g', %1) "
                                "ELSE %1 END")
                     .arg(column);
    QStringList rows;
    for (const QString& row : db.rows(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(shown.join(", "), table))) {
        QStringList values = row.split(QLatin1Char('|'));
        for (QString& value : values)
            if (value.startsWith(QStringLiteral("R:")))
                value = QString::number(value.mid(2).toDouble(), 'g', 17);
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

const QStringList SaleColumns = {"单号", "时间", "数量", "金额", "折后", "收银员"};
const QStringList LineColumns = {"单号", "时间", "客户", "电话", "品名", "单价", "数量", "金额", "折后"};

QString tableCounts(const TestDatabase& db)
{
    QStringList counts;
    for (const char* table : {"spxx", "username", "dynr", "id", "xstj", "xsmx", "xsxx"})
        counts << db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table)));
    return counts.join(QLatin1Char(','));
}

} // namespace

class TestLegacyImport : public QObject
{
    Q_OBJECT

private slots:
    void everyRowArrives();
    void previewTellsWhatTheFileHolds();
    void existingGoodsAndUsersKeepTheirs();
    void customisedPrintContentIsKeptUnlessChosen();
    void secondImportAddsNothing();
    void uncommittedImportLeavesHistory();
    void killedImportLeavesHistory();
    void wrongFilesAreRefused_data();
    void wrongFilesAreRefused();
    void fileOnPathWithBlanksAndChineseStaysUnchanged();
    void oldUserLogsInWithOldPassword();
};

void TestLegacyImport::everyRowArrives()
{
    TestDatabase db;
    const legacy::ImportCounts counts = importAll(Fixture);
    QCOMPARE(legacy::describe(counts),
             QStringLiteral("导入商品 8 种、用户 1 个、销售 5 单（明细 10 行），并导入了打印内容和打印设置"));

    // Goods merge by name: the second 农夫山泉 (2.5) stays behind; a NULL price stays NULL.
    QStringList goods = fixtureRows("spxx");
    goods.removeAt(6);
    QCOMPARE(storedRows(db, "spxx", {"品名", "单价"}), goods);
    QCOMPARE(db.scalar("SELECT typeof(单价) FROM spxx WHERE 品名 = '赠品购物袋'"), QStringLiteral("null"));
    QCOMPARE(db.scalar("SELECT max(length(品名)) FROM spxx"), QStringLiteral("255"));

    QCOMPARE(storedRows(db, "xstj", SaleColumns), fixtureRows("xstj"));
    QCOMPARE(storedRows(db, "xsmx", LineColumns), fixtureRows("xsmx"));
    // Empty texts arrive empty, not NULL; the line amount keeps all its digits.
    QCOMPARE(db.scalar("SELECT count(*) FROM xsmx WHERE 客户 = ''"), QStringLiteral("3"));
    QCOMPARE(db.scalar("SELECT count(*) FROM xsmx WHERE 客户 IS NULL OR 电话 IS NULL"), QStringLiteral("0"));
    QCOMPARE(db.scalar("SELECT count(*) FROM xsmx WHERE 金额 = 0.30000000000000004"), QStringLiteral("1"));

    QCOMPARE(db.rows("SELECT 店名, 备注 FROM dynr"), QStringList({"测试小店|欢迎光临\n谢谢惠顾，欢迎再来！"}));
    QCOMPARE(db.rows("SELECT pos, print, 客户, 电话 FROM id"), QStringList({"58|1|1|1"}));
    // The unprinted lines stay behind; admin is not doubled and keeps its empty password.
    QCOMPARE(db.scalar("SELECT count(*) FROM xsxx"), QStringLiteral("0"));
    QCOMPARE(db.rows("SELECT 用户名, 权限 FROM username ORDER BY rowid"), QStringList({"admin|管理员", "张三|普通用户"}));
    QCOMPARE(db.scalar("SELECT 密码 FROM username WHERE 用户名 = 'admin'"), QString());
    const QString hash = db.scalar("SELECT 密码 FROM username WHERE 用户名 = '张三'");
    QVERIFY(hash.startsWith(QStringLiteral("$argon2id$")));
    QVERIFY(store::verifyPassword(QStringLiteral("abc"), hash));
    QCOMPARE(db.scalar("PRAGMA integrity_check"), QStringLiteral("ok"));
}

void TestLegacyImport::previewTellsWhatTheFileHolds()
{
    TestDatabase db;
    legacy::LegacyFile file(Fixture);
    store::Connection connection(QStringLiteral("test"));
    connection.open();
    const legacy::LegacyPreview preview = legacy::previewOf(file, connection);
    QStringList counts;
    for (const auto& [table, rows] : preview.counts)
        counts << QStringLiteral("%1=%2").arg(table).arg(rows);
    QCOMPARE(counts, QStringList({"spxx=9", "xsxx=2", "dynr=1", "xstj=5", "xsmx=10", "id=1", "username=3"}));
    QCOMPARE(preview.firstSale, QStringLiteral("2019-03-01 09:30:15"));
    QCOMPARE(preview.lastSale, QStringLiteral("2019-12-31 12:00:00"));
    QCOMPARE(preview.shopName, QStringLiteral("测试小店"));
    QVERIFY(preview.printContentIsDelivered);
    QVERIFY(preview.printSettingsAreDelivered);
    // A preview writes nothing.
    QCOMPARE(tableCounts(db), QStringLiteral("0,1,1,1,0,0,0"));
}

void TestLegacyImport::existingGoodsAndUsersKeepTheirs()
{
    TestDatabase db;
    db.exec("INSERT INTO spxx (品名, 单价) VALUES ('农夫山泉', 9.9)");
    db.exec(QStringLiteral("INSERT INTO username VALUES ('张三', '%1', '管理员')").arg(store::hashPassword("mine")));
    const legacy::ImportCounts counts = importAll(Fixture);
    QCOMPARE(counts.goods, 7);
    QCOMPARE(counts.users, 0);
    QCOMPARE(db.rows("SELECT 单价 FROM spxx WHERE 品名 = '农夫山泉'"), QStringList({"9.9"}));
    QCOMPARE(db.rows("SELECT 权限 FROM username WHERE 用户名 = '张三'"), QStringList({"管理员"}));
    QVERIFY(store::verifyPassword("mine", db.scalar("SELECT 密码 FROM username WHERE 用户名 = '张三'")));
}

void TestLegacyImport::customisedPrintContentIsKeptUnlessChosen()
{
    TestDatabase db;
    db.exec("UPDATE dynr SET 店名 = '本店'");
    db.exec("UPDATE id SET pos = '76'");
    {
        legacy::LegacyFile file(Fixture);
        store::Connection connection(QStringLiteral("test"));
        connection.open();
        const legacy::LegacyPreview preview = legacy::previewOf(file, connection);
        QVERIFY(!preview.printContentIsDelivered);
        QVERIFY(!preview.printSettingsAreDelivered);
    }
    importAll(Fixture, {.printContent = false, .printSettings = true});
    QCOMPARE(db.scalar("SELECT 店名 FROM dynr"), QStringLiteral("本店"));
    QCOMPARE(db.scalar("SELECT pos FROM id"), QStringLiteral("58"));
}

void TestLegacyImport::secondImportAddsNothing()
{
    TestDatabase db;
    importAll(Fixture);
    const QString after = tableCounts(db);
    const QStringList lines = db.rows("SELECT * FROM xsmx ORDER BY rowid");
    const legacy::ImportCounts again = importAll(Fixture);
    QCOMPARE(legacy::describe(again), QStringLiteral("导入商品 0 种、用户 0 个、销售 0 单（明细 0 行），并导入了打印内容和打印设置"));
    QCOMPARE(tableCounts(db), after);
    QCOMPARE(db.rows("SELECT * FROM xsmx ORDER BY rowid"), lines);

    // Lines the statistics window cleared from a kept sale stay cleared.
    db.exec("DELETE FROM xsmx WHERE 单号 = '20190301093015'");
    QCOMPARE(importAll(Fixture).lines, 0);
}

void TestLegacyImport::uncommittedImportLeavesHistory()
{
    TestDatabase db;
    db.exec("INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) VALUES ('1', '2026-01-01 10:00:00', 1, 2, 2, 'admin')");
    const QString before = tableCounts(db);
    {
        legacy::LegacyFile file(Fixture);
        store::Connection connection(QStringLiteral("test"));
        connection.open();
        legacy::LegacyImport import(file, connection, {true, true});
        QVERIFY(!import.step(std::chrono::milliseconds(1000)));
        QCOMPARE(import.done(), import.total());
        QVERIFY(import.total() > 0);
    }
    QCOMPARE(tableCounts(db), before);
    QCOMPARE(db.scalar("SELECT 店名 FROM dynr"), QStringLiteral("Quorvel便利店"));
}

void TestLegacyImport::killedImportLeavesHistory()
{
    TestDatabase db;
    db.exec("INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) VALUES ('1', '2026-01-01 10:00:00', 1, 2, 2, 'admin')");
    const QStringList before = db.rows("SELECT * FROM xstj");
    const QString counts = tableCounts(db);
    QProcess helper;
    helper.setWorkingDirectory(db.folder());
    helper.start(QStringLiteral(QUORVEL_BINARY_DIR "/tests/helper_legacyimport"), {Fixture});
    QVERIFY(helper.waitForStarted());
    QVERIFY(helper.waitForReadyRead(60000));
    QVERIFY(helper.readAll().startsWith("written"));
    helper.kill();
    QVERIFY(helper.waitForFinished());
    QCOMPARE(db.rows("SELECT * FROM xstj"), before);
    QCOMPARE(tableCounts(db), counts);
    QCOMPARE(db.scalar("PRAGMA integrity_check"), QStringLiteral("ok"));
}

void TestLegacyImport::wrongFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QFile fixture(Fixture);
    QVERIFY(fixture.open(QIODevice::ReadOnly));
    const QByteArray jet = fixture.readAll();
    QByteArray withoutLines = jet;
    QCOMPARE(withoutLines.count("xsmx"), 1);
    withoutLines.replace("xsmx", "xsmz");
    QByteArray withoutCashier = jet;
    // The column's name is kept as UTF-16 in the table's definition.
    const QByteArray cashier = QByteArray(reinterpret_cast<const char*>(u"收银员"), 6);
    QVERIFY(withoutCashier.count(cashier) >= 1);
    withoutCashier.replace(cashier, QByteArray(reinterpret_cast<const char*>(u"收银人"), 6));
    QFile sqlite(QStringLiteral(QUORVEL_SOURCE_DIR "/tests/store/data/schema-v1.sql"));
    QVERIFY(sqlite.open(QIODevice::ReadOnly));
    const QString notJet = QStringLiteral("不是旧程序的数据库（Jet 4.0 格式的 data.mdb）");

    QTest::newRow("text") << QByteArray("单号,时间\n1,2\n").repeated(400) << notJet;
    QTest::newRow("empty") << QByteArray() << notJet;
    QTest::newRow("sqlite") << QByteArray("sqlite") << notJet; // replaced by a real file below
    QTest::newRow("truncated jet") << jet.left(4096) << notJet;
    QTest::newRow("without xsmx") << withoutLines << QStringLiteral("缺少表 xsmx");
    QTest::newRow("without a column") << withoutCashier << QStringLiteral("缺少列 xstj.收银员");
}

void TestLegacyImport::wrongFilesAreRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    TestDatabase db;
    const QString before = tableCounts(db);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.mdb"));
    if (content == "sqlite") {
        TestDatabase::createFromSchema(path);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    try {
        importAll(path);
        QFAIL("the file was taken");
    } catch (const store::Error& error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
    QCOMPARE(tableCounts(db), before);
}

void TestLegacyImport::fileOnPathWithBlanksAndChineseStaysUnchanged()
{
    TestDatabase db;
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("U盘 旧数据")));
    const QString path = dir.filePath(QStringLiteral("U盘 旧数据/老 data.mdb"));
    QVERIFY(QFile::copy(Fixture, path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray digest = digestOf(path);
    const QDateTime modified = QFileInfo(path).lastModified();
    QCOMPARE(importAll(path).sales, 5);
    QCOMPARE(digestOf(path), digest);
    QCOMPARE(QFileInfo(path).lastModified(), modified);
    QCOMPARE(QDir(dir.filePath(QStringLiteral("U盘 旧数据"))).entryList(QDir::Files), QStringList({"老 data.mdb"}));
}

void TestLegacyImport::oldUserLogsInWithOldPassword()
{
    testsupport::ShellFixture shell([](TestDatabase&) { importAll(Fixture); });
    QVERIFY(shell.logIn(QStringLiteral("张三"), QStringLiteral("abc")));
    testsupport::ShellFixture again([](TestDatabase&) { importAll(Fixture); });
    // The second 张三 of the old file did not come in: its password opens nothing.
    QVERIFY(!again.logIn(QStringLiteral("张三"), QStringLiteral("123456")));
}

QTEST_MAIN(TestLegacyImport)
#include "test_legacy_import.moc"
