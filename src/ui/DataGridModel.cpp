#include "ui/DataGridModel.h"

#include "store/Dataset.h"
#include "store/Numbers.h"

#include <QBrush>
#include <QColor>
#include <exception>
#include <memory>
#include <utility>

namespace ui {

namespace {

// Bookkeeping for a change the dataset announced, so the grid can tell it from the user's.
class Following
{
public:
    explicit Following(int& depth) : m_depth(depth) { ++m_depth; }
    ~Following() { --m_depth; }
    Following(const Following&) = delete;
    Following& operator=(const Following&) = delete;

private:
    int& m_depth;
};

QString displayNumber(const QString& text)
{
    long double value = 0;
    if (text.isEmpty() || !store::tryParseNumber(text, &value))
        return text;
    return store::formatDisplay(value);
}

// Field names from a .ui file or a caller may differ from the table's in letter case.
int fieldPosition(const QStringList& names, const QString& field)
{
    const qsizetype exact = names.indexOf(field);
    if (exact >= 0)
        return int(exact);
    for (qsizetype n = 0; n < names.size(); ++n) {
        if (names.at(n).compare(field, Qt::CaseInsensitive) == 0)
            return int(n);
    }
    return -1;
}

QBrush rowBackground(int row)
{
    // Record numbers count from 1: odd ones white, even ones grey.
    static const QBrush odd(Qt::white);
    static const QBrush even(QColor(0xEE, 0xEE, 0xEE));
    return row % 2 == 0 ? odd : even;
}

} // namespace

DataGridModel::DataGridModel(QObject* parent, Look look) : QAbstractTableModel(parent), m_look(look) {}

DataGridModel* DataGridModel::dropDownList(const QString& field, QObject* parent)
{
    auto* list = new DataGridModel(parent, Look::List);
    list->setColumns({GridColumn{QString(), field}});
    return list;
}

void DataGridModel::setColumns(const QList<GridColumn>& columns)
{
    beginResetModel();
    m_columns = columns;
    mapFields();
    endResetModel();
}

void DataGridModel::setDataset(store::Dataset* dataset)
{
    if (m_dataset)
        disconnect(m_dataset, nullptr, this, nullptr);
    Following following(m_following);
    beginResetModel();
    m_dataset = dataset;
    connectDataset();
    reload();
    endResetModel();
}

void DataGridModel::connectDataset()
{
    if (!m_dataset)
        return;
    connect(m_dataset, &store::Dataset::reset, this, &DataGridModel::onReset);
    connect(m_dataset, &store::Dataset::rowChanged, this, &DataGridModel::onRowChanged);
    connect(m_dataset, &store::Dataset::rowInserted, this, &DataGridModel::onRowInserted);
    connect(m_dataset, &store::Dataset::rowRemoved, this, &DataGridModel::onRowRemoved);
    connect(m_dataset, &QObject::destroyed, this, &DataGridModel::onDatasetDestroyed);
}

int DataGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int DataGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DataGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rowCount || index.column() >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole || (role == Qt::EditRole && m_look == Look::List)) // an editable box takes EditRole
        return cellText(index.row(), index.column());
    if (m_look != Look::Grid)
        return {};
    switch (role) {
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case Qt::BackgroundRole:
        return rowBackground(index.row());
    default:
        return {};
    }
}

QVariant DataGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // Rows have no titles; answering for them would only cost time on long lists.
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns.at(section).title;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

Qt::ItemFlags DataGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

QModelIndexList DataGridModel::match(const QModelIndex&, int, const QVariant&, int, Qt::MatchFlags) const
{
    return {};
}

QString DataGridModel::cellText(int row, int column) const
{
    if (row < 0 || row >= m_rowCount || column < 0 || column >= m_columns.size())
        return {};
    if (isRowNumberColumn(column))
        return QString::number(row + 1);
    const QString text = rawText(row, column);
    return m_columns.at(column).numeric ? displayNumber(text) : text;
}

bool DataGridModel::isRowNumberColumn(int column) const
{
    return column >= 0 && column < m_columns.size() && m_columns.at(column).field.isEmpty();
}

int DataGridModel::cachedRowCount() const
{
    int rows = 0;
    for (int key : m_pages.keys())
        rows += int(m_pages.object(key)->size());
    return rows;
}

void DataGridModel::onReset()
{
    Following following(m_following);
    beginResetModel();
    reload();
    endResetModel();
}

void DataGridModel::onRowChanged(int recordIndex)
{
    if (recordIndex < 0 || recordIndex >= m_rowCount || readRecordCount() != m_rowCount) {
        onReset();
        return;
    }
    Following following(m_following);
    m_pages.remove(recordIndex / PageRows);
    if (!m_columns.isEmpty())
        emit dataChanged(index(recordIndex, 0), index(recordIndex, int(m_columns.size()) - 1));
}

void DataGridModel::onRowInserted(int recordIndex)
{
    followRowCountChange(recordIndex, +1);
}

void DataGridModel::onRowRemoved(int recordIndex)
{
    followRowCountChange(recordIndex, -1);
}

// One row came (+1) or went (-1) at recordIndex. When the dataset's count says otherwise, the
// model starts over.
void DataGridModel::followRowCountChange(int recordIndex, int change)
{
    const bool inserted = change > 0;
    const int lastIndex = inserted ? m_rowCount : m_rowCount - 1;
    const int count = readRecordCount();
    if (recordIndex < 0 || recordIndex > lastIndex || count != m_rowCount + change) {
        onReset();
        return;
    }
    Following following(m_following);
    if (inserted)
        beginInsertRows({}, recordIndex, recordIndex);
    else
        beginRemoveRows({}, recordIndex, recordIndex);
    m_rowCount = count;
    // Rows from recordIndex on moved a place; pages before it still hold.
    for (int key : m_pages.keys()) {
        if (key >= recordIndex / PageRows)
            m_pages.remove(key);
    }
    if (inserted)
        endInsertRows();
    else
        endRemoveRows();
}

void DataGridModel::onDatasetDestroyed()
{
    Following following(m_following);
    beginResetModel();
    m_dataset = nullptr;
    reload();
    endResetModel();
}

void DataGridModel::reload()
{
    m_pages.clear();
    m_rowCount = readRecordCount();
    mapFields();
}

int DataGridModel::readRecordCount() const
{
    if (!m_dataset || !m_dataset->isOpen())
        return 0;
    try {
        return qMax(0, m_dataset->recordCount());
    } catch (const std::exception&) {
        return 0;
    }
}

void DataGridModel::mapFields()
{
    QStringList names;
    if (m_dataset && m_dataset->isOpen()) {
        try {
            names = m_dataset->columnNames();
        } catch (const std::exception&) {
            names.clear();
        }
    }
    m_fieldPositions.clear();
    for (const GridColumn& column : std::as_const(m_columns))
        m_fieldPositions << (column.field.isEmpty() ? -1 : fieldPosition(names, column.field));
}

const DataGridModel::Page* DataGridModel::page(int number) const
{
    if (const Page* cached = m_pages.object(number))
        return cached;
    auto fetched = std::make_unique<Page>();
    const int first = number * PageRows;
    const int end = qMin(m_rowCount, first + PageRows);
    fetched->reserve(qMax(0, end - first));
    for (int row = first; row < end; ++row) {
        ++m_fetchedRows;
        QStringList texts;
        try {
            if (m_dataset && m_dataset->isOpen())
                texts = m_dataset->rowTexts(row);
        } catch (const std::exception&) {
            // A row gone from under the snapshot shows empty until the next reset.
            texts.clear();
        }
        fetched->append(texts);
    }
    m_pages.insert(number, fetched.release());
    return m_pages.object(number);
}

QString DataGridModel::rawText(int row, int column) const
{
    const int position = m_fieldPositions.value(column, -1);
    if (position < 0)
        return {};
    const Page* rows = page(row / PageRows);
    if (!rows)
        return {};
    return rows->value(row % PageRows).value(position);
}

} // namespace ui
