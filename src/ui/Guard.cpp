#include "ui/Guard.h"

#include "core/Error.h"
#include "ui/Messages.h"

#include <exception>

namespace ui {

namespace {

QString unknownErrorText()
{
    return QStringLiteral("发生未知错误。");
}

QString textOf(const std::exception& error)
{
    try {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return unknownErrorText();
    }
}

void reportSafely(QWidget* owner, const QString& text)
{
    try {
        reportError(owner, text);
    } catch (...) {
        // Showing the box failed (out of memory, most likely); there is nothing left to tell.
    }
}

} // namespace

bool runGuarded(QWidget* owner, const std::function<void()>& f)
{
    if (!f)
        return true;
    QPointer<QWidget> reportTo(owner);
    QString text;
    try {
        f();
        return true;
    } catch (const core::Error& error) {
        text = error.message();
    } catch (const std::exception& error) {
        text = textOf(error);
    } catch (...) {
        text = unknownErrorText();
    }
    // The handler may have closed and deleted its own window.
    reportSafely(reportTo.data(), text);
    return false;
}

} // namespace ui
