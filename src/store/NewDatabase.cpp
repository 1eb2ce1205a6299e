#include "store/NewDatabase.h"

#include "core/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>
#include <unistd.h>

namespace store {

namespace {

[[noreturn]] void fail(const QString& path, const QString& reason)
{
    throw Error(QStringLiteral("无法新建数据库文件 %1：%2").arg(QDir::toNativeSeparators(path), reason));
}

QString engineText(sqlite3* handle, int code)
{
    return QString::fromUtf8(handle ? sqlite3_errmsg(handle) : sqlite3_errstr(code));
}

void runScript(const QString& path, const QByteArray& script, const QString& shownPath)
{
    sqlite3* handle = nullptr;
    const QByteArray file = QFile::encodeName(path);
    int code = sqlite3_open_v2(file.constData(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    QString reason;
    if (code == SQLITE_OK) {
        char* message = nullptr;
        code = sqlite3_exec(handle, script.constData(), nullptr, nullptr, &message);
        if (code != SQLITE_OK)
            reason = message ? QString::fromUtf8(message) : engineText(handle, code);
        sqlite3_free(message);
    } else {
        reason = engineText(handle, code);
    }
    // Closing folds the WAL journal back, so the renamed file is complete on its own.
    const int closed = sqlite3_close(handle);
    if (reason.isEmpty() && closed != SQLITE_OK)
        reason = QString::fromUtf8(sqlite3_errstr(closed));
    if (!reason.isEmpty())
        fail(shownPath, reason);
}

} // namespace

void createDatabaseFromSchema(const QString& path, const QString& schemaFile)
{
    if (QFileInfo::exists(path))
        fail(path, QStringLiteral("文件已存在"));
    QFile schema(schemaFile);
    if (!schema.open(QIODevice::ReadOnly))
        fail(path, QStringLiteral("无法读取 %1：%2").arg(QDir::toNativeSeparators(schemaFile), schema.errorString()));
    const QByteArray script = schema.readAll();
    if (script.trimmed().isEmpty())
        fail(path, QStringLiteral("%1 是空的").arg(QDir::toNativeSeparators(schemaFile)));

    const QString partial = path + QStringLiteral(".new");
    for (const QString& leftover : {partial, partial + QStringLiteral("-wal"), partial + QStringLiteral("-shm"),
                                    partial + QStringLiteral("-journal")})
        QFile::remove(leftover);
    try {
        runScript(partial, script, path);
    } catch (const Error&) {
        QFile::remove(partial);
        throw;
    }
    // link() refuses an existing name, so a file that appeared meanwhile is never replaced.
    // A folder without hard links (a FAT stick) gets a plain rename after one more look.
    if (::link(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData()) != 0) {
        const int error = errno;
        if (error == EEXIST || QFileInfo::exists(path)) {
            QFile::remove(partial);
            fail(path, QStringLiteral("文件已存在"));
        }
        if (!QFile::rename(partial, path)) {
            QFile::remove(partial);
            fail(path, QString::fromLocal8Bit(std::strerror(error)));
        }
        return;
    }
    QFile::remove(partial);
}

} // namespace store
