#include "ui/Seams.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace ui {

namespace {

ModalRecorder* activeModal = nullptr;
OpenRecorder* activeOpen = nullptr;
DesktopFolderOverride* activeDesktop = nullptr;
SaveNameOverride* activeSaveName = nullptr;

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
    if (activeModal)
        return activeModal->handle(dialog);
    return dialog->exec();
}

void openWithDesktop(const QString& filePath)
{
    const QString absolute = QFileInfo(filePath).absoluteFilePath();
    if (activeOpen) {
        activeOpen->handle(absolute);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(absolute));
}

QString desktopFolder()
{
    if (activeDesktop)
        return activeDesktop->folder();
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString askSaveFileName(QWidget* parent)
{
    if (activeSaveName)
        return activeSaveName->handle();
    return QFileDialog::getSaveFileName(parent, QString(), QString(), QString(), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

ModalRecorder::ModalRecorder() : m_previous(activeModal)
{
    activeModal = this;
}

ModalRecorder::~ModalRecorder()
{
    activeModal = m_previous;
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

OpenRecorder::OpenRecorder() : m_previous(activeOpen)
{
    activeOpen = this;
}

OpenRecorder::~OpenRecorder()
{
    activeOpen = m_previous;
}

DesktopFolderOverride::DesktopFolderOverride(const QString& folder) : m_previous(activeDesktop), m_folder(folder)
{
    activeDesktop = this;
}

DesktopFolderOverride::~DesktopFolderOverride()
{
    activeDesktop = m_previous;
}

SaveNameOverride::SaveNameOverride(const QStringList& answers) : m_previous(activeSaveName), m_answers(answers)
{
    activeSaveName = this;
}

SaveNameOverride::~SaveNameOverride()
{
    activeSaveName = m_previous;
}

QString SaveNameOverride::handle()
{
    ++m_asked;
    return m_answers.isEmpty() ? QString() : m_answers.takeFirst();
}

} // namespace ui
