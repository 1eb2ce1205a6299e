#include "shell/Backups.h"

#include "store/BackupSettings.h"
#include "core/Error.h"
#include "ui/Messages.h"

#include <QDateTime>
#include <QThread>
#include <QWidget>

namespace shell {

namespace {

using Kind = store::backup::PlaceResult::Kind;
using Trouble = store::BackupSettings::Trouble;

} // namespace

BackupSchedule::BackupSchedule(QWidget* owner) : m_owner(owner) {}

BackupSchedule::~BackupSchedule()
{
    if (m_running) {
        m_abandon.request();
        m_running->wait();
    }
}

QString BackupSchedule::secondFolder()
{
    try {
        return store::BackupSettings(m_connection).secondFolder();
    } catch (const core::Error&) {
        return {}; // the main copy is still made; the settings window shows what is wrong
    }
}

void BackupSchedule::atStart()
{
    if (isRunning())
        return;
    const QString database = store::Connection::databasePath();
    const QString second = secondFolder();
    const QDateTime now = QDateTime::currentDateTime();
    if (!store::backup::dailyCopiesNeeded(database, second, now.date()))
        return;
    m_running.reset(QThread::create(
        [this, database, second, now] { m_result = store::backup::makeDailyCopies(database, second, now, &m_abandon); }));
    connect(m_running.get(), &QThread::finished, this, &BackupSchedule::startBackupEnded, Qt::QueuedConnection);
    m_running->start(QThread::LowPriority);
}

bool BackupSchedule::isRunning() const
{
    return m_running && !m_running->isFinished();
}

void BackupSchedule::waitForRunning()
{
    if (!m_running)
        return;
    m_running->wait();
    startBackupEnded();
}

void BackupSchedule::startBackupEnded()
{
    // Reached from the queued signal and from waitForRunning(), whichever comes first.
    if (!m_running || !m_running->isFinished())
        return;
    m_running.reset();
    const store::backup::DailyResult result = m_result;
    m_result = {};
    tellOutcome(result);
    const bool counts = result.here.kind == Kind::Made || result.here.kind == Kind::UpToDate;
    emit backupFinished(counts ? QString() : result.here.detail);
}

void BackupSchedule::atExit()
{
    if (!m_running)
        return;
    // The copy stops at its next step of pages; an exit never keeps the cashier waiting for it.
    m_running->disconnect(this);
    m_abandon.request();
    m_running->wait();
    m_running.reset();
    m_result = {};
}

void BackupSchedule::tellOutcome(const store::backup::DailyResult& result)
{
    switch (result.here.kind) {
    case Kind::Failed:
        tellFailure(result.here.detail);
        break;
    case Kind::NoRoom:
        tellOnceToday(Trouble::NoRoomHere,
                      QStringLiteral("今天没有做自动备份：%1。\n已保存的销售数据没有受影响，程序照常运行。请清理磁盘。")
                          .arg(result.here.detail));
        break;
    default:
        break;
    }
    switch (result.second.kind) {
    case Kind::Missing:
        tellOnceToday(Trouble::SecondPlace,
                      QStringLiteral("%1（U盘没有插好，或者网络共享没有连接）。\n今天的备份只保存在本机的“备份”文件夹里。")
                          .arg(result.second.detail));
        break;
    case Kind::NoRoom:
    case Kind::Failed:
        tellOnceToday(Trouble::SecondPlace,
                      QStringLiteral("备份没有复制到第二位置：%1。\n本机的“备份”文件夹不受影响。").arg(result.second.detail));
        break;
    default:
        break;
    }
}

void BackupSchedule::tellFailure(const QString& failure)
{
    // Once: a shop whose disk is full should not hear it at every backup.
    if (m_told)
        return;
    m_told = true;
    ui::message(m_owner,
                QStringLiteral("自动备份没有完成：%1\n已保存的销售数据没有受影响，程序照常运行。"
                               "请检查磁盘空间和数据文件夹“备份”的写入权限。")
                    .arg(failure),
                ui::MessageStyle::Warning);
}

void BackupSchedule::tellOnceToday(Trouble trouble, const QString& text)
{
    const QDate today = QDate::currentDate();
    store::BackupSettings settings(m_connection);
    try {
        if (settings.toldOn(trouble, today))
            return;
        settings.setToldOn(trouble, today);
    } catch (const core::Error&) {
        // Told anyway: the day is then told again at the next start, which is better than never.
    }
    ui::message(m_owner, text, ui::MessageStyle::Warning);
}

} // namespace shell
