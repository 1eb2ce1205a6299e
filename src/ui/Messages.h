#pragma once

#include "ui/NestedOverride.h"

#include <QString>

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

// While one lives no box is shown: each message goes to it, and it gives the answer. Hooks nest;
// the newest takes the messages (tests/support holds the recorder).
class MessageHook : public NestedOverride<MessageHook>
{
public:
    virtual ~MessageHook() = default;
    virtual bool record(const RecordedMessage& message) = 0;
};

} // namespace ui
