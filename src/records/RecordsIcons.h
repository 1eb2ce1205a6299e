#pragma once

#include <QIcon>

namespace records {

// Small pictures for the picture buttons of the sales windows, drawn rather than shipped.
QIcon searchIcon();
QIcon refreshIcon();
QIcon exportIcon();
QIcon deleteIcon();
QIcon exitIcon();
QIcon reprintIcon();

} // namespace records
