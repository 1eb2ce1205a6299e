#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

namespace testsupport {

// What a receipt printer would make of an ESC/POS job, read back from its bytes: the commands
// ESC @, GS v 0, ESC *, ESC J, ESC d, LF, GS V and ESC p; anything else is an error.
struct EscPosDecoding
{
    QString error;        // empty when every byte was understood
    QList<QImage> papers; // the dots printed before each cut or tear-off feed (and any left after the last)
    int initialisations = 0;
    int cuts = 0;
    int tearFeeds = 0;               // ESC d: paper fed out to tear by hand
    QList<QByteArray> drawerPulses;  // the m t1 t2 of each ESC p
    QList<int> rasterBandRows;       // height of each GS v 0 image
    QList<int> rasterBandDots;       // its width in dots
    QList<int> columnBandDensities;  // the m of each ESC *
    QList<int> columnBandDots;       // its number of columns
    QByteArray commands;             // one letter per command, in order: @ v * J d L V p
    bool columnsFedUnevenly = false; // an ESC J that is not a whole number of dot rows, or no feed after ESC *
};

// feedUnitsPerRow: ESC J units per dot row (an impact printer's 1/144 inch feed against its
// 1/72 inch pins: 2); raster jobs need none.
EscPosDecoding decodeEscPos(const QByteArray& job, int feedUnitsPerRow = 1);

// Dots of a 1-bit picture (colour index 1 black) or of the receipt a printer would print.
bool blackDot(const QImage& picture, int x, int y);
// The leftmost and rightmost columns holding a black dot; (width, -1) for a blank picture.
std::pair<int, int> inkColumns(const QImage& dots);
// Where two pictures differ, or "" when they are the same size and dot for dot the same.
QString dotDifference(const QImage& actual, const QImage& expected);
// The picture as black on white for a person to look at.
bool savePicture(const QImage& picture, const QString& path);

} // namespace testsupport
