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

} // namespace testsupport
