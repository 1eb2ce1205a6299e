// A print run killed at any moment never leaves a sale without all its lines or payments, lines
// or payments without their sale, or a half-emptied current sale, and the file stays intact.
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>
#include <csignal>
#include <sys/types.h>

using testsupport::TestDatabase;

class TestPrintingCrash : public QObject
{
    Q_OBJECT

private slots:
    void killedPrintRunsLeaveWholeSales();

private:
    static QString violation(const TestDatabase& db);
};

QString TestPrintingCrash::violation(const TestDatabase& db)
{
    if (db.scalar("PRAGMA integrity_check") != QLatin1String("ok"))
        return QStringLiteral("integrity_check failed");
    if (db.scalar("SELECT count(*) FROM xstj t WHERE (SELECT count(*) FROM xsmx m WHERE m.单号 = t.单号) != 3") != "0")
        return QStringLiteral("a sale without all its lines");
    if (db.scalar("SELECT count(*) FROM xsmx m WHERE NOT EXISTS (SELECT 1 FROM xstj t WHERE t.单号 = m.单号)") != "0")
        return QStringLiteral("lines without their sale");
    // Each sale of the loop is paid 75.00, in one payment or two.
    if (db.scalar("SELECT count(*) FROM xstj t WHERE (SELECT coalesce(sum(金额), 0) FROM xsfk f "
                  "WHERE f.单号 = t.单号) != 7500") != "0")
        return QStringLiteral("a sale without all its payments");
    if (db.scalar("SELECT count(*) FROM xsfk f WHERE NOT EXISTS (SELECT 1 FROM xstj t WHERE t.单号 = f.单号)") != "0")
        return QStringLiteral("payments without their sale");
    if (db.scalar("SELECT count(DISTINCT 单号) > 1 OR count(*) > 3 FROM xsxx") != "0")
        return QStringLiteral("the current sale holds more than one sale");
    if (db.scalar("SELECT count(*) FROM xsxx WHERE 单号 IN (SELECT 单号 FROM xstj)") != "0")
        return QStringLiteral("a recorded sale is still half in the current sale");
    return {};
}

void TestPrintingCrash::killedPrintRunsLeaveWholeSales()
{
    TestDatabase db;
    const QString helper = QCoreApplication::applicationDirPath() + QStringLiteral("/helper_crashloop");
    QVERIFY2(QFile::exists(helper), qPrintable(helper));
    // A failure names its seed; QUORVEL_CRASH_SEED replays those kill times.
    const quint32 seed = qEnvironmentVariableIsSet("QUORVEL_CRASH_SEED")
                             ? static_cast<quint32>(qEnvironmentVariable("QUORVEL_CRASH_SEED").toUInt())
                             : QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    const int kills = qEnvironmentVariableIntValue("QUORVEL_CRASH_KILLS") > 0
                          ? qEnvironmentVariableIntValue("QUORVEL_CRASH_KILLS")
                          : 200;
    for (int i = 0; i < kills; ++i) {
        QProcess process;
        process.setWorkingDirectory(db.folder());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(helper, {});
        QVERIFY2(process.waitForStarted(), "the helper did not start");
        // Timed from the end of start-up, which a loaded machine stretches: long enough for a few
        // runs, and the kill lands anywhere inside them.
        QVERIFY2(process.waitForReadyRead(60000), "the helper did not get through its start-up");
        QTest::qWait(static_cast<int>(random.bounded(0, 750)));
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        process.waitForFinished();
        const QString problem = violation(db);
        QVERIFY2(problem.isEmpty(),
                 qPrintable(QStringLiteral("%1 after kill %2 (seed %3)").arg(problem).arg(i).arg(seed)));
    }
    // The loop really printed: many sales reached the history.
    QVERIFY2(db.scalar("SELECT count(*) FROM xstj").toInt() > kills / 4,
             qPrintable(db.scalar("SELECT count(*) FROM xstj")));
}

QTEST_GUILESS_MAIN(TestPrintingCrash)
#include "test_printing_crash.moc"
