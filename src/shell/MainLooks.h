#pragma once

#include "ui_MainUnit.h"

#include <QList>
#include <QSize>

class QLabel;
class QStatusBar;
class QWidget;

namespace shell {

// How the main window looks, apart from what it does: the background, colours, fonts and
// pictures of its controls, the status panels, the sale grid's columns and rows, and the
// totals kept under their grid columns.

void dressMainWindow(Ui::TMainForm& form, QWidget* client, const QSize& clientSize);

// The three panels of the status bar, left to right; the last has what the bar leaves over.
QList<QLabel*> addStatusPanels(QStatusBar* bar);

// The sale grid's columns, and its rows white and grey by turns.
void setUpSaleGrid(Ui::TMainForm& form);

// The quantity, amount and after-discount totals placed under their grid columns, each in the
// largest font that fits.
void alignTotals(Ui::TMainForm& form, QWidget* client);
void fitTotals(Ui::TMainForm& form);

} // namespace shell
