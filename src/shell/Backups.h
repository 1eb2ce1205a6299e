#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QThread;
class QWidget;

namespace shell {

// When data.mdb is copied into 备份: at the first start of each day, in the background so the
// cashier can work meanwhile, and at each normal exit. A backup that fails is told once, in
// words; the program goes on either way.
class BackupSchedule : public QObject
{
    Q_OBJECT

public:
    explicit BackupSchedule(QWidget* owner = nullptr);
    ~BackupSchedule() override; // waits for a backup still running

    void atStart(); // nothing when today already has a backup
    void atExit();  // waits for the start's backup, then makes one more

    bool isRunning() const;
    void waitForRunning(); // for the start's backup to end, and its failure told

signals:
    void backupFinished(const QString& failure); // empty when the backup counts

private:
    void startBackupEnded();
    static void waitShowing(QThread& job); // the event loop runs meanwhile, so windows are drawn
    void tellFailure(const QString& failure, const QString& consequence);

    QPointer<QWidget> m_owner;
    std::unique_ptr<QThread> m_running;
    QString m_runningFailure; // written by the running backup, read once it has ended
    bool m_told = false;
};

} // namespace shell
