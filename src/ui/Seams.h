#pragma once

#include "ui/NestedOverride.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace ui {

// Calls to the desktop that tests must not make for real. Each has one RAII override below:
// while it lives the call goes to it, and its destructor brings back what was there before.

int showModal(QDialog* dialog);                // dialog->exec(); Rejected for no dialog
bool openWithDesktop(const QString& filePath); // the desktop's viewer; false when none is set up for the file
QString desktopFolder();                       // the user's desktop folder
QString askSaveFileName(QWidget* parent);      // a save dialog, no filter, no overwrite question; "" on cancel
QString saveDialogFolder();                    // where the save dialog opens: documents, else home
QString askFolder(QWidget* parent, const QString& caption); // a folder dialog; "" on cancel

// Records each dialog and shows it without blocking; answers from a queue, Accepted when empty.
class ModalRecorder : public NestedOverride<ModalRecorder>
{
public:
    void setNextResults(const QList<int>& results);
    // Called with each dialog right after it is shown, before the opener goes on: what a user
    // would see while it is open.
    void setWhileShown(std::function<void(QDialog*)> look) { m_whileShown = std::move(look); }
    QStringList shown() const { return m_names; } // objectNames (class name when unnamed), in order
    QList<QPointer<QDialog>> dialogs() const { return m_dialogs; }
    void clear();

    int handle(QDialog* dialog);

private:
    QStringList m_names;
    QList<QPointer<QDialog>> m_dialogs;
    QList<int> m_results;
    std::function<void(QDialog*)> m_whileShown;
};

// Records the absolute paths given to openWithDesktop; opens nothing. Answers as a desktop with
// (the default) or without a viewer for the files would.
class OpenRecorder : public NestedOverride<OpenRecorder>
{
public:
    QStringList opened() const { return m_paths; }
    void setViewerPresent(bool present) { m_viewerPresent = present; }
    bool handle(const QString& absolutePath);

private:
    QStringList m_paths;
    bool m_viewerPresent = true;
};

class DesktopFolderOverride : public NestedOverride<DesktopFolderOverride>
{
public:
    explicit DesktopFolderOverride(const QString& folder);

    QString folder() const { return m_folder; }

private:
    QString m_folder;
};

// Answers save dialogs from a queue; an empty queue answers "" as a cancelled dialog does.
class SaveNameOverride : public NestedOverride<SaveNameOverride>
{
public:
    explicit SaveNameOverride(const QStringList& answers = {});

    void setNextAnswers(const QStringList& answers) { m_answers = answers; }
    int asked() const { return m_asked; }
    QString handle();

private:
    QStringList m_answers;
    int m_asked = 0;
};

// Answers folder dialogs from a queue; an empty queue answers "" as a cancelled dialog does.
class FolderNameOverride : public NestedOverride<FolderNameOverride>
{
public:
    explicit FolderNameOverride(const QStringList& answers = {}) : m_answers(answers) {}
    QString handle() { return m_answers.isEmpty() ? QString() : m_answers.takeFirst(); }

private:
    QStringList m_answers;
};

} // namespace ui
