#include "shell/DesktopEntry.h"

#include "core/Error.h"
#include "ui/Icons.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace shell {

namespace {

const QString ProgramName = QStringLiteral("Quorvel销售小票打印软件");
const QString IconFileName = QStringLiteral("quorvel.png");

// The escapes every string value of a desktop entry takes.
QString escapedValue(const QString& value)
{
    QString out;
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else
            out += c;
    }
    if (out.startsWith(QLatin1Char(' ')))
        out.replace(0, 1, QLatin1String("\\s"));
    return out;
}

// Exec takes the program as one quoted argument; inside the quotes ", `, $ and \ are escaped,
// and % would start a field code.
QString quotedProgram(const QString& executable)
{
    QString inner;
    for (const QChar c : executable) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            inner += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            inner += QLatin1Char('%');
        inner += c;
    }
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString withTrailingSeparator(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

[[noreturn]] void fail(const QString& path, const QString& reason)
{
    throw core::Error(QStringLiteral("无法写入桌面快捷方式 %1：%2").arg(QDir::toNativeSeparators(path), reason));
}

// The icon the entry points at; written once into the working folder (the program's own folder
// may not be writable) and left alone afterwards.
QString ensureIconIn(const QString& folder)
{
    const QString path = QDir(folder).absoluteFilePath(IconFileName);
    if (QFileInfo::exists(path))
        return path;
    QFile resource(ui::programIconPath());
    if (!resource.open(QIODevice::ReadOnly))
        fail(path, resource.errorString());
    QSaveFile icon(path);
    if (!icon.open(QIODevice::WriteOnly) || icon.write(resource.readAll()) < 0 || !icon.commit())
        fail(path, icon.errorString());
    return path;
}

} // namespace

QString desktopEntryFileName()
{
    return ProgramName + QStringLiteral(".desktop");
}

QString desktopEntryText(const QString& executable, const QString& workingFolder, const QString& iconFile)
{
    QString text;
    text += QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Version=1.0\n");
    text += QStringLiteral("Name=") + escapedValue(ProgramName) + QLatin1Char('\n');
    text += QStringLiteral("Exec=") + escapedValue(quotedProgram(executable)) + QLatin1Char('\n');
    text += QStringLiteral("Path=") + escapedValue(withTrailingSeparator(workingFolder)) + QLatin1Char('\n');
    text += QStringLiteral("Icon=") + escapedValue(iconFile) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n");
    return text;
}

void writeDesktopEntry(const QString& desktopFolder, const QString& executable, const QString& workingFolder)
{
    const QString path = QDir(desktopFolder).absoluteFilePath(desktopEntryFileName());
    if (!QDir().mkpath(desktopFolder))
        fail(path, QStringLiteral("桌面文件夹不存在，也无法创建"));
    const QString icon = ensureIconIn(workingFolder);

    QSaveFile entry(path);
    if (!entry.open(QIODevice::WriteOnly))
        fail(path, entry.errorString());
    entry.write(
        desktopEntryText(QFileInfo(executable).absoluteFilePath(), QFileInfo(workingFolder).absoluteFilePath(), icon)
            .toUtf8());
    if (!entry.commit())
        fail(path, entry.errorString());
    const QFile::Permissions runnable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    if (!QFile::setPermissions(path, runnable))
        fail(path, QStringLiteral("无法设为可执行"));
}

} // namespace shell
