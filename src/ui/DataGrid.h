#pragma once

#include "ui/DataGridModel.h"

#include <QList>
#include <QMetaObject>
#include <QString>
#include <QStringList>
#include <QWidget>

class QModelIndex;
class QTableView;

namespace store {
class Dataset;
}

namespace ui {

// A store dataset as a table with an optional sum row under it, placed by the windows as one
// widget (a promoted widget in their .ui files). The dataset is followed, never owned: the
// grid's selection is the dataset's current row, in both directions. A dataset that goes away
// leaves the grid empty, so a window's datasets may go before its grids.
class DataGrid : public QWidget
{
    Q_OBJECT

public:
    static constexpr int RowHeight = 16;
    static constexpr int FooterHeight = 20;

    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    void setColumns(const QList<GridColumn>& columns);
    void setDataset(store::Dataset* dataset); // may be null
    store::Dataset* dataset() const;
    void setFooterVisible(bool visible);
    bool isFooterVisible() const;
    // Clicking a title then only flips a sort mark on it; nothing is re-ordered.
    void setSortMarkToggles(bool on);
    void setToolTipText(const QString& text);

    QTableView* view() const;
    DataGridModel* model() const { return m_model; }
    void refreshFooter();
    QString footerText(int column) const;
    QString cellText(int row, int column) const;

signals:
    void cellClicked(int recordNumber); // after the dataset moved to it
    void doubleClicked(int recordNumber);
    void storeError(const QString& message); // the dataset refused to move

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpView();
    void connectView();
    void applyColumnWidths();
    QString computeFooterText(const GridColumn& column) const;
    void paintFooter();
    void widenColumnsToFooters();
    bool showToolTip(QWidget* widget, QEvent* event);
    void onClicked(const QModelIndex& index);
    void onDoubleClicked(const QModelIndex& index);
    void onCurrentRowChanged(const QModelIndex& current);
    int moveDatasetToRowOf(const QModelIndex& index); // the record moved to, 0 when none
    bool moveDatasetTo(int recordNumber);
    int datasetRecordNumber() const;
    void followDataset();
    void followRecord(int recordNumber);

    DataGridModel* m_model = nullptr;
    QTableView* m_view = nullptr;
    QWidget* m_footer = nullptr;
    QStringList m_footerTexts;
    QString m_toolTipText;
    QMetaObject::Connection m_currentConnection;
    bool m_following = false;
};

} // namespace ui
