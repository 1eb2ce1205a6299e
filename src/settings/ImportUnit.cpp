#include "settings/ImportUnit.h"

#include "legacy/LegacyFile.h"
#include "store/Backup.h"
#include "core/Error.h"
#include "ui/Guard.h"
#include "ui/Messages.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>

namespace {

// Long enough for the import to move, short enough for the window to answer between slices.
constexpr std::chrono::milliseconds SliceTime(40);

QString tableCaption(const QString& table)
{
    static const QHash<QString, QString> captions = {
        {QStringLiteral("spxx"), QStringLiteral("商品")},          {QStringLiteral("xsxx"), QStringLiteral("未打印的销售明细（不导入）")},
        {QStringLiteral("dynr"), QStringLiteral("打印内容")},      {QStringLiteral("xstj"), QStringLiteral("销售")},
        {QStringLiteral("xsmx"), QStringLiteral("销售明细")},      {QStringLiteral("id"), QStringLiteral("打印设置")},
        {QStringLiteral("username"), QStringLiteral("用户")},
    };
    return captions.value(table, table);
}

QString previewText(const legacy::LegacyPreview& preview)
{
    QStringList lines;
    lines << QStringLiteral("店名：%1").arg(preview.shopName);
    lines << (preview.firstSale.isEmpty()
                  ? QStringLiteral("销售日期：没有销售")
                  : QStringLiteral("销售日期：%1 至 %2").arg(preview.firstSale, preview.lastSale));
    for (const auto& [table, rows] : preview.counts)
        lines << QStringLiteral("%1（%2）：%3 行").arg(tableCaption(table), table).arg(rows);
    return lines.join(QLatin1Char('\n'));
}

// A box the shop still has as delivered is taken without asking: ticked, and not to be unticked.
void offer(QCheckBox* box, bool delivered)
{
    box->setChecked(delivered);
    box->setEnabled(!delivered);
}

} // namespace

TImportForm::TImportForm(QWidget* parent) : ui::SkinnedWindow(parent), ADOConnection1(QStringLiteral("TImportForm"))
{
    setupWindow(static_cast<Ui::TImportForm&>(*this), QStringLiteral("TImportForm"), QStringLiteral("导入旧数据"),
                QSize(460, 380), ui::ControlBox | ui::Close);
    ui::connectGuarded(ImportButton, &QPushButton::clicked, this, &TImportForm::ImportButtonClick);
    ui::connectGuarded(CancelButton, &QPushButton::clicked, this, &TImportForm::CancelButtonClick);
    m_slices.setInterval(0);
    ui::connectGuarded(&m_slices, &QTimer::timeout, this, &TImportForm::importNextSlice);
    centreOnScreen();
}

TImportForm::~TImportForm()
{
    m_slices.stop();
    m_import.reset();
}

bool TImportForm::showPreviewOf(const QString& path)
{
    try {
        auto file = std::make_unique<legacy::LegacyFile>(path);
        ADOConnection1.open();
        const legacy::LegacyPreview preview = legacy::previewOf(*file, ADOConnection1);
        m_file = std::move(file);
        FileLabel->setText(QStringLiteral("旧数据文件：%1").arg(QDir::toNativeSeparators(path)));
        PreviewText->setPlainText(previewText(preview));
        offer(PrintContentBox, preview.printContentIsDelivered);
        offer(PrintSettingsBox, preview.printSettingsAreDelivered);
        ProgressBar->setValue(0);
        ImportButton->setEnabled(true);
        return true;
    } catch (const store::Error& error) {
        ui::message(parentWidget(), error.message(), ui::MessageStyle::Error);
        return false;
    }
}

void TImportForm::makeCopyBeforeImport()
{
    store::backup::makeKeptCopy(store::Connection::databasePath(), QStringLiteral("import"),
                                QDateTime::currentDateTime());
}

void TImportForm::ImportButtonClick()
{
    if (!m_file || m_import)
        return;
    ImportButton->setEnabled(false);
    PrintContentBox->setEnabled(false);
    PrintSettingsBox->setEnabled(false);
    try {
        makeCopyBeforeImport();
        m_import = std::make_unique<legacy::LegacyImport>(
            *m_file, ADOConnection1,
            legacy::ImportChoices{PrintContentBox->isChecked(), PrintSettingsBox->isChecked()});
    } catch (...) {
        m_import.reset();
        ImportButton->setEnabled(true);
        throw;
    }
    m_slices.start();
}

void TImportForm::importNextSlice()
{
    bool more = false;
    try {
        more = m_import->step(SliceTime);
    } catch (...) {
        dropImport();
        throw;
    }
    const qint64 total = std::max<qint64>(1, m_import->total());
    ProgressBar->setValue(static_cast<int>(m_import->done() * ProgressBar->maximum() / total));
    if (!more)
        finishImport();
}

void TImportForm::finishImport()
{
    m_slices.stop();
    legacy::ImportCounts counts;
    try {
        counts = m_import->commit();
    } catch (...) {
        dropImport();
        throw;
    }
    m_import.reset();
    ProgressBar->setValue(ProgressBar->maximum());
    emit imported(counts);
    ui::message(this, legacy::describe(counts), ui::MessageStyle::Plain);
    accept();
}

void TImportForm::dropImport()
{
    m_slices.stop();
    m_import.reset();
    ProgressBar->setValue(0);
}

void TImportForm::CancelButtonClick()
{
    reject();
}

void TImportForm::reject()
{
    if (m_import) {
        dropImport();
        ui::message(this, QStringLiteral("已取消导入，没有导入任何数据。"), ui::MessageStyle::Plain);
    }
    ui::SkinnedWindow::reject();
}

void TImportForm::closeEvent(QCloseEvent* event)
{
    if (m_import) {
        event->ignore();
        reject();
        return;
    }
    ui::SkinnedWindow::closeEvent(event);
}
