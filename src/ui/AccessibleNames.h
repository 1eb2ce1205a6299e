#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace ui {

// Gives every box, button, tab page and grid under root that has no accessible name the one a
// sighted user reads: a button's or group's caption, a box's label (its buddy, or else the label
// just left of it on its row, or just above it), a tab page's tab text; a grid with no label takes
// the window's caption. Screen readers and UI automation (AT-SPI) find controls by these names.
// Names already set are kept, so a window may name a control better itself.
void nameControlsForAccess(QWidget* root, const QString& windowCaption);

// The controls under root that a screen reader would announce without a name (for tests and
// for a warning in debug builds).
QList<QWidget*> unnamedControls(QWidget* root);

} // namespace ui
