#pragma once

#include <QPixmap>
#include <QSize>

namespace shell {

// The windows' backgrounds, drawn for the size asked (the login's carries the program's name).
QPixmap mainBackground(const QSize& size);
QPixmap loginBackground(const QSize& size);

} // namespace shell
