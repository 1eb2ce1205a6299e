#include "settings/SptjUnit.h"

#include "store/Catalogue.h"
#include "store/GoodsCodes.h"
#include "ui/ControlEvents.h"
#include "ui/Guard.h"
#include "ui/Messages.h"
#include "ui/NumberKeyFilter.h"
#include "ui/Seams.h"

TSptjForm::TSptjForm(settings::SettingsOwner* settings, QWidget* parent)
    : settings::AddDialog(settings, QStringLiteral("TSptjForm"), store::sql::SelectSpxx, parent)
{
    setupWindow(static_cast<Ui::TSptjForm&>(*this), QStringLiteral("TSptjForm"), QStringLiteral("添加新商品"),
                QSize(264, 227), ui::ControlBox | ui::Close);
    ui::installNumberKeyFilter(Edit2);
    // Enter on the barcode (a scanner ends with it) goes on to the name, Enter on the name to the
    // price; Enter on the price adds (the default button).
    ui::onEnterKey(Edit3, this, [this] { Edit1->setFocus(Qt::TabFocusReason); });
    ui::onEnterKey(Edit1, this, [this] { Edit2->setFocus(Qt::TabFocusReason); });
    connectButtons(this, SpeedButton1, SpeedButton2);
    FormCreate();
}

void TSptjForm::emptyBoxes()
{
    Edit1->clear();
    Edit2->clear();
    Edit3->clear();
}

void TSptjForm::addWithBarcode(const QString& barcode)
{
    emptyBoxes();
    Edit3->setText(barcode);
    Edit1->setFocus(Qt::OtherFocusReason);
    ui::showModal(this);
}

void TSptjForm::SpeedButton1Click()
{
    if (Edit1->text().isEmpty() && Edit2->text().isEmpty()) {
        ui::message(this, QStringLiteral("添加商品不能为空！"), ui::MessageStyle::Plain);
        return;
    }
    const QString barcode = Edit3->text();
    store::requireBarcodeFree(ADOConnection1, barcode);
    // A price the store refuses throws here and takes the unposted row with it.
    ADOQuery1.append();
    store::postGoods(ADOQuery1, ADOConnection1, Edit1->text(), Edit2->text(), barcode);
    if (finishAdd(
            {Edit1, Edit2, Edit3}, QStringLiteral("添加商品成功！"), [this] { emit goodsChanged(); }, CheckBox1))
        Edit1->setFocus(Qt::OtherFocusReason); // ready for the next goods
}
