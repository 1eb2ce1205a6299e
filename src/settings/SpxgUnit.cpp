#include "settings/SpxgUnit.h"

#include "settings/XtUnit.h"
#include "store/Error.h"
#include "ui/Guard.h"
#include "ui/Messages.h"
#include "ui/NumberKeyFilter.h"

TSpxgForm::TSpxgForm(TXtForm* settings, QWidget* parent) : ui::SkinnedWindow(parent), m_settings(settings)
{
    setupWindow(*this, QStringLiteral("TSpxgForm"), QStringLiteral("修改商品信息"), QSize(264, 223),
                ui::ControlBox | ui::Close);
    ui::installNumberKeyFilter(Edit2);
    ui::connectGuarded(SpeedButton1, &QPushButton::clicked, this, &TSpxgForm::SpeedButton1Click);
    ui::connectGuarded(SpeedButton2, &QPushButton::clicked, this, &TSpxgForm::SpeedButton2Click);
    centreOnScreen();
}

void TSpxgForm::SpeedButton1Click()
{
    if (!m_settings)
        throw store::Error(QStringLiteral("设置窗口尚未创建"));
    store::Dataset& goods = m_settings->ADOQuery2;
    // With no row to stand on, an edit would insert one instead.
    if (goods.recordCount() == 0) {
        ui::message(this, QStringLiteral("商品信息为空！"), ui::MessageStyle::Plain);
        return;
    }
    goods.edit();
    goods.setField(QStringLiteral("品名"), Edit1->text());
    goods.setField(QStringLiteral("单价"), Edit2->text());
    goods.post();
    ui::message(this, QStringLiteral("修改商品信息成功！"), ui::MessageStyle::Plain);
    emit goodsChanged();
    close();
}

void TSpxgForm::SpeedButton2Click()
{
    close();
}
