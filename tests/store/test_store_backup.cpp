#include "core/Error.h"
#include "store/Backup.h"
#include "store/Connection.h"
#include "support/FileSizeLimit.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>
#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>

using namespace store;
using testsupport::TestDatabase;

namespace {

// Rows of a query on any database file, columns joined by '|'; opened read-only so that
// reading a backup can never change it.
QStringList rowsOf(const QString& file, const QString& sql)
{
    sqlite3* db = nullptr;
    QStringList rows;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                QStringList columns;
                for (int c = 0; c < sqlite3_column_count(statement); ++c)
                    columns << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)));
                rows << columns.join(QLatin1Char('|'));
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return rows;
}

QDateTime at(const QString& stamp)
{
    return QDateTime::fromString(stamp, QStringLiteral("yyyyMMdd-HHmmss"));
}

QStringList names(const QStringList& paths)
{
    QStringList result;
    for (const QString& path : paths)
        result << QFileInfo(path).fileName();
    return result;
}

} // namespace

class TestStoreBackup : public QObject
{
    Q_OBJECT

private slots:
    void copyHoldsCommittedRowsOnlyWhileAnotherConnectionWrites();
    void keepsTheNewestThirty_data();
    void keepsTheNewestThirty();
    void sameSecondReplacesItsCopy();
    void daysAreToldByName();
    void failureLeavesNothingHalfMadeAndKeepsEarlierBackups_data();
    void failureLeavesNothingHalfMadeAndKeepsEarlierBackups();
    void restoredBackupIsUsedAndAForeignFileRefused();
};

void TestStoreBackup::copyHoldsCommittedRowsOnlyWhileAnotherConnectionWrites()
{
    TestDatabase db;
    db.exec("INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) VALUES ('20261201080000', '2026-12-01 08:00:00', 1, 2, 2, 'admin')");
    Connection writer("writer");
    writer.open();
    // Committed but still only in the write-ahead log of the open connection: a plain copy of the
    // file would miss it.
    writer.execute("INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) VALUES ('20261201083000', "
                   "'2026-12-01 08:30:00', 1, 2, 2, 'admin')");
    {
        Transaction open(writer);
        writer.execute("INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) VALUES ('20261201090000', "
                       "'2026-12-01 09:00:00', 1, 2, 2, 'admin')");
        const QString folder = backup::folderFor(db.path());
        const QString copy = backup::makeBackup(db.path(), folder, at("20261201-090001"));
        QCOMPARE(copy, QDir(db.folder()).filePath("备份/data-20261201-090001.mdb"));
        QCOMPARE(rowsOf(copy, "SELECT 单号 FROM xstj"), QStringList({"20261201080000", "20261201083000"}));
        QCOMPARE(rowsOf(copy, "PRAGMA integrity_check"), QStringList({"ok"}));
        // One file on its own: no journal beside it is needed to read it.
        QCOMPARE(rowsOf(copy, "PRAGMA journal_mode"), QStringList({"delete"}));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({"data-20261201-090001.mdb"}));
        open.commit();
    }
    // The writer was never held up, and a later copy has the committed row.
    QCOMPARE(db.scalar("SELECT count(*) FROM xstj"), QString("3"));
    const QString later = backup::makeBackup(db.path(), backup::folderFor(db.path()), at("20261201-090002"));
    QCOMPARE(rowsOf(later, "SELECT count(*) FROM xstj"), QStringList({"3"}));
}

void TestStoreBackup::keepsTheNewestThirty_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("oldestKept");
    // Backups are made one a day from 2026-11-01 on, then one more on 2026-12-31.
    QTest::newRow("first") << 0 << 1 << "data-20261231-180000.mdb";
    QTest::newRow("the thirtieth") << 29 << 30 << "data-20261101-180000.mdb";
    QTest::newRow("the thirty-first removes the oldest") << 30 << 30 << "data-20261102-180000.mdb";
    QTest::newRow("a folder over the limit is brought back to it") << 34 << 30 << "data-20261106-180000.mdb";
}

void TestStoreBackup::keepsTheNewestThirty()
{
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(QString, oldestKept);
    TestDatabase db;
    const QString folder = backup::folderFor(db.path());
    QVERIFY(QDir().mkpath(folder));
    for (int day = 0; day < before; ++day) {
        const QString name = backup::fileNameFor(QDateTime(QDate(2026, 11, 1).addDays(day), QTime(18, 0)));
        QVERIFY(QFile::copy(db.path(), QDir(folder).filePath(name)));
    }
    // Files that are not backups by name are the shopkeeper's, never removed.
    for (const QString other : {"data-old.mdb", "notes.txt", "data-20261101-180000.mdb.bak"}) {
        QFile file(QDir(folder).filePath(other));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    backup::makeBackup(db.path(), folder, at("20261231-180000"));
    const QStringList kept = names(backup::backupsIn(folder));
    QCOMPARE(kept.size(), after);
    QCOMPARE(kept.first(), oldestKept);
    QCOMPARE(kept.last(), QString("data-20261231-180000.mdb"));
    QVERIFY(QFileInfo::exists(QDir(folder).filePath("data-old.mdb")));
    QVERIFY(QFileInfo::exists(QDir(folder).filePath("notes.txt")));
    QVERIFY(QFileInfo::exists(QDir(folder).filePath("data-20261101-180000.mdb.bak")));
}

void TestStoreBackup::sameSecondReplacesItsCopy()
{
    TestDatabase db;
    const QString folder = backup::folderFor(db.path());
    backup::makeBackup(db.path(), folder, at("20261201-120000"));
    db.exec("INSERT INTO spxx (品名, 单价) VALUES ('梨', 4)");
    const QString copy = backup::makeBackup(db.path(), folder, at("20261201-120000"));
    QCOMPARE(backup::backupsIn(folder), QStringList({copy}));
    QCOMPARE(rowsOf(copy, "SELECT 品名 FROM spxx"), QStringList({"梨"}));
}

void TestStoreBackup::daysAreToldByName()
{
    TestDatabase db;
    const QString folder = backup::folderFor(db.path());
    QVERIFY(!backup::hasBackupOf(folder, QDate(2026, 12, 9))); // no folder yet
    backup::makeBackup(db.path(), folder, at("20261209-235959"));
    QVERIFY(backup::hasBackupOf(folder, QDate(2026, 12, 9)));
    QVERIFY(!backup::hasBackupOf(folder, QDate(2026, 12, 10)));
    QVERIFY(!backup::hasBackupOf(folder, QDate(2026, 12, 8)));
}

void TestStoreBackup::failureLeavesNothingHalfMadeAndKeepsEarlierBackups_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("said");
    QTest::newRow("a file where the folder should be") << "file" << "无法建立备份文件夹";
    QTest::newRow("disk full") << "full" << "无法写入备份文件";
    QTest::newRow("folder not writable") << "readonly" << "文件夹不能写入";
    QTest::newRow("data file gone") << "missing" << "无法读取数据库文件";
}

void TestStoreBackup::failureLeavesNothingHalfMadeAndKeepsEarlierBackups()
{
    QFETCH(QString, fault);
    QFETCH(QString, said);
    TestDatabase db;
    // Enough rows that the copy needs more than the first few pages.
    db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "INSERT INTO xsmx (单号, 品名, 数量) SELECT printf('%014d', i), '商品' || i, i FROM n");
    QString folder = backup::folderFor(db.path());
    const QString earlier = backup::makeBackup(db.path(), folder, at("20261201-080000"));
    const QByteArray earlierBytes = [&] {
        QFile file(earlier);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    QString source = db.path();
    if (fault == "file") {
        folder = QDir(db.folder()).filePath("elsewhere");
        QFile file(folder);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    if (fault == "readonly") {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders; the other rows cover the failure path");
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    }
    if (fault == "missing")
        source = QDir(db.folder()).filePath("gone.mdb");
    {
        std::optional<testsupport::FileSizeLimit> limit;
        if (fault == "full")
            limit.emplace(QFileInfo(db.path()).size() / 2);
        try {
            backup::makeBackup(source, folder, at("20261201-170000"));
            QFAIL("the backup was said to be made");
        } catch (const Error& error) {
            QVERIFY2(error.message().contains(said), qPrintable(error.message()));
            QVERIFY2(error.message().contains(QDir::toNativeSeparators(folder)) ||
                         error.message().contains(QDir::toNativeSeparators(source)),
                     qPrintable(error.message()));
        }
    }
    QFile::setPermissions(backup::folderFor(db.path()), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(QDir(backup::folderFor(db.path())).entryList(QDir::Files | QDir::Hidden),
             QStringList({"data-20261201-080000.mdb"}));
    QFile file(earlier);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), earlierBytes);
    QVERIFY(!QFileInfo::exists(source + "-journal"));
}

// The restore the help describes: program closed, the backup copied over data.mdb, data.mdb-wal
// removed. A file that is not this program's database is refused at start, naming the file.
void TestStoreBackup::restoredBackupIsUsedAndAForeignFileRefused()
{
    TestDatabase db;
    db.exec("INSERT INTO spxx (品名, 单价) VALUES ('苹果', 2.5)");
    const QString copy = backup::makeBackup(db.path(), backup::folderFor(db.path()), at("20261201-080000"));
    db.exec("DELETE FROM spxx");
    QVERIFY(QFile::remove(db.path()));
    QFile::remove(db.path() + "-wal");
    QVERIFY(QFile::copy(copy, db.path()));
    {
        Connection restored("restored");
        verifyDatabase(restored);
    }
    QCOMPARE(db.scalar("SELECT 品名 FROM spxx"), QString("苹果"));

    QVERIFY(QFile::remove(db.path()));
    QFile::remove(db.path() + "-wal");
    QFile::remove(db.path() + "-shm");
    {
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(db.path()).constData(), &other), SQLITE_OK);
        sqlite3_exec(other, "CREATE TABLE accounts (id INTEGER)", nullptr, nullptr, nullptr);
        sqlite3_close(other);
    }
    Connection foreign("foreign");
    try {
        verifyDatabase(foreign);
        QFAIL("a database of another program was accepted");
    } catch (const Error& error) {
        QVERIFY2(error.message().contains(QDir::toNativeSeparators(db.path())), qPrintable(error.message()));
        QVERIFY2(error.message().contains("xstj"), qPrintable(error.message()));
    }
}

QTEST_GUILESS_MAIN(TestStoreBackup)
#include "test_store_backup.moc"
