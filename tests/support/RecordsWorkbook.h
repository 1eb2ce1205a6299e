#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace testsupport {

// A cell as xlrd reads it back from an .xls file.
struct WorkbookCell
{
    enum Type
    {
        Empty = 0,
        Text = 1,
        Number = 2
    };
    int type = Empty;
    QVariant value;

    QString describe() const; // "text:…", "number:…", "empty"
};

using WorkbookRow = QList<WorkbookCell>;

struct WorkbookSheet
{
    QString name;
    QList<WorkbookRow> rows;
};

// Reads every sheet of an .xls with /usr/bin/python3 and xlrd; error says why it could not.
QList<WorkbookSheet> readWorkbook(const QString& path, QString* error);

// How a sheet looks as xlrd reads it with formatting_info.
struct WorkbookLooks
{
    QList<double> columnWidths;  // from COLINFO, in characters (1/256 units / 256); 0 where none is set
    QList<bool> boldByRow0;      // per column of the first row: is its font bold
    bool boldBelowRow0 = false;  // any cell below the first row bold
    QStringList numberFormats;   // the format strings of the number cells, each once, sorted
    QStringList textCellFormats; // the same for text cells
};
QList<WorkbookLooks> readWorkbookLooks(const QString& path, QString* error);

} // namespace testsupport
