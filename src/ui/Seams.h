#pragma once

#include "ui/NestedOverride.h"

#include <QDialog>
#include <QString>

class QWidget;

namespace ui {

// Calls to the desktop that tests must not make for real.

int showModal(QDialog* dialog);                // dialog->exec(); Rejected for no dialog
bool openWithDesktop(const QString& filePath); // the desktop's viewer; false when none is set up for the file
QString desktopFolder();                       // the user's desktop folder
QString askSaveFileName(QWidget* parent);      // a save dialog, no filter, no overwrite question; "" on cancel
QString saveDialogFolder();                    // where the save dialog opens: documents, else home
QString askOpenFileName(QWidget* parent, const QString& filter); // an open dialog; "" on cancel
QString askFolder(QWidget* parent, const QString& caption);      // a folder dialog; "" on cancel

// Where a test installs itself. While a hook lives the call goes to it; hooks nest, the newest
// wins, and each one's destructor brings back the one before (tests/support holds the recorders).
class ModalHook : public NestedOverride<ModalHook>
{
public:
    virtual ~ModalHook() = default;
    virtual int handle(QDialog* dialog) = 0;
};

class OpenHook : public NestedOverride<OpenHook>
{
public:
    virtual ~OpenHook() = default;
    virtual bool handle(const QString& absolutePath) = 0;
};

class DesktopFolderHook : public NestedOverride<DesktopFolderHook>
{
public:
    virtual ~DesktopFolderHook() = default;
    virtual QString folder() const = 0;
};

class SaveNameHook : public NestedOverride<SaveNameHook>
{
public:
    virtual ~SaveNameHook() = default;
    virtual QString handle() = 0;
};

// Answers open dialogs from a queue; an empty queue answers "" as a cancelled dialog does.
class OpenNameOverride : public NestedOverride<OpenNameOverride>
{
public:
    explicit OpenNameOverride(const QStringList& answers = {}) : m_answers(answers) {}

    QStringList filters() const { return m_filters; } // as each dialog was asked, in order
    QString handle(const QString& filter);

private:
    QStringList m_answers;
    QStringList m_filters;
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
