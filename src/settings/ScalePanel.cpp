#include "settings/ScalePanel.h"

#include "sales/Barcodes.h"
#include "store/GoodsCodes.h"
#include "ui/Guard.h"
#include "ui/Messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TScalePanel::TScalePanel(store::Connection& connection, QWidget* parent) : QWidget(parent), m_connection(connection)
{
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(QStringLiteral("条码秤规则："), this);
    RulesEdit = new QLineEdit(this);
    RulesEdit->setObjectName(QStringLiteral("RulesEdit"));
    RulesEdit->setAccessibleName(QStringLiteral("条码秤规则"));
    // The settings table keeps at most 255 characters a value.
    RulesEdit->setMaxLength(255);
    caption->setBuddy(RulesEdit);
    auto* hint = new QLabel(QStringLiteral("每条规则写成 标志位:商品码位:数值位:金额或重量，多条用分号隔开。\n"
                                           "标志位是条码的前两位（20–29），位置从第1位数起，第13位是校验位。\n"
                                           "金额：数值是分；重量：数值是克。\n例如 %1")
                                .arg(sales::DefaultScaleRulesText),
                            this);
    hint->setWordWrap(true);
    SaveButton = new QPushButton(QStringLiteral("保存"), this);
    SaveButton->setObjectName(QStringLiteral("SaveButton"));
    SaveButton->setAccessibleName(SaveButton->text());
    DefaultButton = new QPushButton(QStringLiteral("恢复默认"), this);
    DefaultButton->setObjectName(QStringLiteral("DefaultButton"));
    DefaultButton->setAccessibleName(DefaultButton->text());
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(DefaultButton);
    buttons->addWidget(SaveButton);
    layout->addWidget(caption);
    layout->addWidget(RulesEdit);
    layout->addWidget(hint);
    layout->addLayout(buttons);
    layout->addStretch();
    ui::connectGuarded(SaveButton, &QPushButton::clicked, this, &TScalePanel::SaveButtonClick);
    ui::connectGuarded(DefaultButton, &QPushButton::clicked, this, &TScalePanel::DefaultButtonClick);
    applyRights(false);
}

void TScalePanel::load()
{
    RulesEdit->setText(store::storedScaleRules(m_connection, sales::DefaultScaleRulesText));
}

void TScalePanel::applyRights(bool administrator)
{
    m_administrator = administrator;
    RulesEdit->setReadOnly(!administrator);
    SaveButton->setEnabled(administrator);
    DefaultButton->setEnabled(administrator);
}

void TScalePanel::SaveButtonClick()
{
    if (!m_administrator) {
        ui::message(this, QStringLiteral("只有管理员可以更改条码秤规则。"), ui::MessageStyle::Error);
        return;
    }
    const sales::ParsedScaleRules parsed = sales::parseScaleRules(RulesEdit->text());
    if (!parsed.error.isEmpty()) {
        ui::message(this, parsed.error, ui::MessageStyle::Warning);
        RulesEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
    // Kept in the one spelling the counter reads, blanks and doubled separators gone.
    store::storeScaleRules(m_connection, sales::scaleRulesText(parsed.rules));
    load();
    ui::message(this, QStringLiteral("条码秤规则保存成功！"), ui::MessageStyle::Plain);
}

void TScalePanel::DefaultButtonClick()
{
    RulesEdit->setText(sales::DefaultScaleRulesText);
}
