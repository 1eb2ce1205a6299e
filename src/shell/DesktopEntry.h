#pragma once

#include <QString>

namespace shell {

// The desktop shortcut is a freedesktop entry: the program's own executable as target, the
// working folder it runs in (the data folder, with the trailing separator) as working directory,
// and the program icon written into that folder.
QString desktopEntryFileName(); // "Quorvel销售小票打印软件.desktop"
QString desktopEntryText(const QString& executable, const QString& workingFolder, const QString& iconFile);

// Writes (over any earlier one) the entry into desktopFolder, made executable so the desktop
// offers to launch it. Throws core::Error naming the file and the reason.
void writeDesktopEntry(const QString& desktopFolder, const QString& executable, const QString& workingFolder);

} // namespace shell
