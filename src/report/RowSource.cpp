#include "report/RowSource.h"

namespace report {

ListRowSource::ListRowSource(QStringList columns, QList<QStringList> rows)
    : m_columns(std::move(columns)), m_rows(std::move(rows))
{
}

QString ListRowSource::value(int row, const QString& column)
{
    if (row < 0 || row >= m_rows.size())
        return {};
    const qsizetype index = m_columns.indexOf(column);
    const QStringList& values = m_rows.at(row);
    if (index < 0 || index >= values.size())
        return {};
    return values.at(index);
}

} // namespace report
