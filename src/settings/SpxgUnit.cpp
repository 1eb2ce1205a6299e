#include "settings/SpxgUnit.h"

#include "core/Error.h"
#include "store/Numbers.h"
#include "ui/ControlEvents.h"
#include "ui/Guard.h"
#include "ui/Messages.h"
#include "ui/NumberKeyFilter.h"

TSpxgForm::TSpxgForm(settings::SettingsOwner* settings, QWidget* parent) : settings::SettingsDialog(settings, parent)
{
    setupWindow(static_cast<Ui::TSpxgForm&>(*this), QStringLiteral("TSpxgForm"), QStringLiteral("修改商品信息"),
                QSize(264, 223), ui::ControlBox | ui::Close);
    ui::installNumberKeyFilter(Edit2);
    // A scanner ends the code with Enter: on to the name, not the save.
    ui::onEnterKey(Edit3, this, [this] { Edit1->setFocus(Qt::TabFocusReason); });
    connectButtons(this, SpeedButton1, SpeedButton2);
}

void TSpxgForm::showGoods(const QString& name, const QString& price, const QString& barcode)
{
    Edit1->setText(name);
    Edit3->setText(barcode);
    // A row stored without a price opens with an empty box, so it can still be given one.
    Edit2->setText(price.isEmpty() ? price : store::normalisePrice(price));
}

void TSpxgForm::SpeedButton1Click()
{
    settings::SettingsOwner* owner = settingsWindow();
    // With no row to stand on, an edit would insert one instead.
    if (!owner->hasSelectedGoods()) {
        ui::message(this, QStringLiteral("商品信息为空！"), ui::MessageStyle::Plain);
        return;
    }
    owner->modifySelectedGoods(Edit1->text(), Edit2->text(), Edit3->text());
    ui::message(this, QStringLiteral("修改商品信息成功！"), ui::MessageStyle::Plain);
    emit goodsChanged();
    close();
}
