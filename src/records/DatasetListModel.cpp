#include "records/DatasetListModel.h"

#include "store/Dataset.h"

#include <exception>

namespace records {

DatasetListModel::DatasetListModel(QObject* parent) : QAbstractListModel(parent) {}

void DatasetListModel::setDataset(store::Dataset* dataset)
{
    if (m_dataset)
        disconnect(m_dataset, nullptr, this, nullptr);
    m_dataset = dataset;
    if (m_dataset) {
        // The list is only ever re-queried as a whole; any change is a reset here.
        connect(m_dataset, &store::Dataset::reset, this, &DatasetListModel::reload);
        connect(m_dataset, &store::Dataset::rowInserted, this, &DatasetListModel::reload);
        connect(m_dataset, &store::Dataset::rowRemoved, this, &DatasetListModel::reload);
        connect(m_dataset, &store::Dataset::rowChanged, this, &DatasetListModel::reload);
        connect(m_dataset, &QObject::destroyed, this, [this] {
            m_dataset = nullptr;
            reload();
        });
    }
    reload();
}

void DatasetListModel::reload()
{
    beginResetModel();
    m_texts.clear();
    m_rowCount = 0;
    if (m_dataset && m_dataset->isOpen()) {
        try {
            m_rowCount = qMax(0, m_dataset->recordCount());
        } catch (const std::exception&) {
            m_rowCount = 0; // a list that cannot be read offers nothing; typing still works
        }
    }
    endResetModel();
}

int DatasetListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

QVariant DatasetListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rowCount || index.column() != 0)
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return textOf(index.row());
}

Qt::ItemFlags DatasetListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

QModelIndexList DatasetListModel::match(const QModelIndex&, int, const QVariant&, int, Qt::MatchFlags) const
{
    return {};
}

QString DatasetListModel::textOf(int row) const
{
    if (const QString* cached = m_texts.object(row))
        return *cached;
    QString text;
    try {
        if (m_dataset && m_dataset->isOpen())
            text = m_dataset->rowTexts(row).value(0);
    } catch (const std::exception&) {
        return {}; // not kept: the next look may succeed
    }
    ++m_fetchedRows;
    m_texts.insert(row, new QString(text));
    return text;
}

} // namespace records
