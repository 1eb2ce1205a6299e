#pragma once

#include <QAbstractListModel>
#include <QCache>
#include <QPointer>
#include <QString>

namespace store {
class Dataset;
}

namespace records {

// The first column of a dataset as a list, for a drop-down that may offer millions of values
// (every receipt number of the history). Texts are read only for the rows a view shows and
// only a few hundred are kept, so filling and opening the list costs the rows on screen.
class DatasetListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr int CachedRows = 512;

    explicit DatasetListModel(QObject* parent = nullptr);

    void setDataset(store::Dataset* dataset); // followed, never owned; may be null
    store::Dataset* dataset() const { return m_dataset; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Finds nothing. QComboBox and item views ask it to line typed text up with a row, which
    // would read every row; the typed text itself is what the box is for.
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits = 1,
                          Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith | Qt::MatchWrap)) const override;

    int fetchedRowCount() const { return m_fetchedRows; } // rows read from the dataset so far

private:
    void reload();
    QString textOf(int row) const;

    QPointer<store::Dataset> m_dataset;
    int m_rowCount = 0;
    mutable QCache<int, QString> m_texts{CachedRows};
    mutable int m_fetchedRows = 0;
};

} // namespace records
