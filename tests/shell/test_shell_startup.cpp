// The built program started on a data.mdb it cannot use: it says so, naming the file and the
// reason, ends at once with a failure code and leaves the file as it was.

#include "support/TestDatabase.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <grp.h>
#include <unistd.h>

namespace {

const QString Program = QStringLiteral(QUORVEL_BINARY_DIR "/quorvel");

QByteArray digestOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Root may write any file, so a read-only file only shows as such to an ordinary user: the
// program is started as "nobody" when the tests run as root.
void startAsOrdinaryUser(QProcess& program)
{
    program.setChildProcessModifier([] {
        if (::geteuid() != 0)
            return;
        const gid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(99);
    });
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestShellStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void unusableDatabaseEndsTheStart_data();
    void unusableDatabaseEndsTheStart();
};

void TestShellStartup::initTestCase()
{
    QVERIFY2(QFile::exists(Program), qPrintable(Program + QStringLiteral(" is not built")));
}

void TestShellStartup::unusableDatabaseEndsTheStart_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "missing"
                             << "找不到";
    QTest::newRow("not a database") << "garbage"
                                    << "";
    QTest::newRow("a column missing") << "column"
                                      << "xsxx 的列 备注";
    QTest::newRow("a table missing") << "table"
                                     << "表 dynr";
    QTest::newRow("locked by another program") << "locked"
                                               << "";
    QTest::newRow("from a newer version") << "future"
                                          << "更新版本";
    QTest::newRow("read-only") << "readonly"
                               << "只读";
}

void TestShellStartup::unusableDatabaseEndsTheStart()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    const QString path = folder.filePath("data.mdb");
    if (kind == "garbage")
        write(path, QByteArray("This is a note, not a database.\n").repeated(200));
    if (kind == "column" || kind == "table" || kind == "locked" || kind == "future" || kind == "readonly")
        testsupport::TestDatabase::createFromSchema(path);

    std::unique_ptr<QSqlDatabase> holder;
    const QString holderName = QStringLiteral("holder");
    if (kind == "column" || kind == "table" || kind == "future") {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", holderName);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        const char* change = kind == "column"  ? "ALTER TABLE xsxx DROP COLUMN 备注"
                             : kind == "table" ? "DROP TABLE dynr"
                                               : "PRAGMA user_version = 2";
        QVERIFY(query.exec(change));
        query.finish();
        db.close();
    }
    if (kind == "readonly") {
        // The folder stays open to all, as a shop's would be; only the file is protected.
        QVERIFY(QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                         QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                         QFileDevice::WriteOther | QFileDevice::ExeOther));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadOther));
    }
    if (kind == "locked") {
        holder = std::make_unique<QSqlDatabase>(QSqlDatabase::addDatabase("QSQLITE", holderName));
        holder->setDatabaseName(path);
        QVERIFY(holder->open());
        QSqlQuery(*holder).exec("PRAGMA journal_mode = WAL");
        QVERIFY(QSqlQuery(*holder).exec("BEGIN IMMEDIATE"));
    }
    const QByteArray before = digestOf(path);

    QProcess program;
    program.setWorkingDirectory(folder.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("HOME", folder.path()); // any desktop entry would land here, not in ours
    program.setProcessEnvironment(environment);
    if (kind == "readonly")
        startAsOrdinaryUser(program);
    program.start(Program, {});
    QVERIFY(program.waitForStarted());
    const bool ended = program.waitForFinished(20000);
    if (!ended)
        program.kill();
    QVERIFY2(ended, "the program waited instead of ending");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY(program.exitCode() != 0);

    const QString said = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(said.contains(path), qPrintable(said));
    QVERIFY2(said.contains(reason), qPrintable(said));
    QCOMPARE(QFile::exists(path), kind != "missing");
    QCOMPARE(digestOf(path), before);
    QVERIFY(!QFile::exists(folder.filePath("Desktop")));

    if (holder) {
        QSqlQuery(*holder).exec("ROLLBACK");
        holder->close();
        holder.reset();
    }
    QSqlDatabase::removeDatabase(holderName);
}

QTEST_GUILESS_MAIN(TestShellStartup)
#include "test_shell_startup.moc"
