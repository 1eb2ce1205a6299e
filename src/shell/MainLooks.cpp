#include "shell/MainLooks.h"

#include "shell/Looks.h"
#include "store/Dataset.h"
#include "ui/BoxLooks.h"
#include "ui/DataGrid.h"
#include "ui/Fonts.h"
#include "ui/Icons.h"

#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QTableView>

namespace shell {

namespace {

const QList<int> StatusPanelWidths = {260, 200};

const QColor Red(0xFF, 0x00, 0x00);
const QColor DarkRed(0xBD, 0x00, 0x00); // colour value 189
const QColor Green(0x00, 0x80, 0x00);
const QColor ScrollBarColour(0xC8, 0xC8, 0xC8);
const QColor EvenRowColour(0xEE, 0xEE, 0xEE); // colour value 15658734

constexpr int TotalPixelSize = 21;
constexpr int SmallestPixelSize = 9;

// Column positions in the grid, as saleColumns lists them.
constexpr int QuantityGridColumn = 3;
constexpr int AmountGridColumn = 4;
constexpr int AfterDiscountGridColumn = 5;

QList<ui::GridColumn> saleColumns()
{
    using Column = ui::GridColumn;
    return {
        Column{QStringLiteral("序号"), QString(), 45, false, Column::Footer::None},
        Column{QStringLiteral("品名"), QStringLiteral("品名"), 250, false, Column::Footer::None},
        Column{QStringLiteral("单价"), QStringLiteral("单价"), 80, true, Column::Footer::None},
        Column{QStringLiteral("数量"), QStringLiteral("数量"), 50, true, Column::Footer::None},
        Column{QStringLiteral("金额"), QStringLiteral("金额"), 105, true, Column::Footer::None},
        Column{QStringLiteral("折后"), QStringLiteral("折后"), 105, true, Column::Footer::None},
    };
}

// A text wider than its label gets a smaller font instead of running into its neighbour or
// past the window's edge.
void fitFontToWidth(QLabel* label, QFont font)
{
    const int room = label->contentsRect().width() - label->margin() * 2 - label->indent() - 4;
    while (font.pixelSize() > SmallestPixelSize && QFontMetrics(font).horizontalAdvance(label->text()) > room)
        font.setPixelSize(font.pixelSize() - 1);
    label->setFont(font);
}

// The last status panel has what the bar leaves over, which depends on the fonts at hand.
class FittingPanel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        fitFontToWidth(this, ui::songFont(15));
    }
};

void colourControls(Ui::TMainForm& form)
{
    ui::setBackground(form.Edit2, ui::buttonFaceColour());
    for (QLineEdit* result : {form.Edit11, form.Edit12}) {
        ui::setBackground(result, ui::buttonFaceColour());
        ui::setTextColour(result, Red);
    }
    form.Label12->setFont(ui::heiFont(20, true));
    for (QLabel* total : {form.Label13, form.Label14, form.Label15}) {
        total->setFont(ui::heiFont(TotalPixelSize, true));
        ui::setTextColour(total, Red);
    }
    form.ComboBox4->setFont(ui::songFont(15, true));
    ui::setTextColour(form.Label9, DarkRed);
    ui::setTextColour(form.Label10, Green);
    form.Edit6->setFont(ui::songFont(15, true));
    ui::setTextColour(form.Edit6, Red);
    ui::setBackground(form.Edit6, ScrollBarColour);
    form.Memo1->setFont(ui::songFont(13));
}

void pictureButtons(Ui::TMainForm& form)
{
    form.SpeedButton2->setIcon(ui::icon(QStringLiteral("add")));
    form.SpeedButton3->setIcon(ui::icon(QStringLiteral("modify")));
    form.SpeedButton4->setIcon(ui::icon(QStringLiteral("delete")));
    form.SpeedButton1->setIcon(ui::icon(QStringLiteral("settings")));
    form.SpeedButton7->setIcon(ui::icon(QStringLiteral("statistics")));
    form.SpeedButton5->setIcon(ui::icon(QStringLiteral("preview")));
    form.SpeedButton6->setIcon(ui::icon(QStringLiteral("print")));
    form.SpeedButton6->setIconSize(QSize(48, 48));
    form.SpeedButton6->setFont(ui::songFont(24, true));
    ui::setTextColour(form.SpeedButton6, Green);
}

} // namespace

void dressMainWindow(Ui::TMainForm& form, QWidget* client, const QSize& clientSize)
{
    client->setAutoFillBackground(true);
    QPalette background = client->palette();
    background.setBrush(QPalette::Window, QBrush(mainBackground(clientSize)));
    client->setPalette(background);
    colourControls(form);
    pictureButtons(form);
}

QList<QLabel*> addStatusPanels(QStatusBar* bar)
{
    QList<QLabel*> panels;
    for (int panel = 0; panel < 3; ++panel) {
        auto* label = panel < StatusPanelWidths.size() ? new QLabel(bar) : new FittingPanel(bar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(panel));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        if (panel < StatusPanelWidths.size())
            label->setFixedWidth(StatusPanelWidths.at(panel));
        else // the rest of the bar, not the width of its text: a longer text would push it past the edge
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        bar->addWidget(label, panel < StatusPanelWidths.size() ? 0 : 1);
        panels << label;
    }
    return panels;
}

void setUpSaleGrid(Ui::TMainForm& form)
{
    form.DBGridEh1->setColumns(saleColumns());
    QTableView* view = form.DBGridEh1->view();
    view->setAlternatingRowColors(true);
    QPalette rows = view->palette();
    rows.setColor(QPalette::Base, Qt::white);
    rows.setColor(QPalette::AlternateBase, EvenRowColour);
    view->setPalette(rows);
}

void alignTotals(Ui::TMainForm& form, QWidget* client)
{
    QTableView* view = form.DBGridEh1->view();
    const QHeaderView* titles = view->horizontalHeader();
    QFrame* panel = form.Panel3;
    auto leftOf = [&](int column) {
        const QPoint inClient = view->viewport()->mapTo(client, QPoint(titles->sectionViewportPosition(column), 0));
        return panel->mapFrom(client, inClient).x();
    };
    const int quantity = leftOf(QuantityGridColumn);
    const int amount = leftOf(AmountGridColumn);
    const int afterDiscount = leftOf(AfterDiscountGridColumn);
    const int end = panel->width() - panel->frameWidth();
    form.Label13->setGeometry(quantity, form.Label13->y(), amount - quantity, form.Label13->height());
    form.Label14->setGeometry(amount, form.Label14->y(), afterDiscount - amount, form.Label14->height());
    form.Label15->setGeometry(afterDiscount, form.Label15->y(), end - afterDiscount, form.Label15->height());
    fitTotals(form);
}

void fitTotals(Ui::TMainForm& form)
{
    for (QLabel* total : {form.Label13, form.Label14, form.Label15})
        fitFontToWidth(total, ui::heiFont(TotalPixelSize, true));
}

} // namespace shell
