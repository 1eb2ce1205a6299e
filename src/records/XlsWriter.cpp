#include "records/XlsWriter.h"

#include "store/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QTemporaryFile>
#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>

namespace records {

XlsCell XlsCell::empty()
{
    return {};
}

XlsCell XlsCell::of(double value)
{
    XlsCell cell;
    cell.kind = Kind::Number;
    cell.number = value;
    return cell;
}

XlsCell XlsCell::of(const QString& value)
{
    XlsCell cell;
    cell.kind = Kind::Text;
    cell.text = value;
    return cell;
}

namespace {

// BIFF8 record types.
constexpr quint16 RecBof = 0x0809;
constexpr quint16 RecEof = 0x000A;
constexpr quint16 RecCodepage = 0x0042;
constexpr quint16 RecWindow1 = 0x003D;
constexpr quint16 RecDatemode = 0x0022;
constexpr quint16 RecFont = 0x0031;
constexpr quint16 RecXf = 0x00E0;
constexpr quint16 RecStyle = 0x0293;
constexpr quint16 RecBoundsheet = 0x0085;
constexpr quint16 RecSst = 0x00FC;
constexpr quint16 RecContinue = 0x003C;
constexpr quint16 RecExtsst = 0x00FF;
constexpr quint16 RecDimensions = 0x0200;
constexpr quint16 RecWindow2 = 0x023E;
constexpr quint16 RecLabelsst = 0x00FD;
constexpr quint16 RecNumber = 0x0203;
constexpr quint16 RecFormat = 0x041E;
constexpr quint16 RecColinfo = 0x007D;

constexpr int MaxRecordData = 8224;
constexpr quint16 CellXf = 15;   // the default cell format that follows the 15 style formats
constexpr quint16 HeaderXf = 21; // bold, for the header row
constexpr quint16 NumberXf = 22; // two decimals, for numbers
constexpr quint16 BoldFont = 6;  // the font record after the five plain ones (index 4 does not exist)
constexpr quint16 TwoDecimalsFormat = 164; // the first index free for a workbook's own number formats
constexpr int MaxColumnChars = 255;        // the widest column Excel allows, in characters
constexpr int RecordHeaderSize = 4;
constexpr qint64 MaxStreamSize = 0x7FFFFFFF; // sheet positions are stored as 32-bit offsets

// Compound file constants (512-byte sectors).
constexpr int SectorSize = 512;
constexpr qint64 MinRegularStreamSize = 4096; // smaller streams would have to live in the mini stream
constexpr quint32 FreeSect = 0xFFFFFFFF;
constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 FatSect = 0xFFFFFFFD;
constexpr quint32 DifSect = 0xFFFFFFFC;
constexpr quint32 NoStream = 0xFFFFFFFF;
constexpr quint32 EntriesPerFatSector = SectorSize / 4;
constexpr quint32 FatSectorsInHeader = 109;
constexpr quint32 FatSectorsPerDifatSector = EntriesPerFatSector - 1;

constexpr qsizetype SpoolFlushSize = 256 * 1024;
constexpr qsizetype CopyChunkSize = 256 * 1024;

void storeLittleEndian(char* at, quint64 value, int size)
{
    for (int i = 0; i < size; ++i)
        at[i] = char((value >> (8 * i)) & 0xFF);
}

void putLittleEndian(QByteArray& out, quint64 value, int size)
{
    char bytes[8];
    storeLittleEndian(bytes, value, size);
    out.append(bytes, size);
}

void putU8(QByteArray& out, quint32 value)
{
    putLittleEndian(out, value, 1);
}

void putU16(QByteArray& out, quint32 value)
{
    putLittleEndian(out, value, 2);
}

void putU32(QByteArray& out, quint32 value)
{
    putLittleEndian(out, value, 4);
}

void putU64(QByteArray& out, quint64 value)
{
    putLittleEndian(out, value, 8);
}

void putZeros(QByteArray& out, qsizetype count)
{
    out.append(count, '\0');
}

void putRecord(QByteArray& out, quint16 type, const QByteArray& body)
{
    putU16(out, type);
    putU16(out, quint32(body.size()));
    out.append(body);
}

// BIFF8 stores a string as one byte per character when every character fits, else as UTF-16LE.
bool needsWideChars(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0xFF; });
}

void putChars(QByteArray& out, const QChar* chars, qsizetype count, bool wide)
{
    const qsizetype start = out.size();
    out.resize(start + count * (wide ? 2 : 1));
    char* next = out.data() + start;
    for (qsizetype i = 0; i < count; ++i) {
        const char16_t unit = chars[i].unicode();
        *next++ = char(unit & 0xFF);
        if (wide)
            *next++ = char(unit >> 8);
    }
}

// A string with a one-byte length, as in sheet and font names.
void putShortString(QByteArray& out, const QString& text)
{
    const bool wide = needsWideChars(text);
    putU8(out, quint32(text.size()));
    putU8(out, wide ? 1 : 0);
    putChars(out, text.constData(), text.size(), wide);
}

store::Error writeFailure(const QString& target, const QString& reason)
{
    return store::Error(QStringLiteral("无法写入导出文件“%1”：%2")
                            .arg(store::excerptForMessage(QDir::toNativeSeparators(target)), reason));
}

// The final file, with a running count of what was written so the layout computed beforehand can be checked.
class Output
{
public:
    Output(QSaveFile& file, const QString& target) : m_file(file), m_target(target) {}

    void write(const QByteArray& bytes) { write(bytes.constData(), bytes.size()); }
    void write(const char* data, qint64 size);
    void writeZeros(qint64 count);
    qint64 position() const { return m_position; }

private:
    QSaveFile& m_file;
    QString m_target;
    qint64 m_position = 0;
};

void Output::write(const char* data, qint64 size)
{
    if (m_file.write(data, size) != size)
        throw writeFailure(m_target, m_file.errorString());
    m_position += size;
}

void Output::writeZeros(qint64 count)
{
    const QByteArray zeros(SectorSize, '\0');
    while (count > 0) {
        const qint64 part = std::min<qint64>(count, zeros.size());
        write(zeros.constData(), part);
        count -= part;
    }
}

// Bytes that are produced row by row but only needed at finish(), kept in a temporary file beside the target.
// Once a write to it has failed its content is incomplete, so every later use fails with the same message.
class Spool
{
public:
    Spool(const QString& target, const QString& purpose);

    QByteArray& buffer() { return m_buffer; }
    qint64 size() const { return m_flushed + m_buffer.size(); }
    void flushIfFull();
    void flush();
    void copyTo(Output& out, qint64 from, qint64 to);

private:
    void open();

    QString m_target;
    QTemporaryFile m_file;
    QByteArray m_buffer;
    qint64 m_flushed = 0;
    QString m_failure;
};

Spool::Spool(const QString& target, const QString& purpose) : m_target(target)
{
    const QFileInfo info(target);
    m_file.setFileTemplate(info.absoluteDir().filePath(QStringLiteral(".%1.%2.XXXXXX").arg(info.fileName(), purpose)));
    m_buffer.reserve(SpoolFlushSize + MaxRecordData);
}

void Spool::flushIfFull()
{
    if (m_buffer.size() >= SpoolFlushSize)
        flush();
}

void Spool::open()
{
    if (!m_file.open()) {
        m_failure = writeFailure(m_target, m_file.errorString()).message();
        throw store::Error(m_failure);
    }
}

void Spool::flush()
{
    if (!m_failure.isEmpty())
        throw store::Error(m_failure);
    if (!m_file.isOpen())
        open();
    const bool written = m_file.write(m_buffer) == m_buffer.size() && m_file.flush();
    if (!written) {
        m_failure = writeFailure(m_target, m_file.errorString()).message();
        throw store::Error(m_failure);
    }
    m_flushed += m_buffer.size();
    m_buffer.resize(0); // keeps the capacity for the next rows
}

void Spool::copyTo(Output& out, qint64 from, qint64 to)
{
    flush();
    if (!m_file.seek(from))
        throw writeFailure(m_target, m_file.errorString());
    QByteArray chunk;
    for (qint64 left = to - from; left > 0;) {
        chunk = m_file.read(std::min<qint64>(left, CopyChunkSize));
        if (chunk.isEmpty())
            throw writeFailure(m_target, m_file.errorString());
        out.write(chunk);
        left -= chunk.size();
    }
    m_file.seek(m_file.size());
}

// The shared string table (SST), laid out into SST and CONTINUE records as strings arrive, and the EXTSST index
// into it. Recently seen short strings are shared; the cache is bounded so memory stays flat.
class SharedStrings
{
public:
    explicit SharedStrings(const QString& target) : m_spool(target, QStringLiteral("text")) { putZeros(m_record, 8); }

    quint32 indexOf(const QString& text);
    void close();
    qint64 byteSize() const { return m_spool.size(); }
    void copyTo(Output& out, quint32 references);
    QByteArray extSst(qint64 sstPosition) const;

private:
    struct BucketStart
    {
        qint64 offset;          // from the start of the SST record
        quint16 offsetInRecord; // from the start of the record holding it, header included
    };
    static constexpr int MaxBuckets = 1024; // EXTSST must fit in one record
    static constexpr int MaxCachedLength = 255;
    static constexpr int MaxCachedStrings = 8192;

    void append(const QString& text);
    void noteBucketStart();
    void closeRecord();

    Spool m_spool;
    QByteArray m_record; // body of the record being filled; the first one starts with the two counts
    quint16 m_recordType = RecSst;
    quint32 m_unique = 0;
    bool m_closed = false;
    QHash<QString, quint32> m_recent;
    QVector<BucketStart> m_buckets;
    int m_bucketStep = 8;
};

quint32 SharedStrings::indexOf(const QString& text)
{
    if (text.size() <= MaxCachedLength) {
        const auto found = m_recent.constFind(text);
        if (found != m_recent.cend())
            return found.value();
        if (m_recent.size() >= MaxCachedStrings)
            m_recent.clear();
    }
    const quint32 index = m_unique;
    append(text);
    if (text.size() <= MaxCachedLength)
        m_recent.insert(text, index);
    return index;
}

void SharedStrings::append(const QString& text)
{
    const bool wide = needsWideChars(text);
    const int unit = wide ? 2 : 1;
    // The string header is never split, and a record break must fall between whole surrogate pairs.
    if (MaxRecordData - m_record.size() < 3 + 2 * unit)
        closeRecord();
    noteBucketStart();
    putU16(m_record, quint32(text.size()));
    putU8(m_record, wide ? 1 : 0);
    for (qsizetype done = 0;;) {
        const qsizetype left = text.size() - done;
        qsizetype take = std::min<qsizetype>((MaxRecordData - m_record.size()) / unit, left);
        if (take < left && take > 1 && text.at(done + take - 1).isHighSurrogate())
            --take;
        putChars(m_record, text.constData() + done, take, wide);
        done += take;
        if (done == text.size())
            break;
        closeRecord();
        putU8(m_record, wide ? 1 : 0); // a continued string repeats its width flag
    }
    ++m_unique;
}

// Keeps one EXTSST entry per bucket of m_bucketStep strings; when the table is full, every other entry goes and
// the buckets double, so the entries always cover the whole table.
void SharedStrings::noteBucketStart()
{
    if (m_unique % m_bucketStep != 0)
        return;
    if (m_buckets.size() == MaxBuckets) {
        if (m_bucketStep > 0x7FFF)
            throw store::Error(QStringLiteral("导出的文字太多，超出了 xls 文件的容量，请缩小导出范围。"));
        for (int i = 0; i < MaxBuckets / 2; ++i)
            m_buckets[i] = m_buckets[2 * i];
        m_buckets.resize(MaxBuckets / 2);
        m_bucketStep *= 2;
    }
    const int inRecord = RecordHeaderSize + int(m_record.size());
    m_buckets.append({m_spool.size() + inRecord, quint16(inRecord)});
}

void SharedStrings::closeRecord()
{
    QByteArray& out = m_spool.buffer();
    putU16(out, m_recordType);
    putU16(out, quint32(m_record.size()));
    out.append(m_record);
    m_record.resize(0);
    m_recordType = RecContinue;
    m_spool.flushIfFull();
}

void SharedStrings::close()
{
    if (m_closed)
        return;
    closeRecord();
    m_spool.flush();
    m_closed = true;
}

void SharedStrings::copyTo(Output& out, quint32 references)
{
    constexpr int CountsEnd = RecordHeaderSize + 8;
    m_spool.copyTo(out, 0, RecordHeaderSize);
    QByteArray counts;
    putU32(counts, references);
    putU32(counts, m_unique);
    out.write(counts);
    m_spool.copyTo(out, CountsEnd, m_spool.size());
}

QByteArray SharedStrings::extSst(qint64 sstPosition) const
{
    QByteArray body;
    putU16(body, quint32(m_bucketStep));
    for (const BucketStart& bucket : m_buckets) {
        putU32(body, quint32(sstPosition + bucket.offset));
        putU16(body, bucket.offsetInRecord);
        putU16(body, 0);
    }
    QByteArray record;
    putRecord(record, RecExtsst, body);
    return record;
}

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

void Extent::include(const Extent& other)
{
    if (other.isEmpty())
        return;
    include(other.firstRow, other.firstColumn);
    include(other.lastRow, other.lastColumn);
}

struct Sheet
{
    qint64 cellsBegin = 0; // range of this sheet's cell records in the cell spool
    qint64 cellsEnd = 0;
    int dataRows = 0;
    Extent dataExtent;
};

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

void putNumberCell(QByteArray& out, int row, int column, double value)
{
    putCell(out, RecNumber, row, column, std::bit_cast<quint64>(value), 8, NumberXf);
}

void putTextCell(QByteArray& out, int row, int column, quint32 stringIndex, quint16 xf = CellXf)
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

QByteArray eofRecord()
{
    QByteArray record;
    putRecord(record, RecEof, {});
    return record;
}

QByteArray fontRecord(bool bold = false)
{
    QByteArray body;
    putU16(body, 220);          // 11 pt in twentieths of a point
    putU16(body, bold ? 1 : 0); // the old bold flag, which readers still take beside the weight; no italic
    putU16(body, 0x7FFF);       // automatic colour
    putU16(body, bold ? 700 : 400);
    putU16(body, 0);      // no super/subscript
    putU8(body, 0);       // no underline
    putU8(body, 0);       // font family: don't care
    putU8(body, 134);     // GB2312 character set
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

QString sheetName(int index)
{
    return QStringLiteral("Sheet%1").arg(index + 1);
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

// Where everything goes in the compound file: the Workbook stream from sector 0, then the directory, the FAT and
// the DIFAT sectors that list FAT sectors beyond the 109 the header holds.
struct CompoundLayout
{
    quint32 streamSectors = 0;
    quint32 fatSectors = 0;
    quint32 difatSectors = 0;

    quint32 directorySector() const { return streamSectors; }
    quint32 firstFatSector() const { return streamSectors + 1; }
    quint32 firstDifatSector() const { return firstFatSector() + fatSectors; }
    quint32 totalSectors() const { return firstDifatSector() + difatSectors; }
    quint32 fatEntry(quint32 sector) const;
};

quint32 CompoundLayout::fatEntry(quint32 sector) const
{
    if (sector + 1 < streamSectors)
        return sector + 1;
    if (sector + 1 == streamSectors || sector == directorySector())
        return EndOfChain;
    if (sector < firstDifatSector())
        return FatSect;
    if (sector < totalSectors())
        return DifSect;
    return FreeSect;
}

CompoundLayout layoutFor(qint64 streamSize)
{
    CompoundLayout layout;
    layout.streamSectors = quint32((streamSize + SectorSize - 1) / SectorSize);
    for (;;) {
        const quint32 fat = (layout.totalSectors() + EntriesPerFatSector - 1) / EntriesPerFatSector;
        const quint32 beyondHeader = fat > FatSectorsInHeader ? fat - FatSectorsInHeader : 0;
        const quint32 difat = (beyondHeader + FatSectorsPerDifatSector - 1) / FatSectorsPerDifatSector;
        if (fat == layout.fatSectors && difat == layout.difatSectors)
            return layout;
        layout.fatSectors = fat;
        layout.difatSectors = difat;
    }
}

QByteArray compoundHeader(const CompoundLayout& layout)
{
    QByteArray out;
    for (const quint8 byte : {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1})
        putU8(out, byte);
    putZeros(out, 16);   // class id
    putU16(out, 0x003E); // minor version
    putU16(out, 0x0003); // major version 3: 512-byte sectors
    putU16(out, 0xFFFE); // little-endian
    putU16(out, 9);      // sector size 2^9
    putU16(out, 6);      // mini sector size 2^6
    putZeros(out, 6);
    putU32(out, 0); // directory sector count, always 0 in version 3
    putU32(out, layout.fatSectors);
    putU32(out, layout.directorySector());
    putU32(out, 0); // no transactions
    putU32(out, quint32(MinRegularStreamSize));
    putU32(out, EndOfChain); // no mini FAT
    putU32(out, 0);
    putU32(out, layout.difatSectors > 0 ? layout.firstDifatSector() : EndOfChain);
    putU32(out, layout.difatSectors);
    for (quint32 i = 0; i < FatSectorsInHeader; ++i)
        putU32(out, i < layout.fatSectors ? layout.firstFatSector() + i : FreeSect);
    return out;
}

void putDirectoryEntry(QByteArray& out, const QString& name, quint8 type, quint32 child, quint32 start, quint32 size)
{
    QByteArray utf16Name;
    putChars(utf16Name, name.constData(), name.size(), true);
    putU16(utf16Name, 0);
    out.append(utf16Name);
    putZeros(out, 64 - utf16Name.size());
    putU16(out, quint32(utf16Name.size()));
    putU8(out, type);
    putU8(out, 1); // black in the red-black tree
    putU32(out, NoStream);
    putU32(out, NoStream);
    putU32(out, child);
    putZeros(out, 16 + 4 + 8 + 8); // class id, state bits, creation and modification times
    putU32(out, start);
    putU64(out, size);
}

void putUnusedDirectoryEntry(QByteArray& out)
{
    putZeros(out, 66 + 2);
    putU32(out, NoStream);
    putU32(out, NoStream);
    putU32(out, NoStream);
    putZeros(out, 16 + 4 + 8 + 8 + 4 + 8);
}

QByteArray directorySector(quint32 streamSize)
{
    constexpr quint8 RootType = 5;
    constexpr quint8 StreamType = 2;
    QByteArray out;
    putDirectoryEntry(out, QStringLiteral("Root Entry"), RootType, 1, EndOfChain, 0);
    putDirectoryEntry(out, QStringLiteral("Workbook"), StreamType, NoStream, 0, streamSize);
    putUnusedDirectoryEntry(out);
    putUnusedDirectoryEntry(out);
    return out;
}

void writeFat(Output& out, const CompoundLayout& layout)
{
    QByteArray sector;
    for (quint32 fatSector = 0; fatSector < layout.fatSectors; ++fatSector) {
        sector.clear();
        for (quint32 i = 0; i < EntriesPerFatSector; ++i)
            putU32(sector, layout.fatEntry(fatSector * EntriesPerFatSector + i));
        out.write(sector);
    }
}

void writeDifat(Output& out, const CompoundLayout& layout)
{
    QByteArray sector;
    for (quint32 difatSector = 0; difatSector < layout.difatSectors; ++difatSector) {
        sector.clear();
        for (quint32 i = 0; i < FatSectorsPerDifatSector; ++i) {
            const quint32 fatIndex = FatSectorsInHeader + difatSector * FatSectorsPerDifatSector + i;
            putU32(sector, fatIndex < layout.fatSectors ? layout.firstFatSector() + fatIndex : FreeSect);
        }
        const bool last = difatSector + 1 == layout.difatSectors;
        putU32(sector, last ? EndOfChain : layout.firstDifatSector() + difatSector + 1);
        out.write(sector);
    }
}

store::Error textTooLong(const QString& where, qsizetype length)
{
    return store::Error(QStringLiteral("%1的文字有 %2 个字符，超过了 Excel 单元格最多 %3 个字符的限制，无法导出。")
                            .arg(where)
                            .arg(length)
                            .arg(XlsWriter::MaxTextLength));
}

store::Error tooManyColumns(const QString& where, qsizetype count)
{
    return store::Error(QStringLiteral("%1有 %2 列，超过了 xls 文件最多 %3 列的限制，无法导出。")
                            .arg(where)
                            .arg(count)
                            .arg(XlsWriter::MaxColumns));
}

QString cellLocation(qint64 rowNumber, qsizetype column)
{
    return QStringLiteral("第 %1 行第 %2 列").arg(rowNumber).arg(column + 1);
}

store::Error tooMuchData()
{
    return store::Error(QStringLiteral("导出的数据太多，超出了 xls 文件 2GB 的容量，请缩小导出范围。"));
}

// Messages are only built on failure: this runs for every exported row.
void checkRow(const QVector<XlsCell>& cells, qint64 rowNumber)
{
    if (cells.size() > XlsWriter::MaxColumns)
        throw tooManyColumns(QStringLiteral("第 %1 行").arg(rowNumber), cells.size());
    for (qsizetype column = 0; column < cells.size(); ++column) {
        const XlsCell& cell = cells.at(column);
        if (cell.kind == XlsCell::Kind::Text && cell.text.size() > XlsWriter::MaxTextLength)
            throw textTooLong(cellLocation(rowNumber, column), cell.text.size());
        if (cell.kind == XlsCell::Kind::Number && !std::isfinite(cell.number))
            throw store::Error(QStringLiteral("%1不是有效的数值，无法导出。").arg(cellLocation(rowNumber, column)));
    }
}

} // namespace

struct XlsWriter::Impl
{
    explicit Impl(const QString& target) : path(target), strings(target), cells(target, QStringLiteral("cells")) {}

    void ensureOpenForRows() const;
    void fixHeader();
    int headerRows() const { return headerStrings.isEmpty() ? 0 : 1; }
    void startSheet();
    void writeRow(const QVector<XlsCell>& row);
    QByteArray sheetHead(int index) const;
    void widen(int column, int characters);
    void writeWorkbook();

    QString path;
    QStringList header;
    QVector<qint64> headerStrings; // string index per header column, -1 for a blank name
    Extent headerExtent;
    bool headerFixed = false;
    bool finishing = false;
    qint64 rowsAdded = 0;
    qint64 textCells = 0; // references to the string table from data rows
    SharedStrings strings;
    Spool cells;
    QVector<Sheet> sheets;
    QVector<int> columnChars; // the widest text or number each column shows, in characters
};

void XlsWriter::Impl::widen(int column, int characters)
{
    if (column >= columnChars.size())
        columnChars.resize(column + 1, 0);
    columnChars[column] = std::max(columnChars[column], characters);
}

void XlsWriter::Impl::ensureOpenForRows() const
{
    if (finishing)
        throw store::Error(
            QStringLiteral("导出文件“%1”已经在写出，不能再添加内容。").arg(QDir::toNativeSeparators(path)));
}

// The header's strings go into the table once, when the first row or finish() shows the header is settled.
void XlsWriter::Impl::fixHeader()
{
    if (headerFixed)
        return;
    headerFixed = true;
    if (header.isEmpty())
        return;
    for (qsizetype column = 0; column < header.size(); ++column) {
        const QString& name = header.at(column);
        headerStrings.append(name.isEmpty() ? -1 : qint64(strings.indexOf(name)));
        if (!name.isEmpty())
            headerExtent.include(0, int(column));
        widen(int(column), displayWidth(name) + 1); // bold runs wider
    }
}

void XlsWriter::Impl::startSheet()
{
    Sheet sheet;
    sheet.cellsBegin = cells.size();
    sheet.cellsEnd = sheet.cellsBegin;
    sheets.append(sheet);
}

void XlsWriter::Impl::writeRow(const QVector<XlsCell>& row)
{
    if (cells.size() + strings.byteSize() > MaxStreamSize)
        throw tooMuchData();
    const bool newSheet = sheets.isEmpty() || sheets.last().dataRows == RowsPerSheet;
    if (newSheet)
        startSheet();
    Sheet& sheet = sheets.last();
    const int rowIndex = headerRows() + sheet.dataRows;
    QByteArray& out = cells.buffer();
    const qsizetype rowStart = out.size();
    Extent extent = sheet.dataExtent;
    qint64 texts = 0;
    try {
        for (int column = 0; column < int(row.size()); ++column) {
            const XlsCell& cell = row.at(column);
            if (cell.kind == XlsCell::Kind::Number) {
                putNumberCell(out, rowIndex, column, cell.number);
            } else if (cell.kind == XlsCell::Kind::Text && !cell.text.isEmpty()) {
                putTextCell(out, rowIndex, column, strings.indexOf(cell.text));
                ++texts;
            } else {
                continue;
            }
            extent.include(rowIndex, column);
        }
    } catch (const store::Error&) {
        // A row goes in whole or not at all; strings it already added stay in the table unused, which is harmless.
        out.resize(rowStart);
        if (newSheet)
            sheets.removeLast();
        throw;
    }
    for (int column = 0; column < int(row.size()); ++column) {
        const XlsCell& cell = row.at(column);
        if (cell.kind == XlsCell::Kind::Number)
            widen(column, displayWidth(cell.number));
        else if (cell.kind == XlsCell::Kind::Text)
            widen(column, displayWidth(cell.text));
    }
    sheet.dataExtent = extent;
    textCells += texts;
    ++sheet.dataRows;
    ++rowsAdded;
    sheet.cellsEnd = cells.size();
    cells.flushIfFull();
}

QByteArray XlsWriter::Impl::sheetHead(int index) const
{
    Extent extent = sheets.at(index).dataExtent;
    extent.include(headerExtent);
    QByteArray out = bofRecord(0x0010);
    // A little room either side, and never narrower than the default column.
    constexpr int Margin = 2, DefaultChars = 8;
    for (int column = 0; column < int(columnChars.size()); ++column)
        out += colInfoRecord(column, std::max(columnChars.at(column) + Margin, DefaultChars));
    out += dimensionsRecord(extent);
    for (int column = 0; column < int(headerStrings.size()); ++column) {
        if (headerStrings.at(column) >= 0)
            putTextCell(out, 0, column, quint32(headerStrings.at(column)), HeaderXf);
    }
    return out;
}

void XlsWriter::Impl::writeWorkbook()
{
    strings.close();
    cells.flush();

    const int sheetCount = int(sheets.size());
    const QByteArray head = globalsHead();
    const qint64 boundSheetsSize = [&] {
        qint64 size = 0;
        for (int i = 0; i < sheetCount; ++i)
            size += boundSheetRecord(i, 0).size();
        return size;
    }();
    const qint64 sstPosition = head.size() + boundSheetsSize;
    const QByteArray extSst = strings.extSst(sstPosition);
    const QByteArray eof = eofRecord();
    const qint64 globalsSize = sstPosition + strings.byteSize() + extSst.size() + eof.size();

    QVector<QByteArray> sheetHeads;
    QVector<qint64> sheetPositions;
    qint64 streamSize = globalsSize;
    for (int i = 0; i < sheetCount; ++i) {
        sheetHeads.append(sheetHead(i));
        sheetPositions.append(streamSize);
        streamSize += sheetHeads.last().size() + (sheets.at(i).cellsEnd - sheets.at(i).cellsBegin) +
                      window2Record(i == 0).size() + eof.size();
    }
    if (streamSize > MaxStreamSize)
        throw tooMuchData();
    const qint64 storedSize = std::max(streamSize, MinRegularStreamSize);
    const CompoundLayout layout = layoutFor(storedSize);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw writeFailure(path, file.errorString());
    Output out(file, path);
    out.write(compoundHeader(layout));
    out.write(head);
    for (int i = 0; i < sheetCount; ++i)
        out.write(boundSheetRecord(i, sheetPositions.at(i)));
    const qint64 headerTexts =
        std::count_if(headerStrings.cbegin(), headerStrings.cend(), [](qint64 s) { return s >= 0; });
    strings.copyTo(out, quint32(headerTexts * sheetCount + textCells));
    out.write(extSst);
    out.write(eof);
    for (int i = 0; i < sheetCount; ++i) {
        out.write(sheetHeads.at(i));
        cells.copyTo(out, sheets.at(i).cellsBegin, sheets.at(i).cellsEnd);
        out.write(window2Record(i == 0));
        out.write(eof);
    }
    if (out.position() != SectorSize + streamSize)
        throw writeFailure(path, QStringLiteral("内部错误：工作簿长度与预计不符"));
    out.writeZeros(qint64(layout.streamSectors) * SectorSize - streamSize);
    out.write(directorySector(quint32(storedSize)));
    writeFat(out, layout);
    writeDifat(out, layout);
    if (!file.commit())
        throw writeFailure(path, file.errorString());
}

XlsWriter::XlsWriter(const QString& path) : d(std::make_unique<Impl>(path)) {}

XlsWriter::~XlsWriter() = default;

void XlsWriter::setHeader(const QStringList& names)
{
    if (d->headerFixed)
        throw store::Error(QStringLiteral("导出表头必须在写入数据行之前设置。"));
    if (names.size() > MaxColumns)
        throw tooManyColumns(QStringLiteral("表头"), names.size());
    for (qsizetype column = 0; column < names.size(); ++column) {
        if (names.at(column).size() > MaxTextLength)
            throw textTooLong(QStringLiteral("表头第 %1 列").arg(column + 1), names.at(column).size());
    }
    d->header = names;
}

void XlsWriter::addRow(const QVector<XlsCell>& cells)
{
    d->ensureOpenForRows();
    checkRow(cells, d->rowsAdded + 1);
    d->fixHeader();
    d->writeRow(cells);
}

void XlsWriter::finish()
{
    d->finishing = true;
    d->fixHeader();
    if (d->sheets.isEmpty())
        d->startSheet();
    d->writeWorkbook();
}

} // namespace records
