#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace testsupport {

class TestDatabase;

// Texts a cashier could paste into any box: quotes, wildcards, control characters, text beyond
// the BMP, direction marks, blanks, and lengths either side of the columns' widths.
struct HostileText
{
    QString name;
    QString text;
};

QList<HostileText> hostileTexts();

// A "text" column with one row per hostile text.
void addHostileTextRows();

// Characters as the engine's length() counts them: an emoji is one, not two UTF-16 units.
qsizetype characterCount(const QString& text);
bool fitsWidth(const QString& text, int width);

// Puts text into a line edit, editable combo box or memo as one paste would: a single edit the
// box reports as the user's, past any key filter (filters see keys, not pastes). A combo box
// that cannot be typed into only takes a text its list holds.
void pasteInto(QWidget* box, const QString& text);

// One text column of a table as stored, in rowid order, read through hex() so that nothing
// (a '|', a newline, an unpaired byte) is lost or split on the way back.
QStringList storedTexts(const TestDatabase& db, const QString& table, const QString& column);

// Every row of the tables, for telling whether anything changed.
QStringList tableRows(const TestDatabase& db, const QStringList& tables);

} // namespace testsupport
