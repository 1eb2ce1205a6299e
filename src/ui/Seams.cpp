#include "ui/Seams.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace ui {

namespace {

QString nameOf(const QDialog* dialog)
{
    const QString name = dialog->objectName();
    return name.isEmpty() ? QString::fromLatin1(dialog->metaObject()->className()) : name;
}

} // namespace

int showModal(QDialog* dialog)
{
    if (!dialog)
        return QDialog::Rejected;
    if (ModalRecorder::active())
        return ModalRecorder::active()->handle(dialog);
    return dialog->exec();
}

// xdg-open starts whatever the desktop has set for the file's type and, with nothing set, fails
// without a word on the screen; so a viewer must be set before it is asked.
bool openWithDesktop(const QString& filePath)
{
    const QString absolute = QFileInfo(filePath).absoluteFilePath();
    if (OpenRecorder::active())
        return OpenRecorder::active()->handle(absolute);
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
    if (DesktopFolderOverride::active())
        return DesktopFolderOverride::active()->folder();
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
    if (SaveNameOverride::active())
        return SaveNameOverride::active()->handle();
    return QFileDialog::getSaveFileName(parent, QString(), saveDialogFolder(), QString(), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void ModalRecorder::setNextResults(const QList<int>& results)
{
    m_results = results;
}

void ModalRecorder::clear()
{
    m_names.clear();
    m_dialogs.clear();
    m_results.clear();
}

int ModalRecorder::handle(QDialog* dialog)
{
    m_names << nameOf(dialog);
    m_dialogs << QPointer<QDialog>(dialog);
    dialog->show();
    if (m_whileShown)
        m_whileShown(dialog);
    return m_results.isEmpty() ? int(QDialog::Accepted) : m_results.takeFirst();
}

DesktopFolderOverride::DesktopFolderOverride(const QString& folder) : m_folder(folder) {}

bool OpenRecorder::handle(const QString& absolutePath)
{
    m_paths << absolutePath;
    return m_viewerPresent;
}

SaveNameOverride::SaveNameOverride(const QStringList& answers) : m_answers(answers) {}

QString SaveNameOverride::handle()
{
    ++m_asked;
    return m_answers.isEmpty() ? QString() : m_answers.takeFirst();
}

} // namespace ui
