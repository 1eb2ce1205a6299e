#include "ui/DataGrid.h"

#include "core/Error.h"
#include "store/Dataset.h"
#include "store/Numbers.h"

#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>
#include <exception>

namespace ui {

namespace {

const QString SongTi = QStringLiteral("宋体");
const QColor FooterColor(Qt::yellow);

QFont titleFont()
{
    QFont font(SongTi);
    font.setPixelSize(15);
    font.setBold(true);
    return font;
}

QFont cellFont()
{
    QFont font(SongTi);
    font.setPixelSize(12);
    return font;
}

QString messageOf(const std::exception& error)
{
    if (const auto* storeError = dynamic_cast<const core::Error*>(&error))
        return storeError->message();
    return QString::fromLocal8Bit(error.what());
}

// Typing in the grid would make Qt search the model row by row, reading every row of the
// dataset; the grid has no use for it.
class GridView : public QTableView
{
public:
    using QTableView::QTableView;
    void keyboardSearch(const QString&) override {}
};

// Cells without a focus frame (the whole row is the selection), and the record number drawn
// at a fixed place in the row-number column.
class GridDelegate : public QStyledItemDelegate
{
public:
    GridDelegate(DataGridModel* model, QObject* parent) : QStyledItemDelegate(parent), m_model(model) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (!m_model->isRowNumberColumn(index.column())) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QString text = cell.text;
        cell.text.clear();
        const QWidget* widget = cell.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (style)
            style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
        drawRecordNumber(painter, cell, text);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~QStyle::State_HasFocus;
    }

private:
    static void drawRecordNumber(QPainter* painter, const QStyleOptionViewItem& cell, const QString& text)
    {
        const bool selected = cell.state.testFlag(QStyle::State_Selected);
        const QPalette::ColorGroup group =
            cell.state.testFlag(QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        painter->save();
        painter->setClipRect(cell.rect);
        painter->setFont(cell.font);
        painter->setPen(cell.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        // 2 px below the top means the top of the em box, as with 宋体 whose em box is its whole
        // height; the taller line box of a substitute (Noto CJK) would push the digits out of the row.
        const int ascent = qMin(QFontMetrics(cell.font).ascent(), qRound(QFontInfo(cell.font).pixelSize() * 0.88));
        painter->drawText(QPoint(cell.rect.left() + 3, cell.rect.top() + 2 + ascent), text);
        painter->restore();
    }

    DataGridModel* m_model;
};

Qt::Alignment footerAlignment(GridColumn::Footer footer)
{
    return footer == GridColumn::Footer::Caption ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
}

QColor gridLineColor(const QTableView* view)
{
    QStyleOptionViewItem option;
    option.initFrom(view);
    return QColor::fromRgba(uint(view->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, view)));
}

} // namespace

DataGrid::DataGrid(QWidget* parent) : QWidget(parent)
{
    // Set on the grid, not the view, so a font chosen in a .ui file still reaches the cells.
    setFont(cellFont());
    m_model = new DataGridModel(this);
    m_view = new GridView(this);
    m_footer = new QWidget(this);
    m_footer->setFixedHeight(FooterHeight);
    m_footer->setFont(titleFont());
    m_footer->installEventFilter(this);
    m_footer->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view);
    layout->addWidget(m_footer);

    setUpView();
    connectView();
}

DataGrid::~DataGrid() = default;

void DataGrid::setUpView()
{
    m_view->setItemDelegate(new GridDelegate(m_model, m_view));
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->setShowGrid(true);
    m_view->setGridStyle(Qt::SolidLine);
    m_view->setWordWrap(false);
    m_view->setCornerButtonEnabled(false);
    m_view->setSortingEnabled(false);
    // Tab leaves the grid for the next control instead of walking its cells.
    m_view->setTabKeyNavigation(false);

    // The current row stays marked while the focus is elsewhere in the window.
    QPalette palette = m_view->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    m_view->setPalette(palette);

    // Rows all of one fixed height: the view then never measures rows, however many.
    QHeaderView* rows = m_view->verticalHeader();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(RowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->hide();

    QHeaderView* titles = m_view->horizontalHeader();
    titles->setFont(titleFont());
    titles->setDefaultAlignment(Qt::AlignCenter);
    titles->setHighlightSections(false);
    titles->setStretchLastSection(false);
    titles->setMinimumSectionSize(1);
    titles->setResizeContentsPrecision(0); // fitting a column to its texts looks at the shown rows only
    setSortMarkToggles(false);

    m_view->setModel(m_model);
    m_view->viewport()->installEventFilter(this);
}

void DataGrid::connectView()
{
    connect(m_view, &QAbstractItemView::clicked, this, &DataGrid::onClicked);
    connect(m_view, &QAbstractItemView::doubleClicked, this, &DataGrid::onDoubleClicked);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { onCurrentRowChanged(current); });

    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        refreshFooter();
        followDataset();
    });
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this] {
        refreshFooter();
        followDataset();
    });
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] {
        refreshFooter();
        followDataset();
    });
    connect(m_model, &QAbstractItemModel::dataChanged, this, [this] { refreshFooter(); });

    QHeaderView* titles = m_view->horizontalHeader();
    connect(titles, &QHeaderView::sectionResized, m_footer, qOverload<>(&QWidget::update));
    connect(titles, &QHeaderView::sectionMoved, m_footer, qOverload<>(&QWidget::update));
    connect(titles, &QHeaderView::geometriesChanged, m_footer, qOverload<>(&QWidget::update));
    connect(m_view->horizontalScrollBar(), &QScrollBar::valueChanged, m_footer, qOverload<>(&QWidget::update));
}

void DataGrid::setColumns(const QList<GridColumn>& columns)
{
    m_model->setColumns(columns);
    applyColumnWidths();
}

void DataGrid::setDataset(store::Dataset* dataset)
{
    disconnect(m_currentConnection);
    m_model->setDataset(dataset);
    if (dataset)
        m_currentConnection =
            connect(dataset, &store::Dataset::currentChanged, this, [this](int record) { followRecord(record); });
    followDataset();
}

store::Dataset* DataGrid::dataset() const
{
    return m_model->dataset();
}

void DataGrid::setFooterVisible(bool visible)
{
    m_footer->setVisible(visible);
}

bool DataGrid::isFooterVisible() const
{
    return !m_footer->isHidden();
}

void DataGrid::setSortMarkToggles(bool on)
{
    // A shown indicator on clickable titles is flipped by QHeaderView itself on each click;
    // with sorting left off, nothing listens to it to re-order rows.
    QHeaderView* titles = m_view->horizontalHeader();
    titles->setSortIndicator(-1, Qt::AscendingOrder);
    titles->setSortIndicatorShown(on);
    titles->setSectionsClickable(on);
}

void DataGrid::setToolTipText(const QString& text)
{
    m_toolTipText = text;
}

QTableView* DataGrid::view() const
{
    return m_view;
}

void DataGrid::refreshFooter()
{
    m_footerTexts.clear();
    for (const GridColumn& column : m_model->columns())
        m_footerTexts << computeFooterText(column);
    widenColumnsToFooters();
    m_footer->update();
}

// Ten years of sales sum to more digits than a column was laid out for: a total cut short reads
// as a wrong one, so its column grows to show it whole.
void DataGrid::widenColumnsToFooters()
{
    QHeaderView* titles = m_view->horizontalHeader();
    const QFontMetrics metrics(m_footer->font());
    const QList<GridColumn>& columns = m_model->columns();
    for (int i = 0; i < m_footerTexts.size() && i < titles->count() && i < columns.size(); ++i) {
        // A caption may run on into the empty cells beside it; only a sum must be whole in its own.
        if (columns.at(i).footer != GridColumn::Footer::Sum && columns.at(i).footer != GridColumn::Footer::SumPlain)
            continue;
        const int needed = metrics.horizontalAdvance(m_footerTexts.at(i)) + 7; // the cell's margins and line
        if (titles->sectionSize(i) < needed)
            titles->resizeSection(i, needed);
    }
}

QString DataGrid::footerText(int column) const
{
    return m_footerTexts.value(column);
}

QString DataGrid::cellText(int row, int column) const
{
    return m_model->cellText(row, column);
}

bool DataGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_footer && event->type() == QEvent::Paint) {
        paintFooter();
        return true;
    }
    // A column widened by hand brings a scroll bar, which makes the viewport lower but no
    // narrower: that must not take the new width back.
    if (watched == m_view->viewport() && event->type() == QEvent::Resize) {
        const auto* resize = static_cast<QResizeEvent*>(event);
        if (resize->size().width() != resize->oldSize().width())
            applyColumnWidths();
    }
    if ((watched == m_view->viewport() || watched == m_footer) && event->type() == QEvent::ToolTip)
        return showToolTip(static_cast<QWidget*>(watched), event);
    return QWidget::eventFilter(watched, event);
}

// Given widths are proportions: the columns grow together to fill the grid. A grid narrower
// than the given widths keeps them and scrolls, so no column shrinks past legibility.
void DataGrid::applyColumnWidths()
{
    const QList<GridColumn>& columns = m_model->columns();
    long long given = 0;
    for (const GridColumn& column : columns)
        given += qMax(1, column.width);
    if (given == 0)
        return;
    const int available = m_view->viewport()->width();
    QHeaderView* titles = m_view->horizontalHeader();
    long long reached = 0;
    int placed = 0;
    for (int i = 0; i < columns.size(); ++i) {
        const int width = qMax(1, columns.at(i).width);
        if (given >= available) {
            titles->resizeSection(i, width);
            continue;
        }
        reached += width;
        const int end = int(reached * available / given); // the last column ends exactly at the edge
        titles->resizeSection(i, qMax(1, end - placed));
        placed = end;
    }
    widenColumnsToFooters();
}

QString DataGrid::computeFooterText(const GridColumn& column) const
{
    switch (column.footer) {
    case GridColumn::Footer::None:
        return {};
    case GridColumn::Footer::Caption:
        return QStringLiteral("合计");
    case GridColumn::Footer::Sum:
    case GridColumn::Footer::SumPlain:
        break;
    }
    store::Dataset* dataset = m_model->dataset();
    if (!dataset || !dataset->isOpen() || column.field.isEmpty())
        return {};
    try {
        const double total = dataset->sum(column.field);
        return column.footer == GridColumn::Footer::Sum ? store::formatDisplay(total) : store::formatNumber(total);
    } catch (const std::exception&) {
        return {};
    }
}

void DataGrid::paintFooter()
{
    QPainter painter(m_footer);
    const QRect area = m_footer->rect();
    const QColor lines = gridLineColor(m_view);
    painter.fillRect(area, FooterColor);

    // Cells sit exactly under the view's columns, scrolled with them.
    const QWidget* viewport = m_view->viewport();
    const int left = viewport->mapTo(this, QPoint(0, 0)).x() - m_footer->x();
    painter.setClipRect(QRect(left, 0, viewport->width(), area.height()));
    const QHeaderView* titles = m_view->horizontalHeader();
    const QList<GridColumn>& columns = m_model->columns();
    for (int i = 0; i < columns.size(); ++i) {
        if (titles->isSectionHidden(i))
            continue;
        const QRect cell(left + titles->sectionViewportPosition(i), 0, titles->sectionSize(i), area.height());
        painter.setPen(Qt::black);
        painter.drawText(cell.adjusted(3, 0, -3, 0), int(footerAlignment(columns.at(i).footer)) | Qt::TextSingleLine,
                         m_footerTexts.value(i));
        painter.setPen(lines);
        painter.drawLine(cell.right(), cell.top(), cell.right(), cell.bottom());
    }
    painter.setClipping(false);
    painter.setPen(lines);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

bool DataGrid::showToolTip(QWidget* widget, QEvent* event)
{
    if (m_toolTipText.isEmpty())
        return false;
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), m_toolTipText, widget);
    return true;
}

void DataGrid::onClicked(const QModelIndex& index)
{
    if (const int record = moveDatasetToRowOf(index))
        emit cellClicked(record);
}

void DataGrid::onDoubleClicked(const QModelIndex& index)
{
    if (const int record = moveDatasetToRowOf(index))
        emit doubleClicked(record);
}

int DataGrid::moveDatasetToRowOf(const QModelIndex& index)
{
    if (!index.isValid())
        return 0;
    const int record = index.row() + 1;
    return moveDatasetTo(record) ? record : 0;
}

void DataGrid::onCurrentRowChanged(const QModelIndex& current)
{
    // Only the user's moves go to the dataset; the grid's own following must not echo back.
    if (m_following || m_model->isFollowingDataset() || !current.isValid())
        return;
    moveDatasetTo(current.row() + 1);
}

bool DataGrid::moveDatasetTo(int recordNumber)
{
    store::Dataset* dataset = m_model->dataset();
    if (!dataset || !dataset->isOpen())
        return false;
    try {
        if (dataset->recordNumber() != recordNumber)
            dataset->moveTo(recordNumber);
        return true;
    } catch (const std::exception& error) {
        followDataset();
        emit storeError(messageOf(error));
        return false;
    }
}

int DataGrid::datasetRecordNumber() const
{
    store::Dataset* dataset = m_model->dataset();
    if (!dataset || !dataset->isOpen())
        return 0;
    try {
        return dataset->recordNumber();
    } catch (const std::exception&) {
        return 0;
    }
}

void DataGrid::followDataset()
{
    followRecord(datasetRecordNumber());
}

void DataGrid::followRecord(int recordNumber)
{
    QScopedValueRollback<bool> following(m_following, true);
    QItemSelectionModel* selection = m_view->selectionModel();
    if (recordNumber < 1 || recordNumber > m_model->rowCount()) {
        selection->clear();
        return;
    }
    const int row = recordNumber - 1;
    const QModelIndex index = m_model->index(row, qMax(0, m_view->currentIndex().column()));
    if (m_view->currentIndex().row() != row || !selection->isRowSelected(row))
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view->scrollTo(index);
}

} // namespace ui
