#include "store/Restore.h"

#include "store/Backup.h"
#include "store/Catalogue.h"
#include "core/Error.h"
#include "store/SqliteHandle.h"
#include "store/Upgrades.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace store::restore {

namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

using Handle = SqliteHandle;

Error refusal(const QString& copyPath, const QString& why)
{
    return Error(QStringLiteral("不能恢复备份文件 %1：%2。现在的数据没有改动。").arg(native(copyPath), why));
}

void requireDatabaseFile(const QString& copyPath)
{
    QFile file(copyPath);
    if (!file.open(QIODevice::ReadOnly))
        throw refusal(copyPath, QStringLiteral("文件无法读取（%1）").arg(file.errorString()));
    if (file.read(16) != QByteArray("SQLite format 3\0", 16))
        throw refusal(copyPath, QStringLiteral("它不是本程序的数据文件"));
}

int checkedVersionOf(const Handle& copy, const QString& copyPath)
{
    bool failed = false;
    const QStringList findings = copy.column(QStringLiteral("PRAGMA integrity_check"), &failed);
    if (failed || findings != QStringList{QStringLiteral("ok")})
        throw refusal(copyPath, QStringLiteral("文件已损坏，没有通过完整性检查（%1）")
                                    .arg(excerptForMessage(findings.join(QStringLiteral("；")))));
    const int version = copy.column(QStringLiteral("PRAGMA user_version")).value(0).toInt();
    if (version > newestSchemaVersion())
        throw refusal(copyPath, QStringLiteral("它来自更新版本的程序（版本 %1，本程序是版本 %2）")
                                    .arg(version)
                                    .arg(newestSchemaVersion()));
    if (version < 1)
        throw refusal(copyPath, QStringLiteral("它不是本程序的数据文件"));
    return version;
}

void stageCopy(const Handle& copy, const QString& part, const QString& copyPath)
{
    Handle staged;
    if (staged.open(part, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) != SQLITE_OK)
        throw Error(QStringLiteral("无法写入文件 %1：%2").arg(native(part), staged.lastError()));
    sqlite3_backup* job = sqlite3_backup_init(staged.get(), "main", copy.get(), "main");
    if (!job)
        throw Error(QStringLiteral("无法写入文件 %1：%2").arg(native(part), staged.lastError()));
    const int stepped = sqlite3_backup_step(job, -1);
    sqlite3_backup_finish(job);
    if (stepped != SQLITE_DONE)
        throw refusal(copyPath, QStringLiteral("无法复制（%1）").arg(QString::fromUtf8(sqlite3_errstr(stepped))));
}

// The same numbered steps start-up runs, on the staged file, in one transaction.
void upgradeStaged(const Handle& staged, int from)
{
    staged.execute(QStringLiteral("BEGIN IMMEDIATE"), QStringLiteral("升级备份"));
    const int reached = applyStepsAfter(
        from, [&](const QString& statement, const QString& doing) { staged.execute(statement, doing); });
    staged.execute(QStringLiteral("PRAGMA user_version = %1").arg(reached), QStringLiteral("升级备份"));
    staged.execute(QStringLiteral("COMMIT"), QStringLiteral("升级备份"));
}

void requireProgramsTables(const Handle& staged, const QString& copyPath)
{
    QStringList missing;
    for (const TableRules& table : schemaTables()) {
        const QString name = QString::fromUtf8(table.table);
        const QStringList present =
            staged.column(QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(name));
        if (present.isEmpty()) {
            missing << QStringLiteral("表 %1").arg(name);
            continue;
        }
        for (const NamedRule& rule : table.columns)
            if (!present.contains(QString::fromUtf8(rule.column)))
                missing << QStringLiteral("表 %1 的列 %2").arg(name, QString::fromUtf8(rule.column));
    }
    if (!missing.isEmpty())
        throw refusal(copyPath, QStringLiteral("它不是本程序的数据文件（缺少%1）").arg(missing.join(QStringLiteral("、"))));
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Folds the write-ahead log into data.mdb and lets SQLite remove it, so nothing of the old file
// is left beside the new one to be replayed onto it.
void foldLogIn(const QString& databasePath)
{
    {
        Handle current;
        if (current.open(databasePath, SQLITE_OPEN_READWRITE) != SQLITE_OK)
            throw Error(QStringLiteral("无法打开数据库文件 %1：%2").arg(native(databasePath), current.lastError()));
        sqlite3_busy_timeout(current.get(), 3000);
        current.execute(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"), QStringLiteral("整理数据库文件"));
    }
    const QString wal = databasePath + QStringLiteral("-wal");
    if (QFileInfo(wal).size() > 0)
        throw Error(QStringLiteral("数据库文件 %1 仍在使用").arg(native(databasePath)));
    QFile::remove(wal);
    QFile::remove(databasePath + QStringLiteral("-shm"));
}

} // namespace

QString stagedPathFor(const QString& databasePath)
{
    return databasePath + QStringLiteral(".restore");
}

QString prepare(const QString& copyPath, const QString& databasePath)
{
    requireDatabaseFile(copyPath);
    const QString staged = stagedPathFor(databasePath);
    const QString part = staged + QStringLiteral(".part");
    QFile::remove(staged);
    QFile::remove(part);
    try {
        Handle copy;
        if (copy.open(copyPath, SQLITE_OPEN_READONLY) != SQLITE_OK)
            throw refusal(copyPath, copy.lastError());
        const int version = checkedVersionOf(copy, copyPath);
        stageCopy(copy, part, copyPath);
        copy.close();
        {
            Handle stagedFile;
            if (stagedFile.open(part, SQLITE_OPEN_READWRITE) != SQLITE_OK)
                throw Error(QStringLiteral("无法写入文件 %1：%2").arg(native(part), stagedFile.lastError()));
            if (version < newestSchemaVersion()) {
                try {
                    upgradeStaged(stagedFile, version);
                } catch (const Error& error) {
                    throw refusal(copyPath, QStringLiteral("它不是本程序的数据文件（%1）").arg(error.message()));
                }
            }
            stagedFile.execute(QStringLiteral("PRAGMA journal_mode = DELETE"), QStringLiteral("准备恢复"));
            requireProgramsTables(stagedFile, copyPath);
        }
        if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(staged).constData()) != 0)
            throw Error(QStringLiteral("无法写入文件 %1").arg(native(staged)));
        return staged;
    } catch (...) {
        QFile::remove(part);
        QFile::remove(part + QStringLiteral("-journal"));
        throw;
    }
}

QString replaceWithStaged(const QString& databasePath, const QDateTime& now)
{
    const QString staged = stagedPathFor(databasePath);
    if (!QFileInfo::exists(staged))
        throw Error(QStringLiteral("找不到要恢复的文件 %1").arg(native(staged)));
    const QString kept = backup::makeKeptCopy(databasePath, QStringLiteral("restore"), now);
    foldLogIn(databasePath);
    if (std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(databasePath).constData()) != 0)
        throw Error(QStringLiteral("无法把备份放到 %1，数据保持原样").arg(native(databasePath)));
    syncFolder(QFileInfo(databasePath).absolutePath());
    return kept;
}

} // namespace store::restore
