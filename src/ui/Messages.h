#pragma once

#include "ui/NestedOverride.h"

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace ui {

enum class MessageStyle
{
    Plain,          // no icon, OK
    Error,          // critical icon, OK
    Warning,        // warning icon, OK
    WarningOkCancel // warning icon, OK and Cancel
};

// A message box titled "提示", window-modal to owner's window (application-modal without one).
// Returns true when the answer is OK; a box with only OK always answers true.
bool message(QWidget* owner, const QString& text, MessageStyle style);

// The program's one way of showing an error: the error icon, the text exactly as given.
void reportError(QWidget* owner, const QString& text);

struct RecordedMessage
{
    QString ownerName; // objectName of owner->window(); empty without an owner
    QString text;
    MessageStyle style = MessageStyle::Plain;
    bool isErrorReport = false;
};

// For tests: while one lives no box is shown; each call is recorded and answered from the
// queue (OK when it is empty). Only OK/Cancel boxes take an answer from the queue, since a
// box with only OK cannot answer anything else. Recorders nest; the newest one records.
class MessageRecorder : public NestedOverride<MessageRecorder>
{
public:
    void setNextAnswers(const QList<bool>& answers);
    QList<RecordedMessage> messages() const { return m_messages; }
    QStringList texts() const;
    void clear();

    bool record(const RecordedMessage& message); // called by message() and reportError()

private:
    QList<RecordedMessage> m_messages;
    QList<bool> m_answers;
};

} // namespace ui
