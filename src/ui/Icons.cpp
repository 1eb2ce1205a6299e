#include "ui/Icons.h"

#include <QFile>
#include <QRegularExpression>
#include <QtGlobal>

// The resources live in the static library, whose registration the linker drops unless
// something calls it; Q_INIT_RESOURCE has to stand outside any namespace.
static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace ui {

namespace {

void ensureRegistered()
{
    static const bool registered = (registerResources(), true);
    Q_UNUSED(registered);
}

QString resourcePath(const QString& name, const QString& suffix)
{
    return QStringLiteral(":/icons/") + name + suffix + QStringLiteral(".png");
}

} // namespace

QString iconPath(const QString& name)
{
    ensureRegistered();
    // Plain names only, so no path can reach a file outside the pictures.
    static const QRegularExpression plainName(QStringLiteral("^[a-z0-9]+(-[a-z0-9]+)*$"));
    const QString path = resourcePath(name, QString());
    if (!plainName.match(name).hasMatch() || !QFile::exists(path))
        return {};
    return path;
}

QIcon icon(const QString& name)
{
    const QString path = iconPath(name);
    if (path.isEmpty()) {
        qWarning("No picture is named \"%s\"", qPrintable(name));
        Q_ASSERT_X(false, "ui::icon", "a picture asked for by a name that has none");
        return {};
    }
    QIcon picture(path);
    // The doubled one is added by hand: QIcon looks for it only on doubled screens.
    const QString doubled = resourcePath(name, QStringLiteral("@2x"));
    if (QFile::exists(doubled))
        picture.addFile(doubled);
    return picture;
}

QString programIconPath()
{
    ensureRegistered();
    return QStringLiteral(":/quorvel.png");
}

QIcon programIcon()
{
    return QIcon(programIconPath());
}

} // namespace ui
