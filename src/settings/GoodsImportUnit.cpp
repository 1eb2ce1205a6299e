#include "settings/GoodsImportUnit.h"

#include "core/Error.h"
#include "ui/Guard.h"
#include "ui/Messages.h"

#include <QDir>
#include <QHeaderView>

namespace {

QTableWidgetItem* cell(const QString& text, bool wrong)
{
    auto* item = new QTableWidgetItem(text);
    if (wrong)
        item->setForeground(Qt::red);
    return item;
}

} // namespace

TGoodsImportForm::TGoodsImportForm(QWidget* parent)
    : ui::SkinnedWindow(parent), ADOConnection1(QStringLiteral("TGoodsImportForm"))
{
    setupWindow(static_cast<Ui::TGoodsImportForm&>(*this), QStringLiteral("TGoodsImportForm"),
                QStringLiteral("导入商品"), QSize(560, 400), ui::ControlBox | ui::Close);
    RowsGrid->horizontalHeader()->setStretchLastSection(true);
    RowsGrid->verticalHeader()->hide();
    ui::connectGuarded(ImportButton, &QPushButton::clicked, this, &TGoodsImportForm::ImportButtonClick);
    ui::connectGuarded(CancelButton, &QPushButton::clicked, this, &TGoodsImportForm::CancelButtonClick);
    centreOnScreen();
}

bool TGoodsImportForm::showPreviewOf(const QString& path)
{
    try {
        m_rows = legacy::goodsRowsOf(legacy::readSheet(path));
    } catch (const store::Error& error) {
        ui::message(parentWidget(), error.message(), ui::MessageStyle::Error);
        return false;
    }
    FileLabel->setText(QStringLiteral("商品文件：%1").arg(QDir::toNativeSeparators(path)));
    RowsGrid->setRowCount(static_cast<int>(m_rows.size()));
    int wrong = 0;
    for (int i = 0; i < m_rows.size(); ++i) {
        const legacy::GoodsRow& row = m_rows.at(i);
        const bool bad = !row.error.isEmpty();
        wrong += bad ? 1 : 0;
        RowsGrid->setItem(i, 0, cell(QString::number(row.line), bad));
        RowsGrid->setItem(i, 1, cell(row.name, bad));
        RowsGrid->setItem(i, 2, cell(row.price, bad));
        RowsGrid->setItem(i, 3, cell(row.barcode, bad));
        RowsGrid->setItem(i, 4, cell(row.error, bad));
    }
    RowsGrid->resizeColumnsToContents();
    SummaryLabel->setText(QStringLiteral("共 %1 行，其中有错的 %2 行不导入").arg(m_rows.size()).arg(wrong));
    ImportButton->setEnabled(wrong < m_rows.size());
    return true;
}

void TGoodsImportForm::ImportButtonClick()
{
    const legacy::GoodsImportCounts counts = legacy::importGoods(ADOConnection1, m_rows);
    emit goodsImported();
    ui::message(this, legacy::describe(counts), ui::MessageStyle::Plain);
    accept();
}

void TGoodsImportForm::CancelButtonClick()
{
    reject();
}
