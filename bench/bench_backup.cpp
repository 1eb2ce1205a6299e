// The day's copy beside the cashier, on data.mdb in the working directory: how long an exit
// right after a sale waits for a copy still running (exit_wait_ms_LABEL), one day's copies made
// in full (backup_daily_ms_LABEL), and the disk the retention keeps over 400 simulated days of a
// history that grows to this file's size (copies and GB, last day and peak).
#include "BenchSupport.h"
#include "shell/Backups.h"
#include "store/Backup.h"
#include "store/Connection.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <map>

using namespace store;

namespace {

void recordOneSale(Connection& connection)
{
    Transaction transaction(connection);
    const QString number = QDateTime::currentDateTime().toString(QStringLiteral("'9'yyyyMMddHHmmss"));
    connection.execute(QStringLiteral("INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) VALUES ('%1', "
                                      "'2026-12-09 10:00:00', 3, 31.88, 31.87, 'admin')")
                           .arg(number));
    for (int line = 1; line <= 3; ++line)
        connection.execute(QStringLiteral("INSERT INTO xsmx (单号, 品名, 数量) VALUES ('%1', '商品%2', 1)").arg(number).arg(line));
    transaction.commit();
}

// The retention's own choice over names, sizes growing by day: what lies in 备份 each evening.
void simulateFourHundredDays(const QString& label, qint64 finalBytes)
{
    constexpr int Days = 400;
    // The last 400 days of a ten-year history: it grows by a 3650th of its final size a day.
    const qint64 start = finalBytes - finalBytes * Days / 3650;
    std::map<QString, qint64> kept;
    qint64 peakBytes = 0;
    int peakCopies = 0;
    const QDate first(2025, 11, 5);
    for (int day = 0; day < Days; ++day) {
        const QDateTime at(first.addDays(day), QTime(8, 0));
        kept[backup::fileNameFor(at)] = start + (finalBytes - start) * day / (Days - 1);
        QStringList names;
        for (const auto& [name, bytes] : kept)
            names << name;
        for (const QString& gone : backup::beyondRetention(names))
            kept.erase(gone);
        qint64 total = 0;
        for (const auto& [name, bytes] : kept)
            total += bytes;
        peakBytes = std::max(peakBytes, total);
        peakCopies = std::max(peakCopies, int(kept.size()));
    }
    qint64 total = 0;
    for (const auto& [name, bytes] : kept)
        total += bytes;
    const double gb = 1024.0 * 1024 * 1024;
    bench::report(QStringLiteral("backup_copies_400d_%1").arg(label), double(kept.size()), "copies");
    bench::report(QStringLiteral("backup_copies_peak_400d_%1").arg(label), peakCopies, "copies");
    bench::report(QStringLiteral("backup_disk_gb_400d_%1").arg(label), double(total) / gb, "GB");
    bench::report(QStringLiteral("backup_disk_peak_gb_400d_%1").arg(label), double(peakBytes) / gb, "GB");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString label = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("here");
    const QString database = Connection::databasePath();
    const QString folder = backup::folderFor(database);
    QDir(folder).removeRecursively();

    {
        Connection connection(QStringLiteral("Bench"));
        connection.open();
        recordOneSale(connection);
        shell::BackupSchedule schedule;
        schedule.atStart();
        // The cashier closes the program a moment after the sale, the copy under way.
        QThread::msleep(200);
        QElapsedTimer exit;
        exit.start();
        schedule.atExit();
        bench::report(QStringLiteral("exit_wait_ms_%1").arg(label), exit.nsecsElapsed() / 1e6, "ms");
    }
    QDir(folder).removeRecursively();
    QElapsedTimer daily;
    daily.start();
    const backup::DailyResult result = backup::makeDailyCopies(database, QString(), QDateTime::currentDateTime());
    bench::report(QStringLiteral("backup_daily_ms_%1").arg(label), daily.nsecsElapsed() / 1e6, "ms");
    if (result.here.kind != backup::PlaceResult::Kind::Made)
        qWarning("the day's copy was not made: %s", qPrintable(result.here.detail));
    QDir(folder).removeRecursively();
    simulateFourHundredDays(label, QFileInfo(database).size());
    return 0;
}
