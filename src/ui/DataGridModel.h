#pragma once

// The model holds its dataset through a QPointer, which needs the whole class.
#include "store/Dataset.h"

#include <QAbstractTableModel>
#include <QCache>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

namespace ui {

struct GridColumn
{
    QString title;
    QString field; // empty: the "序号" row-number column
    int width = 0;
    bool numeric = false;
    enum class Footer
    {
        None,
        Caption,
        Sum,
        SumPlain
    } footer = Footer::None;
};

// A dataset seen as a table. Row texts are read from the dataset a page at a time, only for
// the rows a view asks about, and only a few pages are kept, so a list of millions opens
// and scrolls at the cost of the rows on screen. Store failures show as empty cells.
class DataGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int PageRows = 128;
    static constexpr int CachedPages = 16;

    // A grid stripes its rows; the list of a drop-down shows them plain.
    enum class Look
    {
        Grid,
        List
    };

    explicit DataGridModel(QObject* parent = nullptr, Look look = Look::Grid);
    // One field of a dataset as the list of a drop-down, which may offer millions of values
    // (every receipt number of the history).
    static DataGridModel* dropDownList(const QString& field, QObject* parent);

    void setColumns(const QList<GridColumn>& columns);
    const QList<GridColumn>& columns() const { return m_columns; }
    void setDataset(store::Dataset* dataset);
    store::Dataset* dataset() const { return m_dataset; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Finds nothing. Combo boxes and item views ask it to line typed text up with a row, which
    // would read every row; the typed text itself is what the box is for.
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits = 1,
                          Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith | Qt::MatchWrap)) const override;

    QString cellText(int row, int column) const; // as displayed
    bool isRowNumberColumn(int column) const;
    // True while the model applies a change the dataset announced: selection moves the
    // view makes then are consequences, not the user's.
    bool isFollowingDataset() const { return m_following > 0; }

    // Rows read from the dataset so far, and rows held now; for tests and diagnostics.
    int fetchedRowCount() const { return m_fetchedRows; }
    int cachedRowCount() const;

private:
    using Page = QList<QStringList>;

    void connectDataset();
    void onReset();
    void onRowChanged(int recordIndex);
    void onRowInserted(int recordIndex);
    void onRowRemoved(int recordIndex);
    void followRowCountChange(int recordIndex, int change);
    void onDatasetDestroyed();
    void reload(); // row count and field positions, cache emptied
    int readRecordCount() const;
    void mapFields();
    const Page* page(int number) const;
    QString rawText(int row, int column) const;

    Look m_look = Look::Grid;
    QList<GridColumn> m_columns;
    QList<int> m_fieldPositions; // per column, index into the dataset's row texts; -1: none
    QPointer<store::Dataset> m_dataset;
    int m_rowCount = 0;
    int m_following = 0;
    mutable QCache<int, Page> m_pages{CachedPages};
    mutable int m_fetchedRows = 0;
};

} // namespace ui
