#pragma once

#include <QIcon>
#include <QString>

namespace ui {

// The pictures of the buttons and menus, kept as files in resources/icons: icon("add") is
// icons/add.png, with icons/add@2x.png for doubled screens where there is one. A name without
// a picture is a mistake in the code: debug builds stop on it, so the tests of the window
// that asks for it fail; a release build warns and shows the button without a picture.
QIcon icon(const QString& name);

// Where the picture of that name lies among the resources; empty when there is none.
QString iconPath(const QString& name);

// The program's own icon, for the window frames and the title bars, and the resource file it
// is read from (for copying it out, as the desktop entry does).
QIcon programIcon();
QString programIconPath();

} // namespace ui
