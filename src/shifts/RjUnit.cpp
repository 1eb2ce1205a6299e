#include "shifts/RjUnit.h"

#include "core/Error.h"
#include "sales/Money.h"
#include "shifts/DayClose.h"
#include "store/Closings.h"
#include "ui/Guard.h"
#include "ui/Messages.h"
#include "ui/Seams.h"

#include <QDateTime>
#include <QHeaderView>

namespace {

const QStringList Headings = {QStringLiteral("Z号"), QStringLiteral("开始"), QStringLiteral("日结"),
                              QStringLiteral("笔数"), QStringLiteral("净收入")};

QTableWidgetItem* fixedItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QString slipText(const printing::ClosingSlip& slip)
{
    QStringList shown;
    for (const printing::ClosingSlip::Line& line : slip.lines)
        shown << (line.rule ? QString(24, QLatin1Char('-'))
                            : QStringList{line.text, line.count, line.amount}.join(QLatin1Char(' ')).simplified());
    return shown.join(QLatin1Char('\n'));
}

} // namespace

TRjForm::TRjForm(QWidget* parent) : ui::SkinnedWindow(parent), ADOConnection1(QStringLiteral("TRjForm"))
{
    setupWindow(static_cast<Ui::TRjForm&>(*this), QStringLiteral("TRjForm"), QStringLiteral("日结"), QSize(640, 466),
                ui::ControlBox | ui::Close);
    TableWidget1->setColumnCount(int(Headings.size()));
    TableWidget1->setHorizontalHeaderLabels(Headings);
    TableWidget1->verticalHeader()->setVisible(false);
    TableWidget1->setSelectionMode(QAbstractItemView::SingleSelection);
    TableWidget1->setSelectionBehavior(QAbstractItemView::SelectRows);
    TableWidget1->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui::connectGuarded(SpeedButton1, &QToolButton::clicked, this, &TRjForm::SpeedButton1Click);
    ui::connectGuarded(SpeedButton2, &QToolButton::clicked, this, &TRjForm::SpeedButton2Click);
    ui::connectGuarded(SpeedButton3, &QToolButton::clicked, this, &TRjForm::SpeedButton3Click);
    ADOConnection1.open();
}

void TRjForm::setLoggedInUser(const core::LoggedInUser* user)
{
    m_loggedIn = user;
}

void TRjForm::setSlipHandOff(shifts::SlipHandOff* slip)
{
    m_slip = slip;
}

bool TRjForm::loggedInAsAdministrator() const
{
    return m_loggedIn && m_loggedIn->isAdministrator();
}

void TRjForm::OpenDayClose()
{
    if (!loggedInAsAdministrator()) {
        ui::message(this, QStringLiteral("只有管理员才能日结！"), ui::MessageStyle::Warning);
        return;
    }
    ADOConnection1.reconnect();
    showOpenDay();
    listCloses();
    centreOnScreen();
    ui::showModal(this);
}

void TRjForm::showOpenDay()
{
    const shifts::BusinessDay day = shifts::readBusinessDay(ADOConnection1, QDateTime::currentDateTime());
    Edit1->setText(day.start.isEmpty() ? QStringLiteral("（首次日结）") : day.start);
    Memo1->setPlainText(slipText(shifts::dayCloseSlip(day, 0, m_loggedIn ? m_loggedIn->name : QString())));
}

void TRjForm::listCloses()
{
    const QList<store::DayCloseRecord> closes = store::dayCloses(ADOConnection1);
    TableWidget1->setRowCount(int(closes.size()));
    for (int row = 0; row < closes.size(); ++row) {
        const store::DayCloseRecord& close = closes.at(row);
        TableWidget1->setItem(row, NumberColumn, fixedItem(QString::number(close.number)));
        TableWidget1->setItem(row, StartColumn, fixedItem(close.start.isEmpty() ? QStringLiteral("（首次）") : close.start));
        TableWidget1->setItem(row, EndColumn, fixedItem(close.end));
        TableWidget1->setItem(row, SalesColumn, fixedItem(QString::number(close.sales)));
        TableWidget1->setItem(row, AmountColumn, fixedItem(sales::formatYuan(close.fen)));
    }
    if (!closes.isEmpty())
        TableWidget1->selectRow(0);
}

void TRjForm::SpeedButton1Click()
{
    if (!ui::message(this, QStringLiteral("确定要日结吗？日结后本营业日的报表不再改变，之后的销售计入下一营业日。"),
                     ui::MessageStyle::WarningOkCancel))
        return;
    shifts::ClosedDay closed;
    try {
        closed = shifts::closeBusinessDay(ADOConnection1, m_loggedIn ? *m_loggedIn : core::LoggedInUser{},
                                          QDateTime::currentDateTime(), m_slip);
    } catch (const core::Error& error) {
        ui::message(this, error.message(), ui::MessageStyle::Warning);
        return;
    }
    showOpenDay();
    listCloses();
    if (!closed.notice.isEmpty())
        ui::message(this, closed.notice, ui::MessageStyle::Warning);
    ui::message(this, QStringLiteral("日结完成，Z号 %1。").arg(closed.number), ui::MessageStyle::Plain);
}

void TRjForm::SpeedButton2Click()
{
    const int row = TableWidget1->currentRow();
    const QTableWidgetItem* number = row >= 0 ? TableWidget1->item(row, NumberColumn) : nullptr;
    if (!number) {
        ui::message(this, QStringLiteral("请先在“历次日结”中选中要重印的日结。"), ui::MessageStyle::Warning);
        return;
    }
    const QString notice = shifts::reprintDayClose(ADOConnection1, number->text().toLongLong(), m_slip);
    if (!notice.isEmpty())
        ui::message(this, notice, ui::MessageStyle::Warning);
}

void TRjForm::SpeedButton3Click()
{
    reject();
}
