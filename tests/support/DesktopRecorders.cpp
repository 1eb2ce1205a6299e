#include "support/DesktopRecorders.h"

namespace ui {

namespace {

QString nameOf(const QDialog* dialog)
{
    const QString name = dialog->objectName();
    return name.isEmpty() ? QString::fromLatin1(dialog->metaObject()->className()) : name;
}

} // namespace

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

void MessageRecorder::setNextAnswers(const QList<bool>& answers)
{
    m_answers = answers;
}

QStringList MessageRecorder::texts() const
{
    QStringList all;
    for (const RecordedMessage& recorded : m_messages)
        all << recorded.text;
    return all;
}

void MessageRecorder::clear()
{
    m_messages.clear();
    m_answers.clear();
}

bool MessageRecorder::record(const RecordedMessage& message)
{
    m_messages << message;
    if (message.style != MessageStyle::WarningOkCancel || m_answers.isEmpty())
        return true;
    return m_answers.takeFirst();
}

} // namespace ui
