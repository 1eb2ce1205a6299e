#pragma once

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <climits>

namespace records::xls {

// The Excel 97-2003 (BIFF8) records of a workbook stream: the globals, the sheets and their cells.

constexpr quint16 RecSst = 0x00FC;
constexpr quint16 RecContinue = 0x003C;
constexpr quint16 RecExtsst = 0x00FF;

constexpr int MaxRecordData = 8224;
constexpr int RecordHeaderSize = 4;
constexpr qint64 MaxStreamSize = 0x7FFFFFFF; // sheet positions are stored as 32-bit offsets
constexpr quint16 CellXf = 15;               // the default cell format that follows the 15 style formats
constexpr quint16 HeaderXf = 21;             // bold, for the header row

void putRecord(QByteArray& out, quint16 type, const QByteArray& body);
// BIFF8 stores a string as one byte per character when every character fits, else as UTF-16LE.
bool needsWideChars(const QString& text);

// The rows and columns a sheet's cells cover.
struct Extent
{
    int firstRow = INT_MAX;
    int lastRow = -1;
    int firstColumn = INT_MAX;
    int lastColumn = -1;

    void include(int row, int column)
    {
        firstRow = std::min(firstRow, row);
        lastRow = std::max(lastRow, row);
        firstColumn = std::min(firstColumn, column);
        lastColumn = std::max(lastColumn, column);
    }
    void include(const Extent& other);
    bool isEmpty() const { return lastRow < 0; }
};

void putNumberCell(QByteArray& out, int row, int column, double value);
void putTextCell(QByteArray& out, int row, int column, quint32 stringIndex, quint16 xf = CellXf);

// Columns are as wide as what they show, counted in widths of the digit 0.
int displayWidth(const QString& text);
int displayWidth(double number);

QByteArray globalsHead(); // everything of the workbook globals up to the sheet list
QByteArray boundSheetRecord(int index, qint64 position);
QByteArray worksheetBof();
QByteArray colInfoRecord(int column, int characters);
QByteArray dimensionsRecord(const Extent& extent);
QByteArray window2Record(bool selected);
QByteArray eofRecord();

} // namespace records::xls
