#pragma once

class QWidget;

namespace ui {

// Makes a QLineEdit, or an editable QComboBox, accept only digits 0-9, one "." and backspace.
// Every other character is discarded, control characters included, so the clipboard keys
// (Ctrl+V/C/X, Shift+Insert and the like) and undo do nothing; a "." is discarded when the
// text that stays beside it already holds one (a typed character replaces the selection). Keys that type nothing (arrows, Home, End, Delete,
// Tab, Enter) pass. Paste by context menu, by middle button and by drop is shut off too, and
// input-method text is filtered the same way.
void installNumberKeyFilter(QWidget* box);

} // namespace ui
