#pragma once

#include "legacy/GoodsList.h"
#include "store/Connection.h"
#include "ui/SkinnedWindow.h"
#include "ui_GoodsImportUnit.h"

// The preview of a goods list from a spreadsheet, every row with its error, and its import.
class TGoodsImportForm : public ui::SkinnedWindow, private Ui::TGoodsImportForm
{
    Q_OBJECT

public:
    explicit TGoodsImportForm(QWidget* parent = nullptr);

    // Reads the file and lists its rows; a file that cannot be read is told and false returned.
    bool showPreviewOf(const QString& path);
    QList<legacy::GoodsRow> rows() const { return m_rows; }

    void ImportButtonClick();
    void CancelButtonClick();

    store::Connection ADOConnection1;

signals:
    void goodsImported();

private:
    QList<legacy::GoodsRow> m_rows;
};
