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
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(ReadScript), path});
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
    QList<WorkbookSheet> sheets;
    for (const QJsonValue& sheetValue : QJsonDocument::fromJson(output).array()) {
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

} // namespace testsupport
