#pragma once

#include <QColor>

class QWidget;

namespace ui {

// The two box backgrounds the windows switch between: an editable box is white, a box the
// user may not change (or that is switched off) wears the button face.
QColor windowColour();
QColor buttonFaceColour();

void setBackground(QWidget* box, const QColor& colour);
void setTextColour(QWidget* widget, const QColor& colour);

// Read-only plus the matching background, for line edits and multi-line boxes alike.
void setEditable(QWidget* box, bool editable);

} // namespace ui
