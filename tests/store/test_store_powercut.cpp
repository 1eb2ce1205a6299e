// A power cut at many points of print runs, of returns and of the day's copies: after each one the
// file is opened again and holds every sale whose print run returned and every return recorded,
// whole, intact, and 备份 holds no
// file that looks like a finished copy without being one. The same cuts with
// synchronous=NORMAL must lose sales, or the harness could not tell.
#include "store/Backup.h"
#include "support/PowerCutVfs.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::TestDatabase;

namespace {

struct RunResult
{
    int exitCode = -1;
    QStringList sold;
    QStringList returned; // "NUMBER OF_SALE"
    QStringList closed;   // Z numbers
    qint64 events = 0;
    QString output;
};

RunResult runHelper(const QString& folder, const QString& mode, qint64 cutAt, bool tear, quint32 seed,
                    const QString& sync)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/helper_powercut"),
                  {mode, QString::number(cutAt), tear ? "1" : "0", QString::number(seed), sync});
    process.waitForFinished(120000);
    RunResult result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromUtf8(process.readAllStandardOutput());
    for (const QString& line : result.output.split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith("sold "))
            result.sold << line.mid(5);
        if (line.startsWith("closed "))
            result.closed << line.mid(7);
        if (line.startsWith("returned "))
            result.returned << line.mid(9);
        if (line.startsWith("events "))
            result.events = line.mid(7).toLongLong();
    }
    return result;
}

// What a reopened file must hold; empty when it does.
QString returnsViolation(const QString& database, const QStringList& returned)
{
    for (const QString& entry : returned) {
        const QStringList numbers = entry.split(' ');
        const QString kept = TestDatabase::rowsOf(database, QString("SELECT 原单号 || ' ' || printf('%g', 数量) || ' ' || (SELECT "
                                                                    "count(*) FROM xsmx WHERE 单号 = '%1') || ' ' || "
                                                                    "(SELECT count(*) FROM xsfk WHERE 单号 = '%1') "
                                                                    "FROM xstj WHERE 单号 = '%1'")
                                                                .arg(numbers.value(0)))
                                 .join(';');
        if (kept != numbers.value(1) + " -1 1 1")
            return "return " + entry + " not kept whole: " + kept;
    }
    // A return is all of its rows or none: its line and refund go with its entry.
    if (TestDatabase::rowsOf(database, "SELECT count(*) FROM xstj t WHERE 原单号 IS NOT NULL AND ((SELECT count(*) "
                                       "FROM xsmx m WHERE m.单号 = t.单号) != 1 OR (SELECT count(*) FROM xsfk f "
                                       "WHERE f.单号 = t.单号) != 1)") != QStringList{"0"})
        return "a return without its line or refund";
    return {};
}

// Each reported close is kept whole: its report and the shift handed over just before it.
QString closesViolation(const QString& database, const QStringList& closed)
{
    for (const QString& number : closed) {
        // Four sales to a day: the helper closes after every fourth.
        if (TestDatabase::rowsOf(database, QString("SELECT count(*) FROM rj WHERE Z号 = %1 AND length(报表) > 0 AND "
                                                   "笔数 = 4").arg(number)) != QStringList{"1"})
            return "day close " + number + " not kept whole";
    }
    if (TestDatabase::rowsOf(database, "SELECT count(*) FROM jb WHERE 结束 IS NOT NULL").value(0).toInt() < closed.size())
        return "a close without its handover";
    return {};
}

QString violation(const QString& database, const QStringList& sold, const QStringList& returned,
                  const QStringList& closed)
{
    if (TestDatabase::rowsOf(database, "PRAGMA integrity_check") != QStringList{"ok"})
        return "integrity_check failed";
    const QStringList stored = TestDatabase::rowsOf(database, "SELECT 单号 FROM xstj");
    QStringList lost;
    for (const QString& number : sold)
        if (!stored.contains(number))
            lost << number;
    if (!lost.isEmpty())
        return "lost sales " + lost.join(',');
    if (TestDatabase::rowsOf(database, "SELECT count(*) FROM xstj t WHERE 原单号 IS NULL AND (SELECT count(*) "
                                       "FROM xsmx m WHERE m.单号 = t.单号) != 3") != QStringList{"0"})
        return "a sale without all its lines";
    if (TestDatabase::rowsOf(database, "SELECT count(*) FROM xsmx m WHERE NOT EXISTS (SELECT 1 FROM xstj t "
                                       "WHERE t.单号 = m.单号)") != QStringList{"0"})
        return "lines without their sale";
    const QString returns = returnsViolation(database, returned);
    return returns.isEmpty() ? closesViolation(database, closed) : returns;
}

QString copiesViolation(const QString& folder)
{
    for (const QString& copy : store::backup::allCopiesIn(folder)) {
        if (TestDatabase::rowsOf(copy, "PRAGMA integrity_check") != QStringList{"ok"})
            return "a finished-looking copy that is not intact: " + QFileInfo(copy).fileName();
        if (TestDatabase::rowsOf(copy, "SELECT count(*) FROM xstj").isEmpty())
            return "a finished-looking copy without the sales: " + QFileInfo(copy).fileName();
    }
    const QString recorded = store::backup::recordedCopyIn(folder);
    if (!recorded.isEmpty() && !QFileInfo::exists(recorded))
        return "the record names a copy that is not there";
    return {};
}

int cutCount(int fallback)
{
    const int asked = qEnvironmentVariableIntValue("QUORVEL_POWERCUT_CUTS");
    return asked > 0 ? asked : fallback;
}

} // namespace

class TestStorePowercut : public QObject
{
    Q_OBJECT

private slots:
    void cutsLoseNoReportedSale_data();
    void cutsLoseNoReportedSale();
    void controlWithNormalSyncLosesSales();

private:
    // Runs the helper once to count its writes and syncs, then cut at `cuts` points spread over
    // them; returns how many cuts found a violation and the first one's words.
    static int runCuts(const QString& mode, const QString& sync, int cuts, bool tearSome, qint64 from,
                       QString* first, int* sales = nullptr);
};

int TestStorePowercut::runCuts(const QString& mode, const QString& sync, int cuts, bool tearSome, qint64 from,
                               QString* first, int* sales)
{
    QTemporaryDir calibration;
    TestDatabase::createFromSchema(QDir(calibration.path()).filePath("data.mdb"));
    const RunResult whole = runHelper(calibration.path(), mode, 0, false, 0, sync);
    if (whole.exitCode != 0 || whole.events == 0) {
        *first = "the uncut run failed: " + whole.output;
        return cuts;
    }
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    int violations = 0;
    const qint64 start = qMax<qint64>(1, whole.events * from / 100);
    for (int i = 0; i < cuts; ++i) {
        const qint64 cutAt = start + (whole.events - start) * i / cuts + random.bounded(1, 4);
        const bool tear = tearSome && i % 2 == 1;
        QTemporaryDir run;
        const QString database = QDir(run.path()).filePath("data.mdb");
        TestDatabase::createFromSchema(database);
        const RunResult cut = runHelper(run.path(), mode, cutAt, tear, seed + i, sync);
        if (sales)
            *sales += int(cut.sold.size());
        QString problem;
        if (cut.exitCode != testsupport::powercut::CutExitCode && cut.exitCode != 0)
            problem = QString("the helper failed (exit %1): %2").arg(cut.exitCode).arg(cut.output);
        if (problem.isEmpty())
            problem = violation(database, cut.sold, cut.returned, cut.closed);
        if (problem.isEmpty())
            problem = copiesViolation(store::backup::folderFor(database));
        if (!problem.isEmpty()) {
            ++violations;
            if (first->isEmpty())
                *first = QString("%1 (cut at %2 of %3, tear %4, seed %5)")
                             .arg(problem)
                             .arg(cutAt)
                             .arg(whole.events)
                             .arg(tear)
                             .arg(seed + i);
        }
    }
    return violations;
}

void TestStorePowercut::cutsLoseNoReportedSale_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("cuts");
    QTest::newRow("print runs") << "print" << cutCount(16);
    QTest::newRow("print runs and the day's copies") << "backup" << cutCount(16);
    QTest::newRow("print runs and returns") << "return" << cutCount(12);
    QTest::newRow("print runs, handovers and day closes") << "close" << cutCount(12);
}

void TestStorePowercut::cutsLoseNoReportedSale()
{
    QFETCH(QString, mode);
    QFETCH(int, cuts);
    QString first;
    int sales = 0;
    const int violations = runCuts(mode, "FULL", cuts, true, 0, &first, &sales);
    QVERIFY2(violations == 0, qPrintable(QString("%1 of %2 cuts: %3").arg(violations).arg(cuts).arg(first)));
    // The cuts fell inside the work, not all before the first sale.
    QVERIFY2(sales > cuts, qPrintable(QString::number(sales)));
}

void TestStorePowercut::controlWithNormalSyncLosesSales()
{
    // Cut in the second half of the run, once sales have been reported.
    QString first;
    const int violations = runCuts("print", "NORMAL", cutCount(6), false, 50, &first);
    QVERIFY2(!first.startsWith("the "), qPrintable(first));
    QEXPECT_FAIL("", "with synchronous=NORMAL a committed sale is not yet on the disk when the power goes", Continue);
    QCOMPARE(violations, 0);
    QVERIFY2(first.contains("lost sales"), qPrintable(first));
}

QTEST_GUILESS_MAIN(TestStorePowercut)
#include "test_store_powercut.moc"
