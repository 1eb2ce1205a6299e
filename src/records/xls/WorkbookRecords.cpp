#include "records/xls/WorkbookRecords.h"

#include "records/xls/Bytes.h"

#include <bit>
#include <cmath>

namespace records::xls {

namespace {

constexpr quint16 RecBof = 0x0809;
constexpr quint16 RecEof = 0x000A;
constexpr quint16 RecCodepage = 0x0042;
constexpr quint16 RecWindow1 = 0x003D;
constexpr quint16 RecDatemode = 0x0022;
constexpr quint16 RecFont = 0x0031;
constexpr quint16 RecXf = 0x00E0;
constexpr quint16 RecStyle = 0x0293;
constexpr quint16 RecBoundsheet = 0x0085;
constexpr quint16 RecDimensions = 0x0200;
constexpr quint16 RecWindow2 = 0x023E;
constexpr quint16 RecLabelsst = 0x00FD;
constexpr quint16 RecNumber = 0x0203;
constexpr quint16 RecFormat = 0x041E;
constexpr quint16 RecColinfo = 0x007D;

constexpr quint16 NumberXf = 22;           // two decimals, for numbers
constexpr quint16 BoldFont = 6;            // the font record after the five plain ones (index 4 does not exist)
constexpr quint16 TwoDecimalsFormat = 164; // the first index free for a workbook's own number formats
constexpr int MaxColumnChars = 255;        // the widest column Excel allows, in characters

// A string with a one-byte length, as in sheet and font names.
void putShortString(QByteArray& out, const QString& text)
{
    const bool wide = needsWideChars(text);
    putU8(out, quint32(text.size()));
    putU8(out, wide ? 1 : 0);
    putChars(out, text.constData(), text.size(), wide);
}

// Cell records are the bulk of the file, so each is put together on the stack and appended in one go.
void putCell(QByteArray& out, quint16 type, int row, int column, quint64 value, int valueSize, quint16 xf)
{
    constexpr int HeadSize = 10;
    char bytes[HeadSize + 8];
    storeLittleEndian(bytes, type, 2);
    storeLittleEndian(bytes + 2, quint64(HeadSize - RecordHeaderSize + valueSize), 2);
    storeLittleEndian(bytes + 4, quint64(row), 2);
    storeLittleEndian(bytes + 6, quint64(column), 2);
    storeLittleEndian(bytes + 8, xf, 2);
    storeLittleEndian(bytes + HeadSize, value, valueSize);
    out.append(bytes, HeadSize + valueSize);
}

QByteArray bofRecord(quint16 substreamType)
{
    QByteArray body;
    putU16(body, 0x0600); // BIFF8
    putU16(body, substreamType);
    putU16(body, 0x0DBB); // build and year of the Excel 97 format
    putU16(body, 0x07CC);
    putU32(body, 0);
    putU32(body, 0x06); // lowest BIFF version that reads every record here
    QByteArray record;
    putRecord(record, RecBof, body);
    return record;
}

QByteArray fontRecord(bool bold = false)
{
    QByteArray body;
    putU16(body, 220);          // 11 pt in twentieths of a point
    putU16(body, bold ? 1 : 0); // the old bold flag, which readers still take beside the weight; no italic
    putU16(body, 0x7FFF);       // automatic colour
    putU16(body, bold ? 700 : 400);
    putU16(body, 0);  // no super/subscript
    putU8(body, 0);   // no underline
    putU8(body, 0);   // font family: don't care
    putU8(body, 134); // GB2312 character set
    putU8(body, 0);
    putShortString(body, QStringLiteral("宋体"));
    QByteArray record;
    putRecord(record, RecFont, body);
    return record;
}

QByteArray xfRecord(quint16 font, quint16 format, quint16 typeAndProtection, quint8 usedAttributes)
{
    QByteArray body;
    putU16(body, font);
    putU16(body, format);
    putU16(body, typeAndProtection);
    putU8(body, 0x20); // general horizontal alignment, bottom aligned
    putU8(body, 0);    // no rotation
    putU8(body, 0);    // no indent
    putU8(body, usedAttributes);
    putZeros(body, 8);    // no borders
    putU16(body, 0x20C0); // pattern colours: window text on window background
    QByteArray record;
    putRecord(record, RecXf, body);
    return record;
}

// The formats every Excel workbook carries: 15 style formats, the default cell format (15), and the styles for
// the built-in comma, currency and percent styles (16-20), as Excel itself lays the table out.
QByteArray xfRecords()
{
    constexpr quint16 Style = 0xFFF5; // no parent, style format, locked
    constexpr quint16 Cell = 0x0001;  // parent Normal, locked
    const quint16 styleFonts[15] = {0, 1, 1, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QByteArray out;
    for (int i = 0; i < 15; ++i)
        out += xfRecord(styleFonts[i], 0, Style, i == 0 ? 0x00 : 0xF4);
    out += xfRecord(0, 0, Cell, 0x00);
    for (const quint16 format : {43, 41, 44, 42, 9})
        out += xfRecord(1, format, Style, 0xF8);
    // The workbook's own cell formats; the flags say which attribute differs from the Normal style.
    constexpr quint8 FontUsed = 0x08;
    constexpr quint8 FormatUsed = 0x04;
    out += xfRecord(BoldFont, 0, Cell, FontUsed);
    out += xfRecord(0, TwoDecimalsFormat, Cell, FormatUsed);
    return out;
}

QByteArray formatRecord(quint16 index, const QString& code)
{
    QByteArray body;
    putU16(body, index);
    putU16(body, quint32(code.size()));
    putU8(body, 0); // one byte per character
    putChars(body, code.constData(), code.size(), false);
    QByteArray record;
    putRecord(record, RecFormat, body);
    return record;
}

QByteArray styleRecords()
{
    struct BuiltIn
    {
        quint16 xf;
        quint8 style;
    };
    QByteArray out;
    for (const BuiltIn& builtIn :
         {BuiltIn{16, 3}, BuiltIn{17, 6}, BuiltIn{18, 4}, BuiltIn{19, 7}, BuiltIn{0, 0}, BuiltIn{20, 5}}) {
        QByteArray body;
        putU16(body, 0x8000 | builtIn.xf);
        putU8(body, builtIn.style);
        putU8(body, 0xFF); // not an outline level style
        putRecord(out, RecStyle, body);
    }
    return out;
}

QString sheetName(int index)
{
    return QStringLiteral("Sheet%1").arg(index + 1);
}

} // namespace

void putRecord(QByteArray& out, quint16 type, const QByteArray& body)
{
    putU16(out, type);
    putU16(out, quint32(body.size()));
    out.append(body);
}

bool needsWideChars(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0xFF; });
}

void Extent::include(const Extent& other)
{
    if (other.isEmpty())
        return;
    include(other.firstRow, other.firstColumn);
    include(other.lastRow, other.lastColumn);
}

void putNumberCell(QByteArray& out, int row, int column, double value)
{
    putCell(out, RecNumber, row, column, std::bit_cast<quint64>(value), 8, NumberXf);
}

void putTextCell(QByteArray& out, int row, int column, quint32 stringIndex, quint16 xf)
{
    putCell(out, RecLabelsst, row, column, stringIndex, 4, xf);
}

// Columns are as wide as what they show, counted in widths of the digit 0: Chinese characters
// (and other wide ones) take two.
int displayWidth(const QString& text)
{
    int width = 0;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (c.isLowSurrogate())
            continue;
        const bool halfWidthForm = unit >= 0xFF61 && unit <= 0xFFDC;
        width += (unit >= 0x2E80 && !halfWidthForm) || c.isHighSurrogate() ? 2 : 1;
    }
    return width;
}

// As the two-decimal format shows the number: sign, integer digits, point and two decimals.
int displayWidth(double number)
{
    const double shown = std::fabs(std::round(number * 100) / 100);
    const int digits = shown < 10 ? 1 : int(std::floor(std::log10(shown))) + 1;
    return (number < 0 ? 1 : 0) + std::min(digits, MaxColumnChars) + 3;
}

QByteArray eofRecord()
{
    QByteArray record;
    putRecord(record, RecEof, {});
    return record;
}

QByteArray colInfoRecord(int column, int characters)
{
    QByteArray body;
    putU16(body, quint32(column));
    putU16(body, quint32(column));
    putU16(body, quint32(std::min(characters, MaxColumnChars) * 256)); // in 1/256 of the digit 0's width
    putU16(body, CellXf);
    putU16(body, 0); // shown, no outline
    putU16(body, 0);
    QByteArray record;
    putRecord(record, RecColinfo, body);
    return record;
}

// Everything of the workbook globals up to the sheet list.
QByteArray globalsHead()
{
    QByteArray out = bofRecord(0x0005);
    QByteArray body;
    putU16(body, 1200); // strings are UTF-16
    putRecord(out, RecCodepage, body);

    body.clear();
    for (const quint32 value : {0x01E0, 0x005A, 0x3FCF, 0x2A4E}) // window position and size
        putU16(body, value);
    putU16(body, 0x0038); // scroll bars and sheet tabs shown
    putU16(body, 0);      // first sheet active
    putU16(body, 0);      // first sheet tab shown
    putU16(body, 1);      // one sheet selected
    putU16(body, 600);    // tab bar width ratio
    putRecord(out, RecWindow1, body);

    body.clear();
    putU16(body, 0); // dates count from 1900
    putRecord(out, RecDatemode, body);

    for (int i = 0; i < 5; ++i) // index 4 does not exist, so five records give fonts 0-3 and 5
        out += fontRecord();
    out += fontRecord(true);
    out += formatRecord(TwoDecimalsFormat, QStringLiteral("0.00"));
    out += xfRecords();
    out += styleRecords();
    return out;
}

QByteArray boundSheetRecord(int index, qint64 position)
{
    QByteArray body;
    putU32(body, quint32(position));
    putU16(body, 0); // visible worksheet
    putShortString(body, sheetName(index));
    QByteArray record;
    putRecord(record, RecBoundsheet, body);
    return record;
}

QByteArray dimensionsRecord(const Extent& extent)
{
    QByteArray body;
    if (extent.isEmpty()) {
        putZeros(body, 14);
    } else {
        putU32(body, quint32(extent.firstRow));
        putU32(body, quint32(extent.lastRow + 1));
        putU16(body, quint32(extent.firstColumn));
        putU16(body, quint32(extent.lastColumn + 1));
        putU16(body, 0);
    }
    QByteArray record;
    putRecord(record, RecDimensions, body);
    return record;
}

QByteArray window2Record(bool selected)
{
    // Grid lines, headings, zeros, automatic grid colour and outline symbols shown; the first sheet is the open one.
    constexpr quint16 Shown = 0x00B6;
    constexpr quint16 SelectedAndOpen = 0x0600;
    QByteArray body;
    putU16(body, selected ? Shown | SelectedAndOpen : Shown);
    putU16(body, 0);    // top row
    putU16(body, 0);    // left column
    putU32(body, 0x40); // grid line colour: default
    putU16(body, 0);    // page break preview zoom: default
    putU16(body, 0);    // normal zoom: default
    putU32(body, 0);
    QByteArray record;
    putRecord(record, RecWindow2, body);
    return record;
}

QByteArray worksheetBof()
{
    return bofRecord(0x0010);
}

} // namespace records::xls
