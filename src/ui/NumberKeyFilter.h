#pragma once

class QWidget;

namespace ui {

// Makes a QLineEdit, or an editable QComboBox, accept only digits 0-9, one "." and backspace.
// Every other character is discarded, control characters included; a "." is discarded when the
// text that stays beside it already holds one (a typed character replaces the selection), and with
// maxDecimals >= 0 a digit that would stand that far past the point is discarded too. Keys that
// type nothing (arrows, Home, End, Delete, Tab, Enter) pass. Select all and copy work; a paste goes
// in only when the text it makes is still a number of that shape, else nothing changes. Cut and
// undo do nothing. Paste by context menu, by middle button and by drop is shut off, and input-method
// text is filtered the same way.
void installNumberKeyFilter(QWidget* box, int maxDecimals = -1);

} // namespace ui
