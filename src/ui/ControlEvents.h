#pragma once

#include <functional>

class QCheckBox;
class QComboBox;
class QWidget;

namespace ui {

// The event rules the windows rely on. Every handler runs through runGuarded(owner), so its
// errors are reported on owner; any handler may be null.

// Picking an item (mouse, arrow keys, wheel or typing a letter in a closed box) sets the text,
// then runs onClick, then onChange, once each. Typing into an editable box runs onChange once
// per change the user makes, and never onClick. Pressing Enter on, or leaving, a box whose typed
// text names an item is not a pick either; should the box rewrite the text to the item's own
// spelling, onChange runs once more. The box never adds typed text to its list. Make the box
// editable before wiring it.
void wireCombo(QComboBox* box, QWidget* owner, std::function<void()> onClick, std::function<void()> onChange);

// Runs handler on each key release in widget (auto-repeat releases excluded), after the key
// press has changed the text. An editable combo box is watched together with its line edit,
// whichever of the two receives the key.
void onKeyRelease(QWidget* widget, QWidget* owner, std::function<void()> handler);

// Runs handler for Enter (either key, no modifier but the keypad's) pressed in widget and takes
// the key, so neither the widget nor the window's default button sees it. An editable combo box
// is watched together with its line edit.
void onEnterKey(QWidget* widget, QWidget* owner, std::function<void()> handler);

// QCheckBox::toggled already fires only when the state really changes, by the user or by
// setChecked, so check boxes need nothing beyond the guard.
void wireCheck(QCheckBox* box, QWidget* owner, std::function<void()> onClick);

} // namespace ui
