#include "store/Backup.h"
#include "store/Connection.h"
#include "core/Error.h"
#include "store/Restore.h"
#include "store/Upgrades.h"
#include "support/TestDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QtTest>
#include <sqlite3.h>

using namespace store;
using testsupport::TestDatabase;

namespace {

QByteArray digestOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void sell(const TestDatabase& db, const QString& number, const QString& time)
{
    db.exec(QString("INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) VALUES ('%1', '%2', 1, 2, 2, 'admin')")
                .arg(number, time));
    db.exec(QString("INSERT INTO xsmx (单号, 品名, 数量) VALUES ('%1', '苹果', 1)").arg(number));
}

void execOn(const QString& path, const char* sql)
{
    sqlite3* handle = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &handle);
    sqlite3_exec(handle, sql, nullptr, nullptr, nullptr);
    sqlite3_close(handle);
}

// Overwrites the middle of the file: the pages of the sale lines, not the header.
void damage(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    for (qint64 at = 4096 * 2; at < size; at += 4096 * 3) {
        file.seek(at + 100);
        file.write(QByteArray(200, '\x5a'));
    }
}

} // namespace

class TestStoreRestore : public QObject
{
    Q_OBJECT

private slots:
    void refusedCopyChangesNothing_data();
    void refusedCopyChangesNothing();
    void restoredCopyReplacesTheDataAndTheOldDataIsKept();
    void firstVersionCopyIsUpgraded();
    void copiesAreListedWithTheirSales();
};

void TestStoreRestore::refusedCopyChangesNothing_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("said");
    QTest::newRow("damaged pages") << "corrupt" << "完整性检查";
    QTest::newRow("cut short") << "truncated" << "完整性检查";
    QTest::newRow("a text file") << "text" << "不是本程序的数据文件";
    QTest::newRow("from a newer version") << "newer" << "更新版本";
    QTest::newRow("another program's database") << "foreign" << "不是本程序的数据文件";
    QTest::newRow("this program's tables, a column missing") << "column" << "列";
    QTest::newRow("no such file") << "missing" << "无法读取";
}

void TestStoreRestore::refusedCopyChangesNothing()
{
    QFETCH(QString, fault);
    QFETCH(QString, said);
    TestDatabase db;
    db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "INSERT INTO xsmx (单号, 品名, 数量) SELECT printf('%014d', i), '商品' || i, i FROM n");
    const QString copy =
        backup::makeBackup(db.path(), backup::folderFor(db.path()), QDateTime(QDate(2026, 12, 8), QTime(8, 0)));
    if (fault == "corrupt")
        damage(copy);
    if (fault == "truncated")
        QVERIFY(QFile::resize(copy, QFileInfo(copy).size() / 2));
    if (fault == "text") {
        QFile file(copy);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("营业额 2026-12-08\n");
    }
    if (fault == "newer")
        execOn(copy, "PRAGMA user_version = 99");
    if (fault == "foreign") {
        QVERIFY(QFile::remove(copy));
        execOn(copy, "CREATE TABLE accounts (id INTEGER); PRAGMA user_version = 1");
    }
    if (fault == "column")
        execOn(copy, "ALTER TABLE xsmx DROP COLUMN 电话"); // not 数量: the goods totals' triggers use it, so SQLite keeps it
    if (fault == "missing")
        QVERIFY(QFile::remove(copy));
    const QByteArray before = digestOf(db.path());
    try {
        restore::prepare(copy, db.path());
        QFAIL("the copy was accepted");
    } catch (const Error& error) {
        QVERIFY2(error.message().contains(said), qPrintable(error.message()));
        QVERIFY2(error.message().contains(QDir::toNativeSeparators(copy)), qPrintable(error.message()));
    }
    QCOMPARE(digestOf(db.path()), before);
    QVERIFY(QDir(db.folder()).entryList({"data.mdb.restore*"}, QDir::Files | QDir::Hidden).isEmpty());
    QVERIFY(QDir(backup::folderFor(db.path())).entryList({"data-before-restore-*"}, QDir::Files).isEmpty());
    QVERIFY_THROWS_EXCEPTION(Error, restore::replaceWithStaged(db.path()));
    QCOMPARE(digestOf(db.path()), before);
}

void TestStoreRestore::restoredCopyReplacesTheDataAndTheOldDataIsKept()
{
    TestDatabase db;
    sell(db, "20261208100000", "2026-12-08 10:00:00");
    const QString copy =
        backup::makeBackup(db.path(), backup::folderFor(db.path()), QDateTime(QDate(2026, 12, 8), QTime(20, 0)));
    sell(db, "20261209100000", "2026-12-09 10:00:00");
    // A connection in write-ahead mode wrote last and is closed: the log is folded in, not left to
    // be replayed onto the restored file.
    {
        Connection writer("writer");
        writer.open();
        writer.execute("UPDATE dynr SET 店名 = '今天的店名'");
    }
    const QString staged = restore::prepare(copy, db.path());
    QCOMPARE(staged, restore::stagedPathFor(db.path()));
    QCOMPARE(db.scalar("SELECT count(*) FROM xstj"), QString("2")); // nothing replaced yet
    const QString kept = restore::replaceWithStaged(db.path(), QDateTime(QDate(2026, 12, 9), QTime(18, 30)));
    QCOMPARE(QFileInfo(kept).fileName(), QString("data-before-restore-20261209-183000.mdb"));
    QCOMPARE(TestDatabase::rowsOf(kept, "SELECT count(*) FROM xstj"), QStringList({"2"}));
    QCOMPARE(TestDatabase::rowsOf(kept, "SELECT 店名 FROM dynr"), QStringList({"今天的店名"}));
    QVERIFY(!QFileInfo::exists(staged));
    QVERIFY(!QFileInfo::exists(db.path() + "-wal"));
    QCOMPARE(db.rows("SELECT 单号 FROM xstj"), QStringList({"20261208100000"}));
    Connection restored("restored");
    verifyDatabase(restored);
    QCOMPARE(db.scalar("PRAGMA integrity_check"), QString("ok"));
    // Kept out of the rotation, listed for a restore.
    QVERIFY(!backup::backupsIn(backup::folderFor(db.path())).contains(kept));
    QVERIFY(backup::allCopiesIn(backup::folderFor(db.path())).contains(kept));
}

void TestStoreRestore::firstVersionCopyIsUpgraded()
{
    TestDatabase old(TestDatabase::Schema::First);
    sell(old, "20250101100000", "2025-01-01 10:00:00");
    const QString copy = QDir(old.folder()).filePath("old-copy.mdb");
    QVERIFY(QFile::copy(old.path(), copy));
    TestDatabase db;
    restore::prepare(copy, db.path());
    restore::replaceWithStaged(db.path());
    QCOMPARE(db.scalar("PRAGMA user_version"), QString::number(newestSchemaVersion()));
    QCOMPARE(db.scalar("SELECT 单号 FROM xstj"), QString("20250101100000"));
    // No setting but the mark of the lines the goods totals have still to sum.
    QCOMPARE(db.rows("SELECT 项目 FROM xtsz"), QStringList({"商品汇总待补"}));
    Connection restored("restored");
    verifyDatabase(restored);
    // The copy chosen stays as it was.
    QCOMPARE(TestDatabase::rowsOf(copy, "PRAGMA user_version"), QStringList({"1"}));
}

void TestStoreRestore::copiesAreListedWithTheirSales()
{
    TestDatabase db;
    const QString folder = backup::folderFor(db.path());
    const QString empty = backup::makeBackup(db.path(), folder, QDateTime(QDate(2026, 12, 7), QTime(8, 0)));
    sell(db, "20261208100000", "2026-12-08 10:00:00");
    sell(db, "20261208113000", "2026-12-08 11:30:00");
    const QString two = backup::makeBackup(db.path(), folder, QDateTime(QDate(2026, 12, 8), QTime(20, 0)));
    const backup::CopyFacts none = backup::factsOf(empty);
    QCOMPARE(none.sales, 0);
    QCOMPARE(none.lastSale, QString());
    const backup::CopyFacts facts = backup::factsOf(two);
    QCOMPARE(facts.taken, QDateTime(QDate(2026, 12, 8), QTime(20, 0)));
    QCOMPARE(facts.sales, 2);
    QCOMPARE(facts.lastSale, QString("2026-12-08 11:30:00"));
    QCOMPARE(facts.bytes, QFileInfo(two).size());
    QCOMPARE(facts.version, newestSchemaVersion());
    // Reading the facts writes nothing beside the copy.
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

QTEST_GUILESS_MAIN(TestStoreRestore)
#include "test_store_restore.moc"
