#include "ui/Seams.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace ui {

int showModal(QDialog* dialog)
{
    if (!dialog)
        return QDialog::Rejected;
    if (ModalHook::active())
        return ModalHook::active()->handle(dialog);
    return dialog->exec();
}

// xdg-open starts whatever the desktop has set for the file's type and, with nothing set, fails
// without a word on the screen; so a viewer must be set before it is asked.
bool openWithDesktop(const QString& filePath)
{
    const QString absolute = QFileInfo(filePath).absoluteFilePath();
    if (OpenHook::active())
        return OpenHook::active()->handle(absolute);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (opener.isEmpty() || query.isEmpty())
        return false;
    const QString type = QMimeDatabase().mimeTypeForFile(absolute, QMimeDatabase::MatchExtension).name();
    QProcess ask;
    ask.start(query, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!ask.waitForFinished(5000) || ask.exitStatus() != QProcess::NormalExit ||
        ask.readAllStandardOutput().trimmed().isEmpty())
        return false;
    return QProcess::startDetached(opener, {absolute});
}

QString desktopFolder()
{
    if (DesktopFolderHook::active())
        return DesktopFolderHook::active()->folder();
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

// Where people keep their files, not the program's working folder (the shop's data).
QString saveDialogFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

QString askFolder(QWidget* parent, const QString& caption)
{
    if (FolderNameOverride::active())
        return FolderNameOverride::active()->handle();
    return QFileDialog::getExistingDirectory(parent, caption, QDir::rootPath());
}

QString askSaveFileName(QWidget* parent)
{
    if (SaveNameHook::active())
        return SaveNameHook::active()->handle();
    return QFileDialog::getSaveFileName(parent, QString(), saveDialogFolder(), QString(), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString askOpenFileName(QWidget* parent, const QString& filter)
{
    if (OpenNameOverride::active())
        return OpenNameOverride::active()->handle(filter);
    return QFileDialog::getOpenFileName(parent, QString(), saveDialogFolder(), filter);
}

QString OpenNameOverride::handle(const QString& filter)
{
    m_filters << filter;
    return m_answers.isEmpty() ? QString() : m_answers.takeFirst();
}

} // namespace ui
