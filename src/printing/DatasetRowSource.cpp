#include "printing/DatasetRowSource.h"

#include "store/Dataset.h"

namespace printing {

int DatasetRowSource::rowCount()
{
    return m_dataset.isOpen() ? m_dataset.recordCount() : 0;
}

QString DatasetRowSource::value(int row, const QString& column)
{
    if (!m_dataset.isOpen())
        return {};
    const int index = int(m_dataset.columnNames().indexOf(column));
    if (index < 0)
        return {};
    return m_dataset.rowTexts(row).value(index);
}

} // namespace printing
