#include "settings/SptjUnit.h"

#include "settings/XtUnit.h"
#include "store/Catalogue.h"
#include "ui/ControlEvents.h"
#include "ui/Guard.h"
#include "ui/Messages.h"
#include "ui/NumberKeyFilter.h"

TSptjForm::TSptjForm(TXtForm* settings, QWidget* parent)
    : ui::SkinnedWindow(parent), ADOConnection1(QStringLiteral("TSptjForm")),
      ADOQuery1(ADOConnection1, store::sql::SelectSpxx), m_settings(settings)
{
    setupWindow(*this, QStringLiteral("TSptjForm"), QStringLiteral("添加新商品"), QSize(264, 227),
                ui::ControlBox | ui::Close);
    ui::installNumberKeyFilter(Edit2);
    ui::connectGuarded(SpeedButton1, &QPushButton::clicked, this, &TSptjForm::SpeedButton1Click);
    ui::connectGuarded(SpeedButton2, &QPushButton::clicked, this, &TSptjForm::SpeedButton2Click);
    // Enter on the name goes on to the price; Enter on the price adds (the default button).
    ui::onEnterKey(Edit1, this, [this] { Edit2->setFocus(Qt::TabFocusReason); });
    centreOnScreen();
    FormCreate();
}

void TSptjForm::FormCreate()
{
    ADOConnection1.open();
    ADOQuery1.open();
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
    Edit1->clear();
    Edit2->clear();
    ui::message(this, QStringLiteral("添加商品成功！"), ui::MessageStyle::Plain);
    emit goodsChanged();
    if (m_settings)
        m_settings->SettingsRequery();
    if (!CheckBox1->isChecked())
        close();
    else
        Edit1->setFocus(Qt::OtherFocusReason); // ready for the next goods
}

void TSptjForm::SpeedButton2Click()
{
    close();
}
