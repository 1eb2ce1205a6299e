// A print run killed at any moment never leaves a sale without all its lines or payments, lines
// or payments without their sale, a half-emptied current sale, or per-day totals that differ from
// the history, and the file stays intact.
#include "support/DayTotalsCheck.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>
#include <csignal>
#include <functional>
#include <sys/types.h>

using testsupport::TestDatabase;

class TestPrintingCrash : public QObject
{
    Q_OBJECT

private slots:
    void killedPrintRunsLeaveWholeSales();
    void killedReturnsLeaveWholeReturns();

private:
    static QString violation(const TestDatabase& db);
    static QString returnViolation(const TestDatabase& db);
    // Starts the helper in the database's folder and kills it at a random instant, again and
    // again, asking after each kill what is wrong with the file ("" when nothing). Fails the test.
    static void killRepeatedly(const TestDatabase& db, const QString& helperName, int kills,
                               const std::function<QString(const TestDatabase&)>& check);
    static int killCount(int otherwise);
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
    if (const QString totals = testsupport::dayTotalsMismatch(db); !totals.isEmpty())
        return QStringLiteral("per-day totals differ from the history: ") + totals;
    return {};
}

void TestPrintingCrash::killRepeatedly(const TestDatabase& db, const QString& helperName, int kills,
                                       const std::function<QString(const TestDatabase&)>& check)
{
    const QString helper = QCoreApplication::applicationDirPath() + QLatin1Char('/') + helperName;
    QVERIFY2(QFile::exists(helper), qPrintable(helper));
    // A failure names its seed; QUORVEL_CRASH_SEED replays those kill times.
    const quint32 seed = qEnvironmentVariableIsSet("QUORVEL_CRASH_SEED")
                             ? static_cast<quint32>(qEnvironmentVariable("QUORVEL_CRASH_SEED").toUInt())
                             : QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
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
        const QString problem = check(db);
        QVERIFY2(problem.isEmpty(),
                 qPrintable(QStringLiteral("%1 after kill %2 (seed %3)").arg(problem).arg(i).arg(seed)));
    }
}

int TestPrintingCrash::killCount(int otherwise)
{
    return qEnvironmentVariableIntValue("QUORVEL_CRASH_KILLS") > 0 ? qEnvironmentVariableIntValue("QUORVEL_CRASH_KILLS")
                                                                   : otherwise;
}

void TestPrintingCrash::killedPrintRunsLeaveWholeSales()
{
    TestDatabase db;
    const int kills = killCount(200);
    killRepeatedly(db, QStringLiteral("helper_crashloop"), kills, violation);
    if (QTest::currentTestFailed())
        return;
    // The loop really printed: many sales reached the history.
    QVERIFY2(db.scalar("SELECT count(*) FROM xstj").toInt() > kills / 4,
             qPrintable(db.scalar("SELECT count(*) FROM xstj")));
}

// A return is its xstj entry, its lines and its refund: all of them or none, whenever it is killed.
QString TestPrintingCrash::returnViolation(const TestDatabase& db)
{
    if (db.scalar("PRAGMA integrity_check") != QLatin1String("ok"))
        return QStringLiteral("integrity_check failed");
    if (db.scalar("SELECT count(*) FROM xstj t WHERE 原单号 IS NULL AND "
                  "(SELECT count(*) FROM xsmx m WHERE m.单号 = t.单号 AND 原行 IS NULL) != 3") != "0")
        return QStringLiteral("a sale without all its lines");
    // Every line of the loop's returns refunds something, so a missing one changes the sums.
    if (db.scalar("SELECT count(*) FROM xstj t WHERE 原单号 IS NOT NULL AND NOT EXISTS (SELECT 1 FROM "
                  "(SELECT count(*) AS n, total(数量) AS q, total(折后) AS d FROM xsmx m WHERE m.单号 = t.单号 "
                  "AND m.原行 IS NOT NULL) WHERE n > 0 AND abs(q - t.数量) < 1e-9 AND abs(d - t.折后) < 0.005)") != "0")
        return QStringLiteral("a return without all its lines");
    if (db.scalar("SELECT count(*) FROM xstj t WHERE 原单号 IS NOT NULL AND (SELECT count(*) FROM xsfk f "
                  "WHERE f.单号 = t.单号 AND f.金额 = CAST(round(t.折后 * 100) AS INTEGER)) != 1") != "0")
        return QStringLiteral("a return without its refund");
    if (db.scalar("SELECT count(*) FROM xsmx m WHERE 原行 IS NOT NULL AND NOT EXISTS "
                  "(SELECT 1 FROM xstj t WHERE t.单号 = m.单号 AND t.原单号 IS NOT NULL)") != "0")
        return QStringLiteral("return lines without their return");
    if (db.scalar("SELECT count(*) FROM xsfk f WHERE NOT EXISTS (SELECT 1 FROM xstj t WHERE t.单号 = f.单号)") != "0")
        return QStringLiteral("a refund without its return");
    if (db.scalar("SELECT count(*) FROM xsmx s WHERE 原行 IS NULL AND "
                  "s.数量 + (SELECT total(数量) FROM xsmx m WHERE m.原行 = s.rowid) < -1e-9") != "0")
        return QStringLiteral("a line returned beyond what was sold");
    if (const QString totals = testsupport::dayTotalsMismatch(db); !totals.isEmpty())
        return QStringLiteral("per-day totals differ from the history: ") + totals;
    return {};
}

void TestPrintingCrash::killedReturnsLeaveWholeReturns()
{
    TestDatabase db;
    const int kills = killCount(100);
    killRepeatedly(db, QStringLiteral("helper_returnloop"), kills, returnViolation);
    if (QTest::currentTestFailed())
        return;
    // The loop really returned: many returns, and sales taken back whole.
    QVERIFY2(db.scalar("SELECT count(*) FROM xstj WHERE 原单号 IS NOT NULL").toInt() > kills / 2,
             qPrintable(db.scalar("SELECT count(*) FROM xstj WHERE 原单号 IS NOT NULL")));
    QVERIFY(db.scalar("SELECT count(*) FROM xstj t WHERE 原单号 IS NULL AND abs(折后 + (SELECT total(折后) FROM xstj r "
                      "WHERE r.原单号 = t.单号)) < 0.005").toInt() > 0);
}

QTEST_GUILESS_MAIN(TestPrintingCrash)
#include "test_printing_crash.moc"
