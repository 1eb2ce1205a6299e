#include "store/Backup.h"

#include "core/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>
#include <sqlite3.h>

namespace store::backup {

namespace {

const QString PartSuffix = QStringLiteral(".part");

const QRegularExpression& backupName()
{
    static const QRegularExpression name(QStringLiteral("^data-(\\d{8})-(\\d{6})\\.mdb$"));
    return name;
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// One SQLite handle of our own, closed however we leave.
class Handle
{
public:
    Handle() = default;
    ~Handle() { sqlite3_close_v2(m_db); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    int open(const QString& path, int flags)
    {
        return sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
    }
    void close()
    {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    sqlite3* get() const { return m_db; }
    QString lastError() const { return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("内存不足"); }

private:
    sqlite3* m_db = nullptr;
};

// The engine's code in the words a shopkeeper can act on, with the engine's own text after it.
QString reasonFor(int code, const QString& engineText)
{
    switch (code & 0xFF) {
    case SQLITE_FULL:
        return QStringLiteral("磁盘已满（%1）").arg(engineText);
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return QStringLiteral("文件夹不能写入（%1）").arg(engineText);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("数据库文件正被占用（%1）").arg(engineText);
    default:
        return engineText;
    }
}

Error writeFailure(const QString& path, int code, const QString& engineText)
{
    return Error(QStringLiteral("无法写入备份文件 %1：%2").arg(native(path), reasonFor(code, engineText)));
}

void requireFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        throw Error(QStringLiteral("无法建立备份文件夹 %1：同名的文件已经存在").arg(native(folder)));
    if (!QDir().mkpath(folder))
        throw Error(QStringLiteral("无法建立备份文件夹 %1：文件夹不能写入或磁盘已满").arg(native(folder)));
}

// What a backup interrupted by a power cut or a kill left behind.
void removeUnfinished(const QString& folder)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral("data-*.mdb.part*")}, QDir::Files | QDir::Hidden);
    for (const QString& name : names)
        QFile::remove(dir.filePath(name));
}

// The whole database in one step of the online backup: one read transaction, so the copy is
// what was committed when it began. The copy is left in rollback-journal mode, a single file
// that can be copied back as it stands.
void copyDatabase(const QString& databasePath, const QString& target)
{
    Handle source;
    if (const int rc = source.open(databasePath, SQLITE_OPEN_READONLY); rc != SQLITE_OK)
        throw Error(QStringLiteral("无法读取数据库文件 %1：%2").arg(native(databasePath), source.lastError()));
    sqlite3_busy_timeout(source.get(), 3000);

    Handle copy;
    if (const int rc = copy.open(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE); rc != SQLITE_OK)
        throw writeFailure(target, rc, copy.lastError());
    sqlite3_backup* job = sqlite3_backup_init(copy.get(), "main", source.get(), "main");
    if (!job)
        throw writeFailure(target, sqlite3_errcode(copy.get()), copy.lastError());
    const int stepped = sqlite3_backup_step(job, -1);
    const int finished = sqlite3_backup_finish(job);
    if (stepped != SQLITE_DONE) {
        const int code = stepped == SQLITE_OK ? finished : stepped;
        throw writeFailure(target, code, QString::fromUtf8(sqlite3_errstr(code)));
    }
    if (finished != SQLITE_OK)
        throw writeFailure(target, finished, copy.lastError());
    char* error = nullptr;
    const int rc = sqlite3_exec(copy.get(), "PRAGMA journal_mode = DELETE", nullptr, nullptr, &error);
    const QString text = error ? QString::fromUtf8(error) : QString();
    sqlite3_free(error);
    if (rc != SQLITE_OK)
        throw writeFailure(target, rc, text);
}

// Read back from the file itself, not from the page cache of the connection that wrote it.
void requireIntact(const QString& target, const QString& finalName)
{
    Handle copy;
    if (copy.open(target, SQLITE_OPEN_READONLY) != SQLITE_OK)
        throw Error(QStringLiteral("备份文件 %1 无法打开检查：%2").arg(native(finalName), copy.lastError()));
    sqlite3_stmt* check = nullptr;
    if (sqlite3_prepare_v2(copy.get(), "PRAGMA integrity_check", -1, &check, nullptr) != SQLITE_OK)
        throw Error(QStringLiteral("备份文件 %1 无法检查：%2").arg(native(finalName), copy.lastError()));
    QStringList findings;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(check)) == SQLITE_ROW)
        findings << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
    sqlite3_finalize(check);
    if (rc != SQLITE_DONE)
        findings << copy.lastError();
    if (findings != QStringList{QStringLiteral("ok")})
        throw Error(QStringLiteral("备份文件 %1 没有通过完整性检查：%2")
                        .arg(native(finalName), excerptForMessage(findings.join(QStringLiteral("；")))));
}

} // namespace

QString folderFor(const QString& databasePath)
{
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("备份"));
}

QString fileNameFor(const QDateTime& at)
{
    return at.toString(QStringLiteral("'data-'yyyyMMdd-HHmmss'.mdb'"));
}

QStringList backupsIn(const QString& folder)
{
    QStringList found;
    const QDir dir(folder);
    // The names hold the time with fixed widths, so their order is the order in time.
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        if (backupName().match(name).hasMatch())
            found << dir.filePath(name);
    }
    return found;
}

bool hasBackupOf(const QString& folder, QDate day)
{
    const QString date = day.toString(QStringLiteral("yyyyMMdd"));
    for (const QString& path : backupsIn(folder)) {
        if (backupName().match(QFileInfo(path).fileName()).captured(1) == date)
            return true;
    }
    return false;
}

QString makeBackupNamed(const QString& databasePath, const QString& folder, const QString& fileName)
{
    requireFolder(folder);
    removeUnfinished(folder);
    const QString finalPath = QDir(folder).filePath(fileName);
    const QString partPath = finalPath + PartSuffix;
    try {
        copyDatabase(databasePath, partPath);
        requireIntact(partPath, finalPath);
    } catch (...) {
        removeUnfinished(folder);
        throw;
    }
    // rename() replaces a copy of the same second in one step; QFile::rename would refuse.
    if (std::rename(QFile::encodeName(partPath).constData(), QFile::encodeName(finalPath).constData()) != 0) {
        removeUnfinished(folder);
        throw Error(QStringLiteral("无法写入备份文件 %1：文件夹不能写入").arg(native(finalPath)));
    }
    return finalPath;
}

QString makeBackup(const QString& databasePath, const QString& folder, const QDateTime& at, int keep)
{
    const QString path = makeBackupNamed(databasePath, folder, fileNameFor(at));
    removeOldBackups(folder, keep);
    return path;
}

QStringList removeOldBackups(const QString& folder, int keep)
{
    QStringList removed;
    const QStringList backups = backupsIn(folder);
    for (qsizetype i = 0; i + keep < backups.size(); ++i) {
        if (QFile::remove(backups.at(i)))
            removed << backups.at(i);
    }
    return removed;
}

} // namespace store::backup
