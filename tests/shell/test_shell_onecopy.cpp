// The built program started twice on one data.mdb: the second copy ends before it touches the
// first one's open sale; a first copy killed outright does not keep the next start out.

#include "support/TestDatabase.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Program = QStringLiteral(QUORVEL_BINARY_DIR "/quorvel");

// One data home: the working folder and the per-user data folder are the same place, so the
// copies meet on one data.mdb wherever the program looks for it.
class Shop
{
public:
    Shop() : m_folder(m_home.filePath("quorvel"))
    {
        QDir().mkpath(m_folder);
        testsupport::TestDatabase::createFromSchema(path());
    }

    QString path() const { return m_folder + "/data.mdb"; }

    void start(QProcess& program) const
    {
        program.setWorkingDirectory(m_folder);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HOME", m_home.path());
        environment.insert("XDG_DATA_HOME", m_home.path());
        program.setProcessEnvironment(environment);
        program.start(Program, {});
    }

    QStringList openSale() const { return rows("SELECT ID, 品名, 折后 FROM xsxx ORDER BY ID"); }

    void putOpenSale() const
    {
        exec("INSERT INTO xsxx (单号, 品名, 单价, 数量, 金额, 折后) VALUES "
             "('20261209100000', '苹果', 12.5, 2, 25, 25), ('20261209100000', '梨', 19, 1, 19, 19)");
    }

    QStringList rows(const QString& sql) const
    {
        QStringList result;
        QProcess sqlite;
        sqlite.start("sqlite3", {path(), sql});
        if (sqlite.waitForFinished(10000))
            result = QString::fromUtf8(sqlite.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        return result;
    }

    void exec(const QString& sql) const { rows(sql); }

private:
    QTemporaryDir m_home;
    QString m_folder;
};

// The login window empties the open sale as it opens: once xsxx is empty, the copy runs.
bool reachesTheLogin(const Shop& shop, QProcess& program)
{
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
        if (program.state() == QProcess::NotRunning)
            return false;
        if (shop.openSale().isEmpty())
            return true;
        program.waitForFinished(100);
    }
    return false;
}

void stop(QProcess& program)
{
    if (program.state() == QProcess::NotRunning)
        return;
    program.kill();
    program.waitForFinished(10000);
}

} // namespace

class TestShellOneCopy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void secondCopyLeavesTheSaleAlone();
    void killedCopyDoesNotBlock();
    void otherDataFileIsNoSecondCopy();
};

void TestShellOneCopy::initTestCase()
{
    QVERIFY2(QFile::exists(Program), qPrintable(Program + QStringLiteral(" is not built")));
}

void TestShellOneCopy::secondCopyLeavesTheSaleAlone()
{
    Shop shop;
    shop.putOpenSale();
    QProcess first;
    shop.start(first);
    QVERIFY(reachesTheLogin(shop, first));
    // The first copy's cashier enters a sale.
    shop.putOpenSale();
    const QStringList sale = shop.openSale();
    QCOMPARE(sale.size(), 2);

    QProcess second;
    shop.start(second);
    QVERIFY(second.waitForFinished(60000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QVERIFY(second.exitCode() != 0);
    const QString said = QString::fromUtf8(second.readAllStandardError());
    QVERIFY2(said.contains(QStringLiteral("本程序已经在运行")), qPrintable(said));
    QVERIFY2(said.contains(shop.path()), qPrintable(said));
    QCOMPARE(shop.openSale(), sale);
    QCOMPARE(first.state(), QProcess::Running);
    stop(first);
}

void TestShellOneCopy::killedCopyDoesNotBlock()
{
    Shop shop;
    shop.putOpenSale();
    QProcess first;
    shop.start(first);
    QVERIFY(reachesTheLogin(shop, first));
    first.kill(); // SIGKILL: no exit code of ours runs
    QVERIFY(first.waitForFinished(10000));

    shop.putOpenSale();
    QProcess next;
    shop.start(next);
    QVERIFY2(reachesTheLogin(shop, next), qPrintable(QString::fromUtf8(next.readAllStandardError())));
    stop(next);
}

void TestShellOneCopy::otherDataFileIsNoSecondCopy()
{
    Shop shop;
    Shop otherShop;
    shop.putOpenSale();
    otherShop.putOpenSale();
    QProcess first;
    shop.start(first);
    QVERIFY(reachesTheLogin(shop, first));
    QProcess other;
    otherShop.start(other);
    QVERIFY2(reachesTheLogin(otherShop, other), qPrintable(QString::fromUtf8(other.readAllStandardError())));
    stop(other);
    stop(first);
}

QTEST_GUILESS_MAIN(TestShellOneCopy)
#include "test_shell_onecopy.moc"
