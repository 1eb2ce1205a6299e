#pragma once

#include "ui_MainUnit.h"

#include <QStringList>

class QComboBox;
class QWidget;

namespace printing {
struct SaleToPrint;
}

namespace store {
class Dataset;
}

namespace shell {

// The main window's sale-entry boxes: what they hold, how a line is read from them and written
// back, and where the keyboard goes between them.

void focusAndSelect(QWidget* box);
// Exactly one of the list's items, case and all.
bool namesAnItem(const QComboBox* box);
// ".5" is typed one key at a time: the point alone is no number yet, and no mistake yet either.
bool anyLonePoint(const QStringList& texts);

// Each empty price, quantity or discount box is told over owner in turn; the first then has
// the focus. True when any was empty.
bool reportEmptyEntryBoxes(QWidget* owner, Ui::TMainForm& form);
// The boxes ready for the next line: no goods, no price, quantity 1, discount 10.
void resetEntryBoxes(Ui::TMainForm& form);
// And the line's amounts emptied too.
void resetEntry(Ui::TMainForm& form);
// The line in the boxes, with the receipt number and time, into the current row of lines; posted.
void writeLine(store::Dataset& lines, const Ui::TMainForm& form);

// The sale as the window shows it, for the print run, the preview and a reprint's settings.
printing::SaleToPrint saleOnScreen(const Ui::TMainForm& form);

} // namespace shell
