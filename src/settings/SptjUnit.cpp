#include "settings/SptjUnit.h"

#include "store/Catalogue.h"
#include "ui/ControlEvents.h"
#include "ui/Guard.h"
#include "ui/Messages.h"
#include "ui/NumberKeyFilter.h"

TSptjForm::TSptjForm(settings::SettingsOwner* settings, QWidget* parent)
    : settings::AddDialog(settings, QStringLiteral("TSptjForm"), store::sql::SelectSpxx, parent)
{
    setupWindow(*this, QStringLiteral("TSptjForm"), QStringLiteral("添加新商品"), QSize(264, 227),
                ui::ControlBox | ui::Close);
    ui::installNumberKeyFilter(Edit2);
    // Enter on the name goes on to the price; Enter on the price adds (the default button).
    ui::onEnterKey(Edit1, this, [this] { Edit2->setFocus(Qt::TabFocusReason); });
    connectButtons(this);
    FormCreate();
}

void TSptjForm::emptyBoxes()
{
    Edit1->clear();
    Edit2->clear();
}

void TSptjForm::SpeedButton1Click()
{
    if (Edit1->text().isEmpty() && Edit2->text().isEmpty()) {
        ui::message(this, QStringLiteral("添加商品不能为空！"), ui::MessageStyle::Plain);
        return;
    }
    // A price the store refuses throws here and takes the unposted row with it.
    ADOQuery1.append();
    ADOQuery1.setField(QStringLiteral("品名"), Edit1->text());
    ADOQuery1.setField(QStringLiteral("单价"), Edit2->text());
    ADOQuery1.post();
    if (finishAdd(
            {Edit1, Edit2}, QStringLiteral("添加商品成功！"), [this] { emit goodsChanged(); }, CheckBox1))
        Edit1->setFocus(Qt::OtherFocusReason); // ready for the next goods
}
