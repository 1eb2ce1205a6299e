#include "support/Controls.h"

#include <QWidget>
#include <QtTest>
#include <stdexcept>

namespace testsupport {

namespace {

// Whether the object sits in window itself, not in another window (a dialog) parented to it.
bool inWindow(const QObject& window, const QObject* object)
{
    for (const QObject* above = object->parent(); above; above = above->parent()) {
        if (above == &window)
            return true;
        if (const auto* widget = qobject_cast<const QWidget*>(above); widget && widget->isWindow())
            return false;
    }
    return false;
}

} // namespace

QObject* findControl(const QObject& window, const char* name, const QMetaObject& type, std::source_location where)
{
    QList<QObject*> found;
    for (QObject* child : window.findChildren<QObject*>(QString::fromLatin1(name)))
        if (type.cast(child) && inWindow(window, child))
            found.append(child);
    if (found.size() == 1)
        return found.first();
    const QString problem = found.isEmpty() ? QStringLiteral("%1 has no control %2 (%3)")
                                            : QStringLiteral("%1 has more than one control %2 (%3)");
    const QByteArray text =
        problem.arg(window.objectName(), QLatin1String(name), QLatin1String(type.className())).toUtf8();
    QTest::qFail(text.constData(), where.file_name(), int(where.line()));
    throw std::runtime_error(text.toStdString());
}

} // namespace testsupport
