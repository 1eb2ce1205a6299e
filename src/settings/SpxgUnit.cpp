#include "settings/SpxgUnit.h"

#include "settings/XtUnit.h"
#include "store/Error.h"
#include "ui/Guard.h"
#include "ui/Messages.h"
#include "ui/NumberKeyFilter.h"

TSpxgForm::TSpxgForm(TXtForm* settings, QWidget* parent) : settings::SettingsDialog(settings, parent)
{
    setupWindow(*this, QStringLiteral("TSpxgForm"), QStringLiteral("修改商品信息"), QSize(264, 223),
                ui::ControlBox | ui::Close);
    ui::installNumberKeyFilter(Edit2);
    connectButtons(this);
}

void TSpxgForm::SpeedButton1Click()
{
    store::Dataset& goods = settingsWindow()->ADOQuery2;
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
