#pragma once

#include "report/RowSource.h"

namespace store {
class Dataset;
}

namespace printing {

// Lets a report read a dataset's snapshot: rows in the dataset's order, values as the dataset
// reads them. A closed dataset has no rows.
class DatasetRowSource : public report::RowSource
{
public:
    explicit DatasetRowSource(store::Dataset& dataset) : m_dataset(dataset) {}

    int rowCount() override;
    QString value(int row, const QString& column) override;

private:
    store::Dataset& m_dataset;
};

} // namespace printing
