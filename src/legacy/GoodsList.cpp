#include "legacy/GoodsList.h"

#include "store/Catalogue.h"
#include "store/Connection.h"
#include "core/Error.h"
#include "store/Numbers.h"
#include "store/Query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <freexl.h>
#include <zip.h>

namespace legacy {

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void unreadable(const QString& path, const QString& why)
{
    throw store::Error(QStringLiteral("无法读取文件 %1：%2").arg(shown(path), why));
}

QString cellText(const FreeXL_CellValue& cell)
{
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return QString::number(cell.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return store::formatNumber(cell.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return QString::fromUtf8(cell.value.text_value);
    default:
        return {};
    }
}

QList<QStringList> readXls(const QString& path)
{
    const void* handle = nullptr;
    if (freexl_open(QFile::encodeName(path).constData(), &handle) != FREEXL_OK) {
        if (handle)
            freexl_close(handle);
        unreadable(path, QStringLiteral("不是 Excel 97-2003 工作簿（.xls）"));
    }
    QList<QStringList> rows;
    unsigned int rowCount = 0;
    unsigned short columnCount = 0;
    if (freexl_select_active_worksheet(handle, 0) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle, &rowCount, &columnCount) != FREEXL_OK) {
        freexl_close(handle);
        unreadable(path, QStringLiteral("找不到工作表"));
    }
    for (unsigned int r = 0; r < rowCount; ++r) {
        QStringList row;
        for (unsigned short c = 0; c < columnCount; ++c) {
            FreeXL_CellValue cell;
            row << (freexl_get_cell_value(handle, r, c, &cell) == FREEXL_OK ? cellText(cell) : QString());
        }
        rows << row;
    }
    freexl_close(handle);
    return rows;
}

QByteArray zipEntry(zip_t* archive, const char* name)
{
    zip_stat_t stat;
    if (zip_stat(archive, name, 0, &stat) != 0)
        return {};
    zip_file_t* file = zip_fopen(archive, name, 0);
    if (!file)
        return {};
    QByteArray bytes(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
    const zip_int64_t read = zip_fread(file, bytes.data(), stat.size);
    zip_fclose(file);
    return read == static_cast<zip_int64_t>(stat.size) ? bytes : QByteArray();
}

// "B12" -> column 1 (0-based).
int columnOf(const QString& reference)
{
    int column = 0;
    for (QChar c : reference) {
        if (!c.isLetter())
            break;
        column = column * 26 + (c.toUpper().unicode() - 'A' + 1);
    }
    return column - 1;
}

QStringList sharedStrings(const QByteArray& xml)
{
    QStringList strings;
    QXmlStreamReader reader(xml);
    QString current;
    bool inItem = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("si")) {
            inItem = true;
            current.clear();
        } else if (reader.isStartElement() && reader.name() == QLatin1String("t") && inItem) {
            current += reader.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (reader.isStartElement() && reader.name() == QLatin1String("rPh")) {
            reader.skipCurrentElement(); // phonetic guides are not the cell's text
        } else if (reader.isEndElement() && reader.name() == QLatin1String("si")) {
            strings << current;
            inItem = false;
        }
    }
    return strings;
}

// The first worksheet's path inside the package, from the workbook's relationships.
QString firstSheetPath(zip_t* archive)
{
    QString id;
    QXmlStreamReader workbook(zipEntry(archive, "xl/workbook.xml"));
    while (!workbook.atEnd() && id.isEmpty())
        if (workbook.readNext() == QXmlStreamReader::StartElement && workbook.name() == QLatin1String("sheet"))
            for (const QXmlStreamAttribute& attribute : workbook.attributes())
                if (attribute.name() == QLatin1String("id"))
                    id = attribute.value().toString();
    QXmlStreamReader relations(zipEntry(archive, "xl/_rels/workbook.xml.rels"));
    while (!relations.atEnd())
        if (relations.readNext() == QXmlStreamReader::StartElement &&
            relations.attributes().value(QLatin1String("Id")) == id) {
            const QString target = relations.attributes().value(QLatin1String("Target")).toString();
            return target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
        }
    return QStringLiteral("xl/worksheets/sheet1.xml");
}

QList<QStringList> readXlsx(const QString& path)
{
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive)
        unreadable(path, QStringLiteral("不是 Excel 工作簿（.xlsx）"));
    const QStringList strings = sharedStrings(zipEntry(archive, "xl/sharedStrings.xml"));
    const QByteArray sheet = zipEntry(archive, firstSheetPath(archive).toUtf8().constData());
    zip_close(archive);
    if (sheet.isEmpty())
        unreadable(path, QStringLiteral("找不到工作表"));

    QList<QStringList> rows;
    QXmlStreamReader reader(sheet);
    QStringList row;
    int rowNumber = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("row")) {
            row.clear();
            const int number = reader.attributes().value(QLatin1String("r")).toInt();
            rowNumber = number > 0 ? number : rowNumber + 1;
        } else if (reader.isEndElement() && reader.name() == QLatin1String("row")) {
            while (rows.size() < rowNumber - 1)
                rows << QStringList();
            rows << row;
        } else if (reader.isStartElement() && reader.name() == QLatin1String("c")) {
            const QString type = reader.attributes().value(QLatin1String("t")).toString();
            const int column = columnOf(reader.attributes().value(QLatin1String("r")).toString());
            QString value;
            while (!(reader.isEndElement() && reader.name() == QLatin1String("c")) && !reader.atEnd()) {
                reader.readNext();
                if (reader.isStartElement() && (reader.name() == QLatin1String("v") || reader.name() == QLatin1String("t")))
                    value += reader.readElementText(QXmlStreamReader::IncludeChildElements);
            }
            if (type == QLatin1String("s"))
                value = strings.value(value.toInt());
            const int at = column >= 0 ? column : static_cast<int>(row.size());
            while (row.size() <= at)
                row << QString();
            row[at] = value;
        }
    }
    if (reader.hasError())
        unreadable(path, QStringLiteral("工作表已损坏"));
    return rows;
}

const QStringList NameHeaders = {QStringLiteral("品名"), QStringLiteral("名称"), QStringLiteral("商品名称")};
const QStringList PriceHeaders = {QStringLiteral("单价"), QStringLiteral("价格"), QStringLiteral("售价")};
const QStringList BarcodeHeaders = {QStringLiteral("条码"), QStringLiteral("条形码")};

int headerColumn(const QStringList& header, const QStringList& names)
{
    for (int i = 0; i < header.size(); ++i)
        if (names.contains(header.at(i).trimmed()))
            return static_cast<int>(i);
    return -1;
}

bool isBlank(const QStringList& row)
{
    return std::all_of(row.begin(), row.end(), [](const QString& cell) { return cell.trimmed().isEmpty(); });
}

} // namespace

// Text of a CSV file: a BOM decides; else UTF-8 when the bytes are valid UTF-8, else GB18030,
// which holds GBK as it stands.
QString decodeCsv(const QByteArray& bytes, const QString& path)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return utf16(bytes.mid(2));
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb18030("GB18030");
    if (!gb18030.isValid())
        unreadable(path, QStringLiteral("系统不支持 GB18030 编码"));
    text = gb18030(bytes);
    if (gb18030.hasError())
        unreadable(path, QStringLiteral("既不是 UTF-8 也不是 GBK/GB18030 编码的文本"));
    return text;
}

QList<QStringList> parseCsv(const QString& text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
            fieldStarted = false;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            row << field;
            rows << row;
            row.clear();
            field.clear();
            fieldStarted = false;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !field.isEmpty() || !row.isEmpty()) {
        row << field;
        rows << row;
    }
    return rows;
}

QList<QStringList> readSheet(const QString& path)
{
    if (!QFileInfo(path).isFile())
        throw store::Error(QStringLiteral("找不到文件 %1").arg(shown(path)));
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xls"))
        return readXls(path);
    if (suffix == QLatin1String("xlsx"))
        return readXlsx(path);
    if (suffix != QLatin1String("csv"))
        unreadable(path, QStringLiteral("只能导入 .csv、.xls 和 .xlsx 文件"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        unreadable(path, file.errorString());
    return parseCsv(decodeCsv(file.readAll(), path));
}

QList<GoodsRow> goodsRowsOf(const QList<QStringList>& sheet)
{
    qsizetype headerAt = 0;
    while (headerAt < sheet.size() && isBlank(sheet.at(headerAt)))
        ++headerAt;
    if (headerAt == sheet.size())
        throw store::Error(QStringLiteral("文件中没有商品"));
    const QStringList& header = sheet.at(headerAt);
    const int nameColumn = headerColumn(header, NameHeaders);
    const int priceColumn = headerColumn(header, PriceHeaders);
    const int barcodeColumn = headerColumn(header, BarcodeHeaders);
    if (nameColumn < 0)
        throw store::Error(QStringLiteral("找不到品名列：第一行须有“品名”、“名称”或“商品名称”"));

    const int nameWidth = store::columnWidth(QStringLiteral("spxx"), QStringLiteral("品名"));
    const int barcodeWidth = store::columnWidth(QStringLiteral("spxx"), QStringLiteral("条码"));
    QList<GoodsRow> rows;
    QHash<QString, int> barcodeLines;
    for (qsizetype i = headerAt + 1; i < sheet.size(); ++i) {
        const QStringList& cells = sheet.at(i);
        if (isBlank(cells))
            continue;
        GoodsRow row;
        row.line = static_cast<int>(i + 1);
        row.name = cells.value(nameColumn).trimmed();
        row.price = priceColumn >= 0 ? cells.value(priceColumn).trimmed() : QString();
        row.barcode = barcodeColumn >= 0 ? cells.value(barcodeColumn).trimmed() : QString();
        long double price = 0;
        QStringList errors;
        if (row.name.isEmpty())
            errors << QStringLiteral("品名为空");
        else if (nameWidth > 0 && row.name.size() > nameWidth)
            errors << QStringLiteral("品名超过 %1 个字").arg(nameWidth);
        if (!row.price.isEmpty() && (!store::tryParseNumber(row.price, &price) || price < 0))
            errors << QStringLiteral("单价“%1”不是有效的价格").arg(store::excerptForMessage(row.price));
        if (!row.barcode.isEmpty()) {
            if (barcodeWidth > 0 && row.barcode.size() > barcodeWidth)
                errors << QStringLiteral("条码超过 %1 个字符").arg(barcodeWidth);
            else if (barcodeLines.contains(row.barcode))
                errors << QStringLiteral("条码与第 %1 行重复").arg(barcodeLines.value(row.barcode));
            else
                barcodeLines.insert(row.barcode, row.line);
        }
        row.error = errors.join(QStringLiteral("；"));
        rows << row;
    }
    return rows;
}

QString describe(const GoodsImportCounts& counts)
{
    QString text = QStringLiteral("新增商品 %1 种、更新 %2 种").arg(counts.added).arg(counts.updated);
    if (counts.skipped > 0)
        text += QStringLiteral("，有错的 %1 行未导入").arg(counts.skipped);
    return text;
}

GoodsImportCounts importGoods(store::Connection& connection, const QList<GoodsRow>& rows)
{
    if (!connection.isOpen())
        connection.open();
    GoodsImportCounts counts;
    store::Transaction transaction(connection);
    {
        const QSqlDatabase db = connection.database();
        const QString doing = QStringLiteral("保存到 spxx");
        store::Query byBarcode(db, QStringLiteral("SELECT rowid FROM spxx WHERE 条码 = ? LIMIT 1"), doing);
        store::Query byName(db, QStringLiteral("SELECT rowid FROM spxx WHERE 品名 = ? ORDER BY rowid LIMIT 1"), doing);
        store::Query add(db, QStringLiteral("INSERT INTO spxx (品名, 单价, 条码) VALUES (?, ?, ?)"), doing);
        store::Query update(db,
                            QStringLiteral("UPDATE spxx SET 品名 = ?, 单价 = coalesce(?, 单价), "
                                           "条码 = coalesce(?, 条码) WHERE rowid = ?"),
                            doing);
        const auto rowIdOf = [](store::Query& query, const QString& key) -> qint64 {
            query.bind(key).run();
            const qint64 id = query.next() ? query.value(0).toLongLong() : 0;
            query.finish();
            return id;
        };
        for (const GoodsRow& row : rows) {
            if (!row.error.isEmpty()) {
                ++counts.skipped;
                continue;
            }
            long double parsed = 0;
            const QVariant price = row.price.isEmpty() || !store::tryParseNumber(row.price, &parsed)
                                       ? QVariant() : QVariant(static_cast<double>(parsed));
            const QVariant barcode = row.barcode.isEmpty() ? QVariant() : QVariant(row.barcode);
            qint64 id = row.barcode.isEmpty() ? 0 : rowIdOf(byBarcode, row.barcode);
            if (id == 0)
                id = rowIdOf(byName, row.name);
            if (id == 0) {
                add.bind(row.name).bind(price).bind(barcode).run();
                ++counts.added;
            } else {
                update.bind(row.name).bind(price).bind(barcode).bind(id).run();
                ++counts.updated;
            }
        }
    }
    transaction.commit();
    return counts;
}

} // namespace legacy
