#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

namespace records {

// One cell of an exported row. A text cell with no text is written as an empty cell.
struct XlsCell
{
    enum class Kind
    {
        Empty,
        Number,
        Text
    };
    Kind kind = Kind::Empty;
    double number = 0;
    QString text;

    static XlsCell empty();
    static XlsCell of(double value);
    static XlsCell of(const QString& value);
};

// Writes an Excel 97-2003 workbook (.xls) row by row. Rows are spooled to temporary files beside the target as they
// come, so memory stays flat however many rows there are; finish() assembles the workbook and replaces the target
// in one step. Every failure is a core::Error with a message for the user: a folder that cannot be written, a full
// disk, a text too long for a cell, too many columns. A rejected row is not written; the rows before it stay.
class XlsWriter
{
public:
    static constexpr int RowsPerSheet = 65535; // data rows; with the header row that fills all 65536 rows of a sheet
    static constexpr int MaxColumns = 256;
    static constexpr int MaxTextLength = 32767; // UTF-16 units, the most an Excel cell holds

    explicit XlsWriter(const QString& path); // nothing appears at path until finish()
    ~XlsWriter();                            // an unfinished writer leaves the target as it was and no temporary files
    XlsWriter(const XlsWriter&) = delete;
    XlsWriter& operator=(const XlsWriter&) = delete;

    void setHeader(const QStringList& names); // row 1 of every worksheet; only before the first addRow()
    void addRow(const QVector<XlsCell>& cells);
    void finish(); // may be called again after it failed, e.g. once the target is no longer locked

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace records
