#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace report {

// Rows a report reads its data fields from. Values are text as they are to be printed,
// before any print hook; a row or column the source does not have reads as "".
class RowSource
{
public:
    virtual ~RowSource() = default;
    virtual int rowCount() = 0;
    virtual QString value(int row, const QString& column) = 0;
};

// Rows held in memory, for the preview of a layout and for tests.
class ListRowSource : public RowSource
{
public:
    ListRowSource() = default;
    ListRowSource(QStringList columns, QList<QStringList> rows);

    void setColumns(const QStringList& columns) { m_columns = columns; }
    QStringList columns() const { return m_columns; }
    void setRows(const QList<QStringList>& rows) { m_rows = rows; }
    void addRow(const QStringList& values) { m_rows.append(values); }

    int rowCount() override { return int(m_rows.size()); }
    QString value(int row, const QString& column) override;

private:
    QStringList m_columns;
    QList<QStringList> m_rows;
};

} // namespace report
