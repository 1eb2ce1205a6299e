#pragma once

#include "legacy/LegacyImport.h"

#include <QGroupBox>
#include <memory>

class QPushButton;
class TImportForm;
class TGoodsImportForm;

namespace settings {

// The 数据 tab's import buttons: the old program's data.mdb, and a goods list from a spreadsheet.
class DataImportPanel : public QGroupBox
{
    Q_OBJECT

public:
    explicit DataImportPanel(QWidget* parent = nullptr);
    ~DataImportPanel() override;

    void LegacyButtonClick(); // 导入旧数据…
    void GoodsButtonClick();  // 导入商品…

    QPushButton* LegacyButton;
    QPushButton* GoodsButton;
    TImportForm* importForm();
    TGoodsImportForm* goodsImportForm();

signals:
    void legacyImported(const legacy::ImportCounts& counts);
    void goodsImported();

private:
    std::unique_ptr<TImportForm> m_importForm;
    std::unique_ptr<TGoodsImportForm> m_goodsImportForm;
};

} // namespace settings
