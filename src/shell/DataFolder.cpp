#include "shell/DataFolder.h"

#include "core/Error.h"
#include "store/NewDatabase.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

namespace shell {

namespace {

const QString FolderName = QStringLiteral("quorvel");
const QString DatabaseName = QStringLiteral("data.mdb");
const QString SchemaName = QStringLiteral("schema.sql");
const QString HelpName = QStringLiteral("使用帮助.chm");

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void fail(const QString& folder, const QString& reason)
{
    throw core::Error(QStringLiteral("无法建立数据文件夹 %1：%2").arg(shown(folder), reason));
}

QByteArray digestOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

QString copyInto(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return in.errorString();
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(in.readAll()) < 0 || !out.commit())
        return out.errorString();
    return {};
}

} // namespace

QString dataFolderPath()
{
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (home.isEmpty())
        return {};
    return QDir(home).absoluteFilePath(FolderName);
}

QString deliveredFile(const QString& name)
{
    const QDir program(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {program.absoluteFilePath(name), program.absoluteFilePath(QStringLiteral("../share/quorvel/") + name)}) {
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(candidate);
    }
    return {};
}

bool makeDataFolder(const QString& folder, const QString& schemaFile, const QString& helpFile)
{
    if (QFileInfo::exists(folder))
        return false;
    if (schemaFile.isEmpty())
        fail(folder, QStringLiteral("找不到随程序提供的 %1，程序可能没有装好").arg(SchemaName));
    const QString parent = QFileInfo(folder).absolutePath();
    if (!QDir().mkpath(parent))
        fail(folder, QStringLiteral("无法创建 %1").arg(shown(parent)));

    QTemporaryDir making(QDir(parent).absoluteFilePath(FolderName + QStringLiteral(".new-XXXXXX")));
    if (!making.isValid())
        fail(folder, making.errorString());
    store::createDatabaseFromSchema(making.filePath(DatabaseName), schemaFile);
    if (!helpFile.isEmpty()) {
        const QString problem = copyInto(helpFile, making.filePath(HelpName));
        if (!problem.isEmpty())
            fail(folder, QStringLiteral("无法复制帮助文件：%1").arg(problem));
    }
    // Readable by the user alone: the history holds the shop's takings.
    QFile::setPermissions(making.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!QDir().rename(making.path(), folder)) {
        // Another start may have made it meanwhile; that one is kept.
        if (QFileInfo::exists(folder))
            return false;
        fail(folder, QStringLiteral("无法改名"));
    }
    making.setAutoRemove(false);
    return true;
}

QString refreshHelpFile(const QString& folder, const QString& helpFile)
{
    if (helpFile.isEmpty())
        return QStringLiteral("找不到随程序提供的帮助文件 %1").arg(HelpName);
    const QString target = QDir(folder).absoluteFilePath(HelpName);
    if (QFileInfo(target).isFile() && digestOf(target) == digestOf(helpFile))
        return {};
    const QString problem = copyInto(helpFile, target);
    if (problem.isEmpty())
        return {};
    return QStringLiteral("无法更新帮助文件 %1：%2").arg(shown(target), problem);
}

QString enterDataFolder()
{
    const QString folder = dataFolderPath();
    if (folder.isEmpty())
        throw core::Error(QStringLiteral("找不到用户的主文件夹，无法确定数据文件夹"));
    const QString help = deliveredFile(HelpName);
    if (makeDataFolder(folder, deliveredFile(SchemaName), help)) {
        std::fputs(qPrintable(QStringLiteral("新建了数据文件夹 %1\n").arg(shown(folder))), stderr);
    } else if (!QFileInfo(folder).isDir()) {
        fail(folder, QStringLiteral("同名的不是文件夹"));
    } else {
        // Help that cannot be updated is no reason to stop selling.
        const QString problem = refreshHelpFile(folder, help);
        if (!problem.isEmpty())
            std::fputs(qPrintable(problem + QLatin1Char('\n')), stderr);
    }
    if (!QDir::setCurrent(folder))
        fail(folder, QStringLiteral("无法进入该文件夹"));
    return folder;
}

} // namespace shell
