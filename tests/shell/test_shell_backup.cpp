#include "shell/Backups.h"
#include "shell/MainUnit.h"
#include "store/Backup.h"
#include "store/BackupSettings.h"
#include "store/Connection.h"
#include "support/Controls.h"
#include "support/FileSizeLimit.h"
#include "support/PrintCapture.h"
#include "support/ShellFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <optional>
#include <sqlite3.h>
#include <sys/resource.h>

using testsupport::control;
using testsupport::ShellFixture;

namespace {

QString backupFolder(const ShellFixture& shell)
{
    return QDir(shell.db.folder()).filePath(QStringLiteral("备份"));
}

QStringList backupNames(const ShellFixture& shell)
{
    QStringList names;
    for (const QString& path : store::backup::backupsIn(backupFolder(shell)))
        names << QFileInfo(path).fileName();
    return names;
}

QString countIn(const QString& file, const char* sql)
{
    sqlite3* db = nullptr;
    QString result;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return result;
}

void sellOneLine(TMainForm& main)
{
    control<QComboBox>(main, "ComboBox1")->setEditText(QStringLiteral("苹果"));
    control<QLineEdit>(main, "Edit3")->setText(QStringLiteral("2.5"));
    control<QLineEdit>(main, "Edit4")->setText(QStringLiteral("2"));
    control<QComboBox>(main, "ComboBox2")->setEditText(QStringLiteral("10"));
    main.Edit3KeyUp();
    control<QToolButton>(main, "SpeedButton2")->click();
    control<QToolButton>(main, "SpeedButton6")->click();
}

} // namespace

class TestShellBackup : public QObject
{
    Q_OBJECT

private slots:
    void firstStartOfTheDayBacksUpInTheBackground();
    void exitAbandonsARunningCopy();
    void missingSecondPlaceIsToldOnceADay();
    void failureIsToldOnceAndTheShopGoesOn_data();
    void failureIsToldOnceAndTheShopGoesOn();
};

void TestShellBackup::firstStartOfTheDayBacksUpInTheBackground()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    {
        shell::BackupSchedule backups(&shell.main());
        QSignalSpy finished(&backups, &shell::BackupSchedule::backupFinished);
        backups.atStart();
        // Told through the event loop once the copy is made, as the running program hears it.
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().first().toString(), QString());
        QVERIFY(!backups.isRunning());
    }
    const QStringList first = backupNames(shell);
    QCOMPARE(first.size(), 1);
    QVERIFY(first.first().startsWith("data-" + QDate::currentDate().toString("yyyyMMdd") + "-"));

    // A second start the same day finds today's backup and makes none.
    shell::BackupSchedule again(&shell.main());
    again.atStart();
    QVERIFY(!again.isRunning());
    QCOMPARE(backupNames(shell), first);

    // A backup of another day does not count for today.
    QVERIFY(QFile::rename(QDir(backupFolder(shell)).filePath(first.first()),
                          QDir(backupFolder(shell)).filePath("data-20000101-080000.mdb")));
    shell::BackupSchedule nextDay(&shell.main());
    nextDay.atStart();
    nextDay.waitForRunning();
    QCOMPARE(backupNames(shell).size(), 2);
    QVERIFY(shell.messages.texts().isEmpty());
}

void TestShellBackup::exitAbandonsARunningCopy()
{
    ShellFixture shell;
    // Enough pages that the copy is still running when the exit comes.
    shell.db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000) "
                  "INSERT INTO xsmx (单号, 品名, 数量) SELECT printf('%014d', i), printf('商品%030d', i), i FROM n");
    QVERIFY(shell.logIn());
    printing::PrintCapture capture;
    shell::BackupSchedule backups(&shell.main());
    backups.atStart();
    sellOneLine(shell.main());
    QElapsedTimer exit;
    exit.start();
    backups.atExit();
    QVERIFY2(exit.elapsed() < 1000, qPrintable(QString::number(exit.elapsed())));
    QVERIFY(!backups.isRunning());
    // Either it was done, a whole checked copy, or it left nothing: the next start makes it.
    const QStringList left = QDir(backupFolder(shell)).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : left)
        QVERIFY2(!name.endsWith(".part"), qPrintable(name));
    for (const QString& copy : store::backup::backupsIn(backupFolder(shell)))
        QCOMPARE(countIn(copy, "PRAGMA integrity_check"), QString("ok"));
    QVERIFY(shell.messages.texts().isEmpty());
    if (store::backup::backupsIn(backupFolder(shell)).isEmpty()) {
        shell::BackupSchedule next(&shell.main());
        next.atStart();
        next.waitForRunning();
        QCOMPARE(store::backup::backupsIn(backupFolder(shell)).size(), 1);
    }
}

void TestShellBackup::missingSecondPlaceIsToldOnceADay()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    QTemporaryDir stick;
    const QString second = QDir(stick.path()).filePath("U盘");
    store::Connection settings("settings");
    store::BackupSettings(settings).setSecondFolder(second);
    for (int start = 0; start < 3; ++start) {
        // A new day for the main copy each time, the same day for telling.
        for (const QString& copy : store::backup::backupsIn(backupFolder(shell)))
            QFile::remove(copy);
        shell::BackupSchedule backups(&shell.main());
        backups.atStart();
        backups.waitForRunning();
        QCOMPARE(store::backup::backupsIn(backupFolder(shell)).size(), 1);
    }
    QCOMPARE(shell.messages.messages().size(), 1);
    QVERIFY2(shell.messages.texts().first().contains(QDir::toNativeSeparators(second)),
             qPrintable(shell.messages.texts().first()));
    QVERIFY(!QFileInfo::exists(second)); // never made where the stick should be
    // The stick is back: the day's copy goes there too, without a word.
    QVERIFY(QDir().mkpath(second));
    shell::BackupSchedule backups(&shell.main());
    backups.atStart();
    backups.waitForRunning();
    QCOMPARE(store::backup::backupsIn(second).size(), 1);
    QCOMPARE(countIn(store::backup::backupsIn(second).first(), "PRAGMA integrity_check"), QString("ok"));
    QCOMPARE(shell.messages.messages().size(), 1);
}

void TestShellBackup::failureIsToldOnceAndTheShopGoesOn_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("a file named 备份 in the data folder") << "file";
    QTest::newRow("disk full") << "full";
    QTest::newRow("read-only 备份 folder") << "readonly";
}

void TestShellBackup::failureIsToldOnceAndTheShopGoesOn()
{
    QFETCH(QString, fault);
    ShellFixture shell;
    QVERIFY(shell.logIn());
    if (fault == "file") {
        QFile blocker(backupFolder(shell));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    } else if (fault == "readonly") {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders; the other row covers the failure path");
        QVERIFY(QDir().mkpath(backupFolder(shell)));
        QVERIFY(QFile::setPermissions(backupFolder(shell), QFile::ReadOwner | QFile::ExeOwner));
    }
    printing::PrintCapture capture;
    // The full disk takes only the backup's writes: data.mdb is not written meanwhile.
    const rlim_t fullAt = QFileInfo(shell.db.path()).size() / 2;
    shell::BackupSchedule backups(&shell.main());
    {
        std::optional<testsupport::FileSizeLimit> limit;
        if (fault == "full")
            limit.emplace(fullAt);
        backups.atStart();
        backups.waitForRunning();
    }
    QCOMPARE(shell.messages.messages().size(), 1);
    const ui::RecordedMessage told = shell.messages.messages().first();
    QCOMPARE(told.style, ui::MessageStyle::Warning);
    QVERIFY2(told.text.startsWith("自动备份没有完成："), qPrintable(told.text));
    QVERIFY2(told.text.contains(QDir::toNativeSeparators(backupFolder(shell))), qPrintable(told.text));
    QVERIFY2(told.text.contains("程序照常运行"), qPrintable(told.text));

    // The shop goes on: a sale is printed and stored, and the exit's backup fails without a second word.
    sellOneLine(shell.main());
    QCOMPARE(capture.jobs().size(), 1);
    QCOMPARE(shell.db.scalar("SELECT count(*) FROM xstj"), QString("1"));
    {
        std::optional<testsupport::FileSizeLimit> limit;
        if (fault == "full")
            limit.emplace(fullAt);
        backups.atExit();
    }
    QCOMPARE(shell.messages.messages().size(), 1);
    QVERIFY(store::backup::backupsIn(backupFolder(shell)).isEmpty());
    // The next start tries again and says nothing more about it.
    {
        std::optional<testsupport::FileSizeLimit> limit;
        if (fault == "full")
            limit.emplace(fullAt);
        backups.atStart();
        backups.waitForRunning();
    }
    QCOMPARE(shell.messages.messages().size(), 1);
    QFile::setPermissions(backupFolder(shell), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QTEST_MAIN(TestShellBackup)
#include "test_shell_backup.moc"
