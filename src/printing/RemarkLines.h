#pragma once

#include <QStringList>

namespace printing {

// The remark as the hidden remark box shows it: split at its line breaks, long lines wrapped at
// the box's width in its 宋体 13 px font, a trailing empty line dropped. The main window counts
// these lines to size the paper and the layout forms print them, so both must break alike.
QStringList remarkLines(const QString& remark);

// Width in layout units left for text in the 225-unit remark box.
double remarkTextWidth();

} // namespace printing
