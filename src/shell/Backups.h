#pragma once

#include "store/Backup.h"
#include "store/BackupSettings.h"
#include "store/Connection.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QThread;
class QWidget;

namespace shell {

// When data.mdb is copied: at the first start of each day, in the background so the cashier can
// work meanwhile, into 备份 and into the second place chosen in 设置 → 数据. An exit never waits
// for it: an unfinished copy is abandoned, its .part removed, and the next start makes it. What
// went wrong is told in words, a full disk or a missing second place once a day; the program goes
// on either way.
class BackupSchedule : public QObject
{
    Q_OBJECT

public:
    explicit BackupSchedule(QWidget* owner = nullptr);
    ~BackupSchedule() override; // abandons a copy still running

    void atStart(); // nothing when both places are up to date
    void atExit();  // abandons a running copy; returns at once

    bool isRunning() const;
    void waitForRunning(); // for the start's copies to end, and what went wrong told

signals:
    // Empty when the copy in 备份 counts or none was needed; else what was told or not told.
    void backupFinished(const QString& failure);

private:
    void startBackupEnded();
    void tellOutcome(const store::backup::DailyResult& result);
    void tellFailure(const QString& failure);
    void tellOnceToday(store::BackupSettings::Trouble trouble, const QString& text);
    QString secondFolder();

    QPointer<QWidget> m_owner;
    store::Connection m_connection{QStringLiteral("Backups")};
    std::unique_ptr<QThread> m_running;
    store::backup::Abandon m_abandon;
    store::backup::DailyResult m_result; // written by the running copy, read once it has ended
    bool m_told = false;
};

} // namespace shell
