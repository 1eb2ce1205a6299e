#include "settings/RestoreUnit.h"

#include "store/Connection.h"
#include "core/Error.h"
#include "store/Restore.h"
#include "ui/Guard.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>

namespace {

QString sizeText(qint64 bytes)
{
    return bytes >= (1 << 20) ? QStringLiteral("%1 MB").arg(double(bytes) / (1 << 20), 0, 'f', 1)
                              : QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
}

QTableWidgetItem* cell(const QString& text, bool number = false)
{
    auto* item = new QTableWidgetItem(text);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

TRestoreForm::TRestoreForm(QWidget* parent) : ui::SkinnedWindow(parent)
{
    setupWindow(static_cast<Ui::TRestoreForm&>(*this), QStringLiteral("TRestoreForm"), QStringLiteral("恢复备份"),
                QSize(640, 380), ui::ControlBox | ui::Close);
    CopyGrid->setColumnCount(5);
    CopyGrid->setHorizontalHeaderLabels({QStringLiteral("位置"), QStringLiteral("备份时间"), QStringLiteral("大小"),
                                         QStringLiteral("销售笔数"), QStringLiteral("最后一笔销售")});
    CopyGrid->verticalHeader()->hide();
    CopyGrid->horizontalHeader()->setStretchLastSection(true);
    // Wide enough for a whole date and time in the grid's font: the time is what one chooses by.
    CopyGrid->setColumnWidth(0, 130);
    CopyGrid->setColumnWidth(1, 170);
    CopyGrid->setColumnWidth(2, 80);
    CopyGrid->setColumnWidth(3, 80);
    ui::connectGuarded(RestoreButton, &QPushButton::clicked, this, &TRestoreForm::RestoreButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    centreOnScreen();
}

void TRestoreForm::listCopies(const QStringList& folders)
{
    m_listed.clear();
    m_places.clear();
    for (int place = 0; place < folders.size(); ++place) {
        if (folders.at(place).isEmpty())
            continue;
        const QStringList copies = store::backup::allCopiesIn(folders.at(place));
        for (auto copy = copies.crbegin(); copy != copies.crend(); ++copy) {
            m_listed << store::backup::factsOf(*copy);
            m_places << (place == 0 ? QStringLiteral("本机“备份”") : QDir::toNativeSeparators(folders.at(place)));
        }
    }
    CopyGrid->setRowCount(int(m_listed.size()));
    for (int row = 0; row < m_listed.size(); ++row) {
        const store::backup::CopyFacts& facts = m_listed.at(row);
        CopyGrid->setItem(row, 0, cell(m_places.at(row)));
        CopyGrid->setItem(row, 1, cell(facts.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
        CopyGrid->setItem(row, 2, cell(sizeText(facts.bytes), true));
        CopyGrid->setItem(row, 3, cell(facts.sales < 0 ? QStringLiteral("无法读取") : QString::number(facts.sales), true));
        CopyGrid->setItem(row, 4, cell(facts.lastSale));
        CopyGrid->item(row, 0)->setToolTip(QDir::toNativeSeparators(facts.path));
    }
    if (!m_listed.isEmpty())
        selectCopy(0);
}

void TRestoreForm::selectCopy(int row)
{
    CopyGrid->selectRow(row);
}

void TRestoreForm::RestoreButtonClick()
{
    const int row = CopyGrid->currentRow();
    if (row < 0 || row >= m_listed.size()) {
        ui::message(this, QStringLiteral("请先选择要恢复的备份。"), ui::MessageStyle::Plain);
        return;
    }
    const store::backup::CopyFacts& facts = m_listed.at(row);
    if (!ui::message(this,
                     QStringLiteral("确定要恢复 %1 的备份？\n现在的数据会先保存为一份备份，然后软件用这个备份重新启动。")
                         .arg(facts.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))),
                     ui::MessageStyle::WarningOkCancel))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        m_staged = store::restore::prepare(facts.path, store::Connection::databasePath());
    } catch (const core::Error& error) {
        QApplication::restoreOverrideCursor();
        ui::message(this, error.message(), ui::MessageStyle::Error);
        return;
    }
    QApplication::restoreOverrideCursor();
    accept();
}
