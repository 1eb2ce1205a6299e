#include "shell/Backups.h"

#include "core/Error.h"
#include "store/Backup.h"
#include "store/Connection.h"
#include "ui/Messages.h"

#include <QDateTime>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

namespace shell {

namespace {

// Never lets an error out: the caller has a shop to run.
QString backUpNow(const QString& databasePath)
{
    try {
        store::backup::makeBackup(databasePath, store::backup::folderFor(databasePath), QDateTime::currentDateTime());
        return {};
    } catch (const core::Error& error) {
        return error.message();
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    }
}

} // namespace

BackupSchedule::BackupSchedule(QWidget* owner) : m_owner(owner) {}

BackupSchedule::~BackupSchedule()
{
    if (m_running)
        m_running->wait();
}

void BackupSchedule::atStart()
{
    const QString database = store::Connection::databasePath();
    if (isRunning() || store::backup::hasBackupOf(store::backup::folderFor(database), QDate::currentDate()))
        return;
    m_running.reset(QThread::create([this, database] { m_runningFailure = backUpNow(database); }));
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
    const QString failure = m_runningFailure;
    m_runningFailure.clear();
    if (!failure.isEmpty())
        tellFailure(failure, QStringLiteral("已保存的销售数据没有受影响，程序照常运行。"));
    emit backupFinished(failure);
}

void BackupSchedule::atExit()
{
    // Copying and checking ten years of sales takes seconds: the closed program says what it is
    // still doing rather than seeming to hang.
    QProgressDialog notice(QStringLiteral("正在备份数据，请稍候……"), QString(), 0, 0);
    notice.setWindowTitle(QStringLiteral("备份"));
    notice.setCancelButton(nullptr);
    QTimer showLater;
    showLater.setSingleShot(true);
    connect(&showLater, &QTimer::timeout, &notice, &QProgressDialog::show);
    showLater.start(500);

    if (m_running) {
        // Handled here, not by the queued signal, which would delete the thread being waited for.
        m_running->disconnect(this);
        waitShowing(*m_running);
        startBackupEnded();
    }
    const QString database = store::Connection::databasePath();
    QString failure;
    const std::unique_ptr<QThread> job(QThread::create([&failure, database] { failure = backUpNow(database); }));
    job->start();
    waitShowing(*job);
    notice.hide();
    if (!failure.isEmpty())
        tellFailure(failure, QStringLiteral("已保存的销售数据没有受影响。"));
    emit backupFinished(failure);
}

void BackupSchedule::waitShowing(QThread& job)
{
    QEventLoop loop;
    connect(&job, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    // Asked after connecting: an end between the two still reaches the loop.
    while (!job.isFinished())
        loop.exec();
    job.wait();
}

void BackupSchedule::tellFailure(const QString& failure, const QString& consequence)
{
    // Once: a shop whose disk is full should not hear it at every backup of the day.
    if (m_told)
        return;
    m_told = true;
    ui::message(m_owner,
                QStringLiteral("自动备份没有完成：%1\n%2请检查磁盘空间和数据文件夹“备份”的写入权限。")
                    .arg(failure, consequence),
                ui::MessageStyle::Warning);
}

} // namespace shell
