#include "ui/BoxLooks.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

namespace ui {

namespace {

void setBaseOf(QWidget* box, const QColor& colour)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, colour);
    box->setPalette(palette);
}

bool setReadOnly(QWidget* box, bool readOnly)
{
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        line->setReadOnly(readOnly);
        return true;
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) {
        plain->setReadOnly(readOnly);
        return true;
    }
    if (auto* rich = qobject_cast<QTextEdit*>(box)) {
        rich->setReadOnly(readOnly);
        return true;
    }
    return false;
}

} // namespace

QColor windowColour()
{
    return QColor(0xFF, 0xFF, 0xFF);
}

QColor buttonFaceColour()
{
    return QColor(0xF0, 0xF0, 0xF0);
}

void setBackground(QWidget* box, const QColor& colour)
{
    if (!box)
        return;
    setBaseOf(box, colour);
    // A multi-line box paints its viewport, which keeps a palette of its own.
    if (auto* plain = qobject_cast<QPlainTextEdit*>(box))
        setBaseOf(plain->viewport(), colour);
    if (auto* rich = qobject_cast<QTextEdit*>(box))
        setBaseOf(rich->viewport(), colour);
}

void setTextColour(QWidget* widget, const QColor& colour)
{
    if (!widget)
        return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

void setEditable(QWidget* box, bool editable)
{
    if (!box || !setReadOnly(box, !editable))
        return;
    setBackground(box, editable ? windowColour() : buttonFaceColour());
}

} // namespace ui
