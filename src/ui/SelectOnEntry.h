#pragma once

class QWidget;

namespace ui {

// Whatever brings the focus into the box (a click, Tab, Backtab, a shortcut) selects its whole
// text, and so does picking an item from its list when it is a combo box: what is typed next
// replaces the amount shown instead of being added to it. A click into a box that already has the
// focus places the cursor as usual.
void selectAllOnEntry(QWidget* box);

} // namespace ui
