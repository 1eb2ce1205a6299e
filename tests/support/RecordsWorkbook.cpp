#include "support/RecordsWorkbook.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace testsupport {

namespace {

const char* const ReadScript = R"py(
import json, sys
import xlrd
book = xlrd.open_workbook(sys.argv[1], logfile=sys.stderr)
sheets = []
for sheet in book.sheets():
    rows = [[[cell.ctype, cell.value] for cell in sheet.row(r)] for r in range(sheet.nrows)]
    sheets.append({"name": sheet.name, "rows": rows})
sys.stdout.buffer.write(json.dumps(sheets, ensure_ascii=False).encode("utf-8"))
)py";

const char* const LooksScript = R"py(
import json, sys
import xlrd
book = xlrd.open_workbook(sys.argv[1], formatting_info=True, logfile=sys.stderr)
sheets = []
for sheet in book.sheets():
    def font(r, c):
        return book.font_list[book.xf_list[sheet.cell_xf_index(r, c)].font_index]
    def format_of(r, c):
        return book.format_map[book.xf_list[sheet.cell_xf_index(r, c)].format_key].format_str
    widths = [sheet.colinfo_map[c].width / 256.0 if c in sheet.colinfo_map else 0 for c in range(sheet.ncols)]
    bold0 = [font(0, c).bold == 1 for c in range(sheet.ncols)] if sheet.nrows else []
    below = any(font(r, c).bold for r in range(1, sheet.nrows) for c in range(sheet.ncols))
    numbers, texts = set(), set()
    for r in range(1, sheet.nrows):
        for c in range(sheet.ncols):
            kind = sheet.cell_type(r, c)
            if kind == xlrd.XL_CELL_NUMBER:
                numbers.add(format_of(r, c))
            elif kind == xlrd.XL_CELL_TEXT:
                texts.add(format_of(r, c))
    sheets.append({"widths": widths, "bold0": bold0, "below": bool(below),
                   "numbers": sorted(numbers), "texts": sorted(texts)})
sys.stdout.buffer.write(json.dumps(sheets, ensure_ascii=False).encode("utf-8"))
)py";

QJsonArray runScript(const char* script, const QString& path, QString* error)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(script), path});
    if (!python.waitForFinished(300000)) {
        *error = QStringLiteral("xlrd did not finish: ") + python.errorString();
        return {};
    }
    const QByteArray output = python.readAllStandardOutput();
    const QString warnings = QString::fromUtf8(python.readAllStandardError()).trimmed();
    if (python.exitCode() != 0 || !warnings.isEmpty()) {
        *error = QStringLiteral("xlrd: ") + warnings;
        return {};
    }
    error->clear();
    return QJsonDocument::fromJson(output).array();
}

QStringList textsOf(const QJsonValue& list)
{
    QStringList texts;
    for (const QJsonValue& value : list.toArray())
        texts << value.toString();
    return texts;
}

WorkbookCell cellFrom(const QJsonArray& pair)
{
    WorkbookCell cell;
    cell.type = pair.at(0).toInt();
    cell.value = pair.at(1).toVariant();
    return cell;
}

} // namespace

QString WorkbookCell::describe() const
{
    switch (type) {
    case Empty:
        return QStringLiteral("empty");
    case Text:
        return QStringLiteral("text:") + value.toString();
    case Number:
        return QStringLiteral("number:") + QString::number(value.toDouble(), 'g', 17);
    default:
        return QStringLiteral("type%1:").arg(type) + value.toString();
    }
}

QList<WorkbookSheet> readWorkbook(const QString& path, QString* error)
{
    const QJsonArray read = runScript(ReadScript, path, error);
    if (!error->isEmpty())
        return {};
    QList<WorkbookSheet> sheets;
    for (const QJsonValue& sheetValue : read) {
        const QJsonObject object = sheetValue.toObject();
        WorkbookSheet sheet;
        sheet.name = object.value(QStringLiteral("name")).toString();
        for (const QJsonValue& rowValue : object.value(QStringLiteral("rows")).toArray()) {
            WorkbookRow row;
            for (const QJsonValue& cellValue : rowValue.toArray())
                row << cellFrom(cellValue.toArray());
            sheet.rows << row;
        }
        sheets << sheet;
    }
    error->clear();
    return sheets;
}

QList<WorkbookLooks> readWorkbookLooks(const QString& path, QString* error)
{
    QList<WorkbookLooks> sheets;
    for (const QJsonValue& sheetValue : runScript(LooksScript, path, error)) {
        const QJsonObject object = sheetValue.toObject();
        WorkbookLooks looks;
        for (const QJsonValue& width : object.value(QStringLiteral("widths")).toArray())
            looks.columnWidths << width.toDouble();
        for (const QJsonValue& bold : object.value(QStringLiteral("bold0")).toArray())
            looks.boldByRow0 << bold.toBool();
        looks.boldBelowRow0 = object.value(QStringLiteral("below")).toBool();
        looks.numberFormats = textsOf(object.value(QStringLiteral("numbers")));
        looks.textCellFormats = textsOf(object.value(QStringLiteral("texts")));
        sheets << looks;
    }
    return sheets;
}

} // namespace testsupport
