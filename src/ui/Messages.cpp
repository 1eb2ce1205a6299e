#include "ui/Messages.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QWidget>

namespace ui {

namespace {

const QString BoxTitle = QStringLiteral("提示");

QMessageBox::Icon iconOf(MessageStyle style)
{
    switch (style) {
    case MessageStyle::Plain:
        return QMessageBox::NoIcon;
    case MessageStyle::Error:
        return QMessageBox::Critical;
    case MessageStyle::Warning:
    case MessageStyle::WarningOkCancel:
        return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

bool hasCancel(MessageStyle style)
{
    return style == MessageStyle::WarningOkCancel;
}

QString ownerNameOf(QWidget* owner)
{
    return owner ? owner->window()->objectName() : QString();
}

bool showBox(QWidget* owner, const QString& text, MessageStyle style)
{
    const QMessageBox::StandardButtons buttons =
        hasCancel(style) ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(iconOf(style), BoxTitle, text, buttons, owner);
    // Error texts carry file names and SQL; never let them be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.setDefaultButton(QMessageBox::Ok);
    if (hasCancel(style)) {
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
        box.setEscapeButton(QMessageBox::Cancel);
    }
    if (owner)
        box.setWindowModality(Qt::WindowModal);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Ok) || !hasCancel(style);
}

bool ask(QWidget* owner, const QString& text, MessageStyle style, bool isErrorReport)
{
    if (MessageHook::active())
        return MessageHook::active()->record({ownerNameOf(owner), text, style, isErrorReport});
    return showBox(owner, text, style);
}

} // namespace

bool message(QWidget* owner, const QString& text, MessageStyle style)
{
    return ask(owner, text, style, false);
}

void reportError(QWidget* owner, const QString& text)
{
    ask(owner, text, MessageStyle::Error, true);
}

} // namespace ui
