#pragma once

#include <QColor>
#include <QPixmap>
#include <QSize>

class QWidget;

namespace shell {

// The two box backgrounds the windows switch between: an editable box is white, a box the
// user may not change (or that is switched off) wears the button face.
QColor windowColour();
QColor buttonFaceColour();

void setBackground(QWidget* box, const QColor& colour);
void setTextColour(QWidget* widget, const QColor& colour);

// Read-only plus the matching background, for line edits and multi-line boxes alike.
void setEditable(QWidget* box, bool editable);

// The windows' backgrounds, drawn for the size asked (the login's carries the program's name).
QPixmap mainBackground(const QSize& size);
QPixmap loginBackground(const QSize& size);

} // namespace shell
