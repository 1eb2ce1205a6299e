#include "shell/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace shell {

namespace {

// Lock descriptors by data file, open for the life of the process: closing one drops its lock.
QHash<QString, int>& heldLocks()
{
    static QHash<QString, int> locks;
    return locks;
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

int openLockFile(const QByteArray& path)
{
    // Close-on-exec: a help viewer started from here must not inherit the lock and outlive us with it.
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC); // a lock needs no write access
    return fd;
}

} // namespace

QString onlyCopyLockPath(const QString& databasePath)
{
    return databasePath + QStringLiteral(".lock");
}

QString holdOnlyCopyLock(const QString& databasePath)
{
    const QString key = QDir::cleanPath(databasePath);
    if (heldLocks().contains(key))
        return {};
    const QString lockPath = onlyCopyLockPath(key);
    const int fd = openLockFile(QFile::encodeName(lockPath));
    if (fd < 0) {
        return QStringLiteral("无法打开锁文件 %1：%2").arg(QDir::toNativeSeparators(lockPath), systemReason(errno));
    }
    // flock, not fcntl: SQLite's own fcntl locks on the data file stay untouched, and closing any
    // other descriptor of this file cannot drop it.
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            return QStringLiteral("本程序已经在运行，正在使用数据文件 %1。\n请切换到已经打开的窗口继续工作。")
                .arg(QDir::toNativeSeparators(key));
        }
        return QStringLiteral("无法锁定锁文件 %1：%2").arg(QDir::toNativeSeparators(lockPath), systemReason(error));
    }
    heldLocks().insert(key, fd);
    return {};
}

} // namespace shell
