// Faults of the store met while the program runs: the file locked by another program, the disk
// full, the file deleted or replaced. Each time the cashier is told why, the program goes on,
// nothing of the history is half-written, and the sale being entered is kept.

#include "shell/MainUnit.h"
#include "support/Controls.h"
#include "support/FileSizeLimit.h"
#include "support/PrintCapture.h"
#include "support/ShellFixture.h"
#include "ui/Guard.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QToolButton>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

using testsupport::control;
using testsupport::ShellFixture;

namespace {

// Another program (the sqlite3 command) holding a write transaction on the file.
class WriteLockHolder
{
public:
    explicit WriteLockHolder(const QString& path)
    {
        m_process.start(QStringLiteral("sqlite3"), {path});
        if (!m_process.waitForStarted())
            return;
        m_process.write("BEGIN IMMEDIATE;\nSELECT 'held';\n");
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
        }
        m_held = m_process.readLine().trimmed() == "held";
    }
    ~WriteLockHolder()
    {
        m_process.write("ROLLBACK;\n.quit\n");
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }
    bool held() const { return m_held; }

private:
    QProcess m_process;
    bool m_held = false;
};

void enterLine(TMainForm& main, const QString& name, const QString& price, const QString& quantity)
{
    control<QComboBox>(main, "ComboBox1")->setEditText(name);
    control<QLineEdit>(main, "Edit3")->setText(price);
    control<QLineEdit>(main, "Edit4")->setText(quantity);
    control<QComboBox>(main, "ComboBox2")->setEditText(QStringLiteral("10"));
    main.Edit3KeyUp();
    control<QToolButton>(main, "SpeedButton2")->click();
}

QStringList errorReports(const ShellFixture& shell)
{
    QStringList texts;
    for (const ui::RecordedMessage& message : shell.messages.messages())
        if (message.isErrorReport)
            texts << message.text;
    return texts;
}

// What a failed action must leave: the history as before and the sale being entered whole.
void verifyNothingHalfWritten(const ShellFixture& shell, const QString& history, const QString& saleLines)
{
    QCOMPARE(shell.db.scalar("PRAGMA integrity_check"), QString("ok"));
    QCOMPARE(shell.db.scalar("SELECT count(*) || '/' || (SELECT count(*) FROM xsmx) FROM xstj"), history);
    QCOMPARE(shell.db.rows("SELECT 品名 || ':' || 数量 FROM xsxx").join(','), saleLines);
}

} // namespace

class TestShellFaults : public QObject
{
    Q_OBJECT

private slots:
    void lockedFileRefusesAfterTheBusyTimeout();
    void fullDiskKeepsTheSale();
    void deletedFileIsNotWrittenBehindTheCashiersBack();
    void fileReplacedWhileRunning_data();
    void fileReplacedWhileRunning();
};

void TestShellFaults::lockedFileRefusesAfterTheBusyTimeout()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    printing::PrintCapture capture;
    enterLine(main, QStringLiteral("苹果"), QStringLiteral("12.5"), QStringLiteral("2"));
    QVERIFY(errorReports(shell).isEmpty());
    {
        WriteLockHolder other(shell.db.path());
        QVERIFY(other.held());

        QElapsedTimer waited;
        waited.start();
        control<QToolButton>(main, "SpeedButton6")->click();
        QVERIFY2(waited.elapsed() >= 2000, "gave up before the busy timeout");
        QCOMPARE(errorReports(shell).size(), 1);
        QVERIFY2(errorReports(shell).first().contains("占用"), qPrintable(errorReports(shell).first()));
        QVERIFY(capture.jobs().isEmpty()); // no receipt for a sale that could not be recorded
        QCOMPARE(control<QLabel>(main, "Label15")->text(), QString("25"));

        enterLine(main, QStringLiteral("大米"), QStringLiteral("3"), QStringLiteral("1"));
        QCOMPARE(errorReports(shell).size(), 2);
        QVERIFY(main.isVisible());
    }
    verifyNothingHalfWritten(shell, "0/0", "苹果:2.0");
    QCOMPARE(shell.db.rows("SELECT 品名 FROM spxx"), QStringList({"苹果"}));

    // Once the other program lets go, the same sale prints and is recorded.
    shell.messages.clear();
    control<QToolButton>(main, "SpeedButton6")->click();
    QVERIFY2(errorReports(shell).isEmpty(), qPrintable(errorReports(shell).join('\n')));
    QCOMPARE(capture.jobs().size(), 1);
    verifyNothingHalfWritten(shell, "1/1", "");
}

void TestShellFaults::fullDiskKeepsTheSale()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    printing::PrintCapture capture;
    enterLine(main, QStringLiteral("苹果"), QStringLiteral("12.5"), QStringLiteral("2"));
    enterLine(main, QStringLiteral("大米"), QStringLiteral("3"), QStringLiteral("1"));
    control<QToolButton>(main, "SpeedButton6")->click();
    QVERIFY(errorReports(shell).isEmpty());
    enterLine(main, QStringLiteral("牛奶"), QStringLiteral("4.5"), QStringLiteral("3"));

    {
        // Room for a few bytes more in the journal the next write goes to, not for a page.
        const qint64 journal = QFileInfo(shell.db.path() + QStringLiteral("-wal")).size();
        QVERIFY(journal > 0);
        testsupport::FileSizeLimit full(static_cast<rlim_t>(journal + 100));
        control<QToolButton>(main, "SpeedButton6")->click();
        QCOMPARE(errorReports(shell).size(), 1);
        // The receipt came out before the history refused the sale: the cashier must hear that.
        QCOMPARE(capture.jobs().size(), 2);
        QVERIFY2(errorReports(shell).first().contains("磁盘"), qPrintable(errorReports(shell).first()));
        QVERIFY2(errorReports(shell).first().contains("没有记入销售记录"), qPrintable(errorReports(shell).first()));
        enterLine(main, QStringLiteral("面包"), QStringLiteral("6"), QStringLiteral("1"));
        QCOMPARE(errorReports(shell).size(), 2);
    }
    verifyNothingHalfWritten(shell, "1/2", "牛奶:3.0");
    QCOMPARE(main.ADOQuery2.recordCount(), 1);

    shell.messages.clear();
    control<QToolButton>(main, "SpeedButton6")->click();
    QVERIFY2(errorReports(shell).isEmpty(), qPrintable(errorReports(shell).join('\n')));
    verifyNothingHalfWritten(shell, "2/3", "");
}

void TestShellFaults::deletedFileIsNotWrittenBehindTheCashiersBack()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    printing::PrintCapture capture;
    enterLine(main, QStringLiteral("苹果"), QStringLiteral("12.5"), QStringLiteral("2"));
    QVERIFY(QFile::remove(shell.db.path()));

    control<QToolButton>(main, "SpeedButton6")->click();
    QCOMPARE(errorReports(shell).size(), 1);
    QVERIFY2(errorReports(shell).first().contains(QDir::toNativeSeparators(shell.db.path())),
             qPrintable(errorReports(shell).first()));
    QVERIFY(capture.jobs().isEmpty());
    QVERIFY(!QFile::exists(shell.db.path())); // nor made anew

    // Settings and lines are refused too, each with the reason; the program stays up.
    control<QComboBox>(main, "ComboBox3")->setEditText(QStringLiteral("2"));
    ui::runGuarded(&main, [&] { main.ComboBox3Change(); });
    enterLine(main, QStringLiteral("大米"), QStringLiteral("3"), QStringLiteral("1"));
    QCOMPARE(errorReports(shell).size(), 3);
    QVERIFY(!QFile::exists(shell.db.path()));
    QVERIFY(main.isVisible());
}

void TestShellFaults::fileReplacedWhileRunning_data()
{
    QTest::addColumn<bool>("inPlace");
    QTest::newRow("another file moved over it") << false;
    QTest::newRow("overwritten in place") << true;
}

void TestShellFaults::fileReplacedWhileRunning()
{
    QFETCH(bool, inPlace);
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    printing::PrintCapture capture;
    enterLine(main, QStringLiteral("苹果"), QStringLiteral("12.5"), QStringLiteral("2"));
    const QByteArray garbage = QByteArray("This is a note, not a database.\n").repeated(500);
    if (inPlace) {
        QFile file(shell.db.path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(garbage);
    } else {
        const QString other = shell.db.path() + QStringLiteral(".new");
        QFile file(other);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(garbage);
        file.close();
        QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(shell.db.path()).constData()) == 0);
    }

    control<QToolButton>(main, "SpeedButton6")->click();
    QCOMPARE(errorReports(shell).size(), 1);
    QVERIFY(capture.jobs().isEmpty());
    enterLine(main, QStringLiteral("大米"), QStringLiteral("3"), QStringLiteral("1"));
    QCOMPARE(errorReports(shell).size(), 2);
    QVERIFY(main.isVisible());

    // Whatever now lies there is left as it was found.
    QFile file(shell.db.path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), garbage);
}

QTEST_MAIN(TestShellFaults)
#include "test_shell_faults.moc"
