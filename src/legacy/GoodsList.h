#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace store {
class Connection;
}

namespace legacy {

// A goods list kept in a spreadsheet: the first sheet of an .xls or .xlsx file, or a .csv file
// in UTF-8 (with or without a BOM), GBK or GB18030, as rows of cell texts. Throws store::Error
// saying why a file cannot be read.
QList<QStringList> readSheet(const QString& path);
QString decodeCsv(const QByteArray& bytes, const QString& path); // path only for the message
QList<QStringList> parseCsv(const QString& text);

// One data row of the list as the preview shows it: the error is empty for a row that imports.
struct GoodsRow
{
    int line = 0; // 1-based row of the sheet
    QString name;
    QString price;
    QString barcode;
    QString error;
};

// Finds the columns by their header (品名/名称/商品名称, 单价/价格/售价, 条码/条形码) in the first
// non-empty row and checks every row below it: an empty name, a price that is no number, a
// barcode given twice. Throws store::Error when no name column is found.
QList<GoodsRow> goodsRowsOf(const QList<QStringList>& sheet);

struct GoodsImportCounts
{
    int added = 0;
    int updated = 0;
    int skipped = 0; // rows with an error
};
QString describe(const GoodsImportCounts& counts);

// Adds the new goods and updates existing ones, by 条码 first, then by name (the first item of
// that name), in one transaction; an empty price leaves an existing item's price as it is.
GoodsImportCounts importGoods(store::Connection& connection, const QList<GoodsRow>& rows);

} // namespace legacy
