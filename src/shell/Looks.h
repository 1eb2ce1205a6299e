#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace shell {

// Pictures for the buttons and the windows' backgrounds, drawn here so nothing is shipped.
QIcon addPicture();
QIcon modifyPicture();
QIcon deletePicture();
QIcon settingsPicture();
QIcon statisticsPicture();
QIcon previewPicture();
QIcon printPicture();
QPixmap mainBackground(const QSize& size);
QPixmap loginBackground(const QSize& size);

} // namespace shell
