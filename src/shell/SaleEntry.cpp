#include "shell/SaleEntry.h"

#include "printing/PrintRun.h"
#include "store/Dataset.h"
#include "ui/Messages.h"

#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <tuple>

namespace shell {

void focusAndSelect(QWidget* box)
{
    box->setFocus(Qt::TabFocusReason);
    if (auto* combo = qobject_cast<QComboBox*>(box); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
    else if (auto* edit = qobject_cast<QLineEdit*>(box))
        edit->selectAll();
}

bool namesAnItem(const QComboBox* box)
{
    return !box->currentText().isEmpty() &&
           box->findText(box->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0;
}

bool anyLonePoint(const QStringList& texts)
{
    return std::any_of(texts.begin(), texts.end(), [](const QString& text) { return text == QLatin1String("."); });
}

bool reportEmptyEntryBoxes(QWidget* owner, Ui::TMainForm& form)
{
    const QList<std::tuple<bool, QString, QWidget*>> boxes = {
        {form.Edit3->text().isEmpty(), QStringLiteral("单价不能为空！"), form.Edit3},
        {form.Edit4->text().isEmpty(), QStringLiteral("数量不能为空！"), form.Edit4},
        {form.ComboBox2->currentText().isEmpty(), QStringLiteral("折扣不能为空！"), form.ComboBox2},
    };
    QWidget* firstEmpty = nullptr;
    for (const auto& [empty, text, box] : boxes) {
        if (!empty)
            continue;
        ui::message(owner, text, ui::MessageStyle::Warning);
        if (!firstEmpty)
            firstEmpty = box;
    }
    if (firstEmpty)
        focusAndSelect(firstEmpty);
    return firstEmpty != nullptr;
}

void resetEntryBoxes(Ui::TMainForm& form)
{
    form.ComboBox1->clearEditText();
    form.Edit3->clear();
    form.Edit4->setText(QStringLiteral("1"));
    form.ComboBox2->setEditText(QStringLiteral("10"));
}

void resetEntry(Ui::TMainForm& form)
{
    resetEntryBoxes(form);
    form.Edit11->clear();
    form.Edit12->clear();
}

void writeLine(store::Dataset& lines, const Ui::TMainForm& form)
{
    lines.setField(QStringLiteral("单号"), form.Edit1->text());
    lines.setField(QStringLiteral("时间"), form.Edit2->text());
    lines.setField(QStringLiteral("品名"), form.ComboBox1->currentText());
    lines.setField(QStringLiteral("单价"), form.Edit3->text());
    lines.setField(QStringLiteral("数量"), form.Edit4->text());
    lines.setField(QStringLiteral("金额"), form.Edit11->text());
    lines.setField(QStringLiteral("折后"), form.Edit12->text());
    lines.post();
}

printing::SaleToPrint saleOnScreen(const Ui::TMainForm& form)
{
    printing::SaleToPrint sale;
    sale.layout = form.ComboBox5->currentText();
    sale.copies = form.ComboBox3->currentText();
    sale.customer = form.CheckBox2->isChecked();
    sale.phone = form.CheckBox3->isChecked();
    sale.remark = form.Memo1->toPlainText();
    sale.number = form.Edit1->text();
    sale.time = form.Edit2->text();
    sale.cashier = form.ComboBox6->currentText();
    sale.customerName = form.Edit9->text();
    sale.phoneNumber = form.Edit10->text();
    sale.totalQuantity = form.Label13->text();
    sale.totalAmount = form.Label14->text();
    sale.totalDue = form.Label15->text();
    sale.received = form.ComboBox4->currentText();
    sale.change = form.Edit6->text();
    return sale;
}

} // namespace shell
