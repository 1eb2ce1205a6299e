#include "core/Error.h"
#include "store/Backup.h"
#include "store/Connection.h"
#include "support/FileSizeLimit.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>
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
    void initTestCase();
    void copyHoldsCommittedRowsOnlyWhileAnotherConnectionWrites();
    void retentionOverFourHundredDays_data();
    void retentionOverFourHundredDays();
    void unchangedFileGetsNoCopy();
    void secondPlace_data();
    void secondPlace();
    void stepwiseCopyHoldsOneStateAndCanBeAbandoned();
    void sameSecondReplacesItsCopy();
    void daysAreToldByName();
    void failureLeavesNothingHalfMadeAndKeepsEarlierBackups_data();
    void failureLeavesNothingHalfMadeAndKeepsEarlierBackups();
    void restoredBackupIsUsedAndAForeignFileRefused();
};

void TestStoreBackup::initTestCase()
{
    // Hundreds of copies, each synced several times: on a memory file system a sync costs nothing.
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
}

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

void TestStoreBackup::retentionOverFourHundredDays_data()
{
    QTest::addColumn<int>("startsADay");
    QTest::addColumn<QString>("quietWeekday"); // a day with starts but no sale after the copy
    QTest::addColumn<QString>("awayFrom");     // days without any start
    QTest::addColumn<QString>("awayTo");
    QTest::addColumn<int>("copiesMade");
    QTest::addColumn<QString>("kept");
    // 400 days from 2025-11-05 to 2026-12-09, a sale after every start.
    const QString everyDay = "20260131 20260228 20260331 20260430 20260531 20260630 20260731 20260831 20260930 "
                             "20261031 20261122 20261129 20261130 20261203 20261204 20261205 20261206 20261207 "
                             "20261208 20261209";
    QTest::newRow("five starts a day make no extra copy") << 5 << "" << "" << "" << 400 << everyDay;
    // Nothing is sold on Sundays after their copy, so Monday finds the file unchanged.
    QTest::newRow("closed on Sundays after the copy")
        << 1 << "7" << "" << "" << 343
        << "20260131 20260228 20260331 20260430 20260531 20260630 20260731 20260830 20260930 20261031 20261122 "
           "20261129 20261202 20261203 20261204 20261205 20261206 20261208 20261209";
    QTest::newRow("a month away")
        << 2 << "" << "2026-11-01" << "2026-11-30" << 370
        << "20251231 20260131 20260228 20260331 20260430 20260531 20260630 20260731 20260831 20260930 20261025 "
           "20261031 20261203 20261204 20261205 20261206 20261207 20261208 20261209";
}

void TestStoreBackup::retentionOverFourHundredDays()
{
    QFETCH(int, startsADay);
    QFETCH(QString, quietWeekday);
    QFETCH(QString, awayFrom);
    QFETCH(QString, awayTo);
    QFETCH(int, copiesMade);
    QFETCH(QString, kept);
    TestDatabase db;
    const QString folder = backup::folderFor(db.path());
    // The copies made before an upgrade, a restore or an import are never the rotation's to remove.
    const QStringList keptApart = {"data-before-v2-20251105-070000.mdb", "data-before-restore-20251106-070000.mdb",
                                   "data-before-import-20251107-070000.mdb"};
    QVERIFY(QDir().mkpath(folder));
    for (const QString& name : keptApart)
        QVERIFY(QFile::copy(db.path(), QDir(folder).filePath(name)));
    const QDate first(2025, 11, 5);
    const QDate from = QDate::fromString(awayFrom, Qt::ISODate), to = QDate::fromString(awayTo, Qt::ISODate);
    int made = 0;
    for (QDate day = first; day < first.addDays(400); day = day.addDays(1)) {
        if (from.isValid() && day >= from && day <= to)
            continue;
        for (int start = 0; start < startsADay; ++start) {
            const backup::DailyResult result =
                backup::makeDailyCopies(db.path(), QString(), QDateTime(day, QTime(8 + start, 0)));
            QVERIFY2(result.here.kind != backup::PlaceResult::Kind::Failed, qPrintable(result.here.detail));
            made += result.here.kind == backup::PlaceResult::Kind::Made;
            if (QString::number(day.dayOfWeek()) != quietWeekday)
                db.exec(QString("INSERT INTO spxx (品名, 单价) VALUES ('%1-%2', 1)").arg(day.toString(Qt::ISODate)).arg(start));
        }
    }
    QCOMPARE(made, copiesMade);
    QStringList days;
    for (const QString& name : names(backup::backupsIn(folder)))
        days << name.mid(5, 8);
    QCOMPARE(days.join(' '), kept);
    for (const QString& name : keptApart)
        QVERIFY2(QFileInfo::exists(QDir(folder).filePath(name)), qPrintable(name));
}

void TestStoreBackup::unchangedFileGetsNoCopy()
{
    TestDatabase db;
    const QString folder = backup::folderFor(db.path());
    const auto run = [&](const QString& stamp) { return backup::makeDailyCopies(db.path(), QString(), at(stamp)).here; };
    QCOMPARE(run("20261201-080000").kind, backup::PlaceResult::Kind::Made);
    // Opened and read by the program, nothing written: no copy the next day.
    {
        Connection reader("reader");
        reader.open();
        verifyDatabase(reader);
    }
    QCOMPARE(run("20261202-080000").kind, backup::PlaceResult::Kind::UpToDate);
    QCOMPARE(backup::backupsIn(folder).size(), 1);
    // One committed change, by a connection in write-ahead mode that stays open: a copy again.
    Connection writer("writer");
    writer.open();
    writer.execute("UPDATE dynr SET 店名 = '新店名'");
    QCOMPARE(run("20261203-080000").kind, backup::PlaceResult::Kind::Made);
    QCOMPARE(rowsOf(backup::backupsIn(folder).last(), "SELECT 店名 FROM dynr"), QStringList({"新店名"}));
    writer.execute("UPDATE dynr SET 店名 = '又一个'");
    writer.close();
    QCOMPARE(run("20261204-080000").kind, backup::PlaceResult::Kind::Made);
    // A copy deleted by hand is not trusted to hold the state any more.
    for (const QString& path : backup::backupsIn(folder))
        QVERIFY(QFile::remove(path));
    QCOMPARE(run("20261205-080000").kind, backup::PlaceResult::Kind::Made);
}

void TestStoreBackup::secondPlace_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<int>("here");
    QTest::addColumn<int>("second");
    using Kind = backup::PlaceResult::Kind;
    QTest::newRow("a folder that is there") << "there" << int(Kind::Made) << int(Kind::Made);
    QTest::newRow("the stick is missing") << "missing" << int(Kind::Made) << int(Kind::Missing);
    QTest::newRow("the second place is full") << "full" << int(Kind::Made) << int(Kind::NoRoom);
    QTest::newRow("the data disk is full") << "here full" << int(Kind::NoRoom) << int(Kind::Made);
    QTest::newRow("a file where the folder should be") << "file" << int(Kind::Made) << int(Kind::Missing);
}

void TestStoreBackup::secondPlace()
{
    QFETCH(QString, place);
    QFETCH(int, here);
    QFETCH(int, second);
    TestDatabase db;
    db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "INSERT INTO xsmx (单号, 品名, 数量) SELECT printf('%014d', i), '商品' || i, i FROM n");
    QTemporaryDir stick;
    QString folder = QDir(stick.path()).filePath("备份");
    if (place != "missing" && place != "file")
        QVERIFY(QDir().mkpath(folder));
    if (place == "file") {
        QFile file(folder);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QString main = backup::folderFor(db.path());
    const qint64 data = backup::dataSizeOf(db.path());
    backup::FreeSpaceOverride space([&](const QString& asked) -> qint64 {
        const bool isSecond = asked.startsWith(stick.path());
        if ((place == "full" && isSecond) || (place == "here full" && !isSecond))
            return 3 * data - 1; // the copy would leave less than twice the data free
        return 3 * data;
    });
    const backup::DailyResult result = backup::makeDailyCopies(db.path(), folder, at("20261209-080000"));
    QCOMPARE(int(result.here.kind), here);
    QCOMPARE(int(result.second.kind), second);
    QCOMPARE(backup::backupsIn(main).size(), here == int(backup::PlaceResult::Kind::Made) ? 1 : 0);
    if (place != "file")
        QCOMPARE(backup::backupsIn(folder).size(), second == int(backup::PlaceResult::Kind::Made) ? 1 : 0);
    QVERIFY(!QDir().exists(QDir(stick.path()).filePath("备份")) || place != "missing"); // never made on a missing stick
    if (second == int(backup::PlaceResult::Kind::Made)) {
        const QString copy = backup::backupsIn(folder).first();
        QCOMPARE(rowsOf(copy, "PRAGMA integrity_check"), QStringList({"ok"}));
        QCOMPARE(rowsOf(copy, "SELECT count(*) FROM xsmx"), QStringList({"3000"}));
        QVERIFY(result.second.detail.contains(stick.path()));
    }
    for (const QString& where : {main, folder})
        QVERIFY(QDir(where).entryList({"*.part"}, QDir::Files | QDir::Hidden).isEmpty());
    if (!result.here.detail.isEmpty() && here == int(backup::PlaceResult::Kind::NoRoom))
        QVERIFY2(result.here.detail.contains("两倍"), qPrintable(result.here.detail));
}

void TestStoreBackup::stepwiseCopyHoldsOneStateAndCanBeAbandoned()
{
    TestDatabase db;
    // Several steps of pages.
    db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 80000) "
            "INSERT INTO xsmx (单号, 品名, 数量) SELECT printf('%014d', i), printf('商品%030d', i), i FROM n");
    const QString folder = backup::folderFor(db.path());
    std::atomic<bool> stop{false};
    std::atomic<int> committed{80000};
    QThread* writer = QThread::create([&] {
        sqlite3* handle = nullptr;
        sqlite3_open(QFile::encodeName(db.path()).constData(), &handle);
        sqlite3_busy_timeout(handle, 3000);
        sqlite3_exec(handle, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
        for (int i = 1; !stop; ++i)
            if (sqlite3_exec(handle, "INSERT INTO xsmx (单号, 品名, 数量) VALUES ('x', 'y', 1)", nullptr, nullptr, nullptr) ==
                SQLITE_OK)
                ++committed;
        sqlite3_close(handle);
    });
    writer->start();
    QString copy;
    try {
        copy = backup::makeBackupNamed(db.path(), folder, "data-20261209-080000.mdb");
    } catch (const Error& error) {
        stop = true;
        writer->wait();
        QFAIL(qPrintable(error.message()));
    }
    stop = true;
    writer->wait();
    delete writer;
    const int copied = rowsOf(copy, "SELECT count(*) FROM xsmx").value(0).toInt();
    QVERIFY2(copied >= 80000 && copied <= committed, qPrintable(QString::number(copied)));
    QCOMPARE(rowsOf(copy, "PRAGMA integrity_check"), QStringList({"ok"}));

    // Abandoned from the start and in the middle: no finished copy, no .part, the earlier one kept.
    for (int afterMs : {0, 5}) {
        backup::Abandon abandon;
        QThread* stopper = QThread::create([&] {
            QThread::msleep(afterMs);
            abandon.request();
        });
        stopper->start();
        try {
            backup::makeBackupNamed(db.path(), folder, "data-20261209-090000.mdb", &abandon);
            stopper->wait();
            // A fast machine may finish first; the test then says nothing about abandoning.
            QFile::remove(QDir(folder).filePath("data-20261209-090000.mdb"));
        } catch (const backup::Abandoned&) {
            stopper->wait();
        } catch (const Error& error) {
            stopper->wait();
            delete stopper;
            QFAIL(qPrintable(error.message()));
        }
        delete stopper;
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({"data-20261209-080000.mdb"}));
    }
    backup::Abandon already;
    already.request();
    QVERIFY_THROWS_EXCEPTION(backup::Abandoned, backup::makeBackupNamed(db.path(), folder, "data-x.mdb", &already));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({"data-20261209-080000.mdb"}));
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
