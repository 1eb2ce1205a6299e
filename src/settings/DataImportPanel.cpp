#include "settings/DataImportPanel.h"

#include "settings/GoodsImportUnit.h"
#include "settings/ImportUnit.h"
#include "ui/Guard.h"
#include "ui/Seams.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace settings {

DataImportPanel::DataImportPanel(QWidget* parent) : QGroupBox(QStringLiteral("导入"), parent)
{
    setObjectName(QStringLiteral("DataImportPanel"));
    setAccessibleName(title());
    LegacyButton = new QPushButton(QStringLiteral("导入旧数据…"), this);
    LegacyButton->setObjectName(QStringLiteral("LegacyButton"));
    GoodsButton = new QPushButton(QStringLiteral("导入商品…"), this);
    GoodsButton->setObjectName(QStringLiteral("GoodsButton"));
    for (QPushButton* button : {LegacyButton, GoodsButton})
        button->setAccessibleName(button->text());
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(LegacyButton);
    layout->addWidget(GoodsButton);
    layout->addStretch();
    ui::connectGuarded(LegacyButton, &QPushButton::clicked, this, &DataImportPanel::LegacyButtonClick);
    ui::connectGuarded(GoodsButton, &QPushButton::clicked, this, &DataImportPanel::GoodsButtonClick);
}

DataImportPanel::~DataImportPanel() = default;

TImportForm* DataImportPanel::importForm()
{
    if (!m_importForm) {
        m_importForm = std::make_unique<TImportForm>(window());
        connect(m_importForm.get(), &TImportForm::imported, this, &DataImportPanel::legacyImported);
    }
    return m_importForm.get();
}

TGoodsImportForm* DataImportPanel::goodsImportForm()
{
    if (!m_goodsImportForm) {
        m_goodsImportForm = std::make_unique<TGoodsImportForm>(window());
        connect(m_goodsImportForm.get(), &TGoodsImportForm::goodsImported, this, &DataImportPanel::goodsImported);
    }
    return m_goodsImportForm.get();
}

void DataImportPanel::LegacyButtonClick()
{
    const QString path = ui::askOpenFileName(window(), QStringLiteral("旧程序的数据库 (*.mdb);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    if (importForm()->showPreviewOf(path))
        ui::showModal(importForm());
}

void DataImportPanel::GoodsButtonClick()
{
    const QString path =
        ui::askOpenFileName(window(), QStringLiteral("商品表 (*.csv *.xls *.xlsx);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    if (goodsImportForm()->showPreviewOf(path))
        ui::showModal(goodsImportForm());
}

} // namespace settings
