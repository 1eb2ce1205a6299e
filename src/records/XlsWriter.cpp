#include "records/XlsWriter.h"

#include "core/Error.h"
#include "records/xls/Bytes.h"
#include "records/xls/CompoundFile.h"
#include "records/xls/SharedStrings.h"
#include "records/xls/Spool.h"
#include "records/xls/WorkbookRecords.h"

#include <QDir>
#include <QSaveFile>
#include <algorithm>
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

struct Sheet
{
    qint64 cellsBegin = 0; // range of this sheet's cell records in the cell spool
    qint64 cellsEnd = 0;
    int dataRows = 0;
    xls::Extent dataExtent;
};

core::Error textTooLong(const QString& where, qsizetype length)
{
    return core::Error(QStringLiteral("%1的文字有 %2 个字符，超过了 Excel 单元格最多 %3 个字符的限制，无法导出。")
                           .arg(where)
                           .arg(length)
                           .arg(XlsWriter::MaxTextLength));
}

core::Error tooManyColumns(const QString& where, qsizetype count)
{
    return core::Error(QStringLiteral("%1有 %2 列，超过了 xls 文件最多 %3 列的限制，无法导出。")
                           .arg(where)
                           .arg(count)
                           .arg(XlsWriter::MaxColumns));
}

QString cellLocation(qint64 rowNumber, qsizetype column)
{
    return QStringLiteral("第 %1 行第 %2 列").arg(rowNumber).arg(column + 1);
}

core::Error tooMuchData()
{
    return core::Error(QStringLiteral("导出的数据太多，超出了 xls 文件 2GB 的容量，请缩小导出范围。"));
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
            throw core::Error(QStringLiteral("%1不是有效的数值，无法导出。").arg(cellLocation(rowNumber, column)));
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
    struct StreamPlan;
    StreamPlan planStream() const;
    void writeStream(xls::Output& out, const StreamPlan& plan);
    void writeWorkbook();

    QString path;
    QStringList header;
    QVector<qint64> headerStrings; // string index per header column, -1 for a blank name
    xls::Extent headerExtent;
    bool headerFixed = false;
    bool finishing = false;
    qint64 rowsAdded = 0;
    qint64 textCells = 0; // references to the string table from data rows
    xls::SharedStrings strings;
    xls::Spool cells;
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
        throw core::Error(
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
        widen(int(column), xls::displayWidth(name) + 1); // bold runs wider
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
    if (cells.size() + strings.byteSize() > xls::MaxStreamSize)
        throw tooMuchData();
    const bool newSheet = sheets.isEmpty() || sheets.last().dataRows == RowsPerSheet;
    if (newSheet)
        startSheet();
    Sheet& sheet = sheets.last();
    const int rowIndex = headerRows() + sheet.dataRows;
    QByteArray& out = cells.buffer();
    const qsizetype rowStart = out.size();
    xls::Extent extent = sheet.dataExtent;
    qint64 texts = 0;
    try {
        for (int column = 0; column < int(row.size()); ++column) {
            const XlsCell& cell = row.at(column);
            if (cell.kind == XlsCell::Kind::Number) {
                xls::putNumberCell(out, rowIndex, column, cell.number);
            } else if (cell.kind == XlsCell::Kind::Text && !cell.text.isEmpty()) {
                xls::putTextCell(out, rowIndex, column, strings.indexOf(cell.text));
                ++texts;
            } else {
                continue;
            }
            extent.include(rowIndex, column);
        }
    } catch (const core::Error&) {
        // A row goes in whole or not at all; strings it already added stay in the table unused, which is harmless.
        out.resize(rowStart);
        if (newSheet)
            sheets.removeLast();
        throw;
    }
    for (int column = 0; column < int(row.size()); ++column) {
        const XlsCell& cell = row.at(column);
        if (cell.kind == XlsCell::Kind::Number)
            widen(column, xls::displayWidth(cell.number));
        else if (cell.kind == XlsCell::Kind::Text)
            widen(column, xls::displayWidth(cell.text));
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
    xls::Extent extent = sheets.at(index).dataExtent;
    extent.include(headerExtent);
    QByteArray out = xls::worksheetBof();
    // A little room either side, and never narrower than the default column.
    constexpr int Margin = 2, DefaultChars = 8;
    for (int column = 0; column < int(columnChars.size()); ++column)
        out += xls::colInfoRecord(column, std::max(columnChars.at(column) + Margin, DefaultChars));
    out += xls::dimensionsRecord(extent);
    for (int column = 0; column < int(headerStrings.size()); ++column) {
        if (headerStrings.at(column) >= 0)
            xls::putTextCell(out, 0, column, quint32(headerStrings.at(column)), xls::HeaderXf);
    }
    return out;
}

// Where each part of the Workbook stream goes, worked out before anything is written, since the globals point at
// the string table and at every sheet.
struct XlsWriter::Impl::StreamPlan
{
    QByteArray globalsHead;
    QByteArray extSst;
    QVector<QByteArray> sheetHeads;
    QVector<qint64> sheetPositions;
    qint64 size = 0;
};

XlsWriter::Impl::StreamPlan XlsWriter::Impl::planStream() const
{
    StreamPlan plan;
    const int sheetCount = int(sheets.size());
    plan.globalsHead = xls::globalsHead();
    qint64 boundSheetsSize = 0;
    for (int i = 0; i < sheetCount; ++i)
        boundSheetsSize += xls::boundSheetRecord(i, 0).size();
    const qint64 sstPosition = plan.globalsHead.size() + boundSheetsSize;
    plan.extSst = strings.extSst(sstPosition);
    const qint64 eofSize = xls::eofRecord().size();
    plan.size = sstPosition + strings.byteSize() + plan.extSst.size() + eofSize;
    for (int i = 0; i < sheetCount; ++i) {
        plan.sheetHeads.append(sheetHead(i));
        plan.sheetPositions.append(plan.size);
        plan.size += plan.sheetHeads.last().size() + (sheets.at(i).cellsEnd - sheets.at(i).cellsBegin) +
                     xls::window2Record(i == 0).size() + eofSize;
    }
    return plan;
}

void XlsWriter::Impl::writeStream(xls::Output& out, const StreamPlan& plan)
{
    const int sheetCount = int(sheets.size());
    const QByteArray eof = xls::eofRecord();
    out.write(plan.globalsHead);
    for (int i = 0; i < sheetCount; ++i)
        out.write(xls::boundSheetRecord(i, plan.sheetPositions.at(i)));
    const qint64 headerTexts =
        std::count_if(headerStrings.cbegin(), headerStrings.cend(), [](qint64 s) { return s >= 0; });
    strings.copyTo(out, quint32(headerTexts * sheetCount + textCells));
    out.write(plan.extSst);
    out.write(eof);
    for (int i = 0; i < sheetCount; ++i) {
        out.write(plan.sheetHeads.at(i));
        cells.copyTo(out, sheets.at(i).cellsBegin, sheets.at(i).cellsEnd);
        out.write(xls::window2Record(i == 0));
        out.write(eof);
    }
}

void XlsWriter::Impl::writeWorkbook()
{
    strings.close();
    cells.flush();
    const StreamPlan plan = planStream();
    if (plan.size > xls::MaxStreamSize)
        throw tooMuchData();
    const xls::CompoundFile container(QStringLiteral("Workbook"), plan.size);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw xls::writeFailure(path, file.errorString());
    xls::Output out(file, path);
    out.write(container.head());
    writeStream(out, plan);
    if (out.position() != xls::CompoundFile::HeadSize + plan.size)
        throw xls::writeFailure(path, QStringLiteral("内部错误：工作簿长度与预计不符"));
    container.writeTail(out);
    if (!file.commit())
        throw xls::writeFailure(path, file.errorString());
}
XlsWriter::XlsWriter(const QString& path) : d(std::make_unique<Impl>(path)) {}

XlsWriter::~XlsWriter() = default;

void XlsWriter::setHeader(const QStringList& names)
{
    if (d->headerFixed)
        throw core::Error(QStringLiteral("导出表头必须在写入数据行之前设置。"));
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
