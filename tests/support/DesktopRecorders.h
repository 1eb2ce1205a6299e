#pragma once

#include "ui/Messages.h"
#include "ui/Seams.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

// The test doubles of the desktop calls and message boxes, installed on the product's hooks.
// They keep the product's namespace, so a test reads as the call it stands in for. No QtTest
// here: the benchmarks use them too.

namespace ui {

// Records each dialog and shows it without blocking; answers from a queue, Accepted when empty.
class ModalRecorder : public ModalHook
{
public:
    void setNextResults(const QList<int>& results);
    // Called with each dialog right after it is shown, before the opener goes on: what a user
    // would see while it is open.
    void setWhileShown(std::function<void(QDialog*)> look) { m_whileShown = std::move(look); }
    QStringList shown() const { return m_names; } // objectNames (class name when unnamed), in order
    QList<QPointer<QDialog>> dialogs() const { return m_dialogs; }
    void clear();

    int handle(QDialog* dialog) override;

private:
    QStringList m_names;
    QList<QPointer<QDialog>> m_dialogs;
    QList<int> m_results;
    std::function<void(QDialog*)> m_whileShown;
};

// Records the absolute paths given to openWithDesktop; opens nothing. Answers as a desktop with
// (the default) or without a viewer for the files would.
class OpenRecorder : public OpenHook
{
public:
    QStringList opened() const { return m_paths; }
    void setViewerPresent(bool present) { m_viewerPresent = present; }
    bool handle(const QString& absolutePath) override;

private:
    QStringList m_paths;
    bool m_viewerPresent = true;
};

class DesktopFolderOverride : public DesktopFolderHook
{
public:
    explicit DesktopFolderOverride(const QString& folder);

    QString folder() const override { return m_folder; }

private:
    QString m_folder;
};

// Answers save dialogs from a queue; an empty queue answers "" as a cancelled dialog does.
class SaveNameOverride : public SaveNameHook
{
public:
    explicit SaveNameOverride(const QStringList& answers = {});

    void setNextAnswers(const QStringList& answers) { m_answers = answers; }
    int asked() const { return m_asked; }
    QString handle() override;

private:
    QStringList m_answers;
    int m_asked = 0;
};

// While one lives no box is shown; each call is recorded and answered from the queue (OK when
// it is empty). Only OK/Cancel boxes take an answer from the queue, since a box with only OK
// cannot answer anything else. Recorders nest; the newest one records.
class MessageRecorder : public MessageHook
{
public:
    void setNextAnswers(const QList<bool>& answers);
    QList<RecordedMessage> messages() const { return m_messages; }
    QStringList texts() const;
    void clear();

    bool record(const RecordedMessage& message) override; // called by message() and reportError()

private:
    QList<RecordedMessage> m_messages;
    QList<bool> m_answers;
};

} // namespace ui
