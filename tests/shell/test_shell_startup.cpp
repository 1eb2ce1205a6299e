// The built program started on a data.mdb it cannot use: it says so, naming the file and the
// reason, ends at once with a failure code and leaves the file as it was. Started for the first
// time, it makes its data folder with a working data.mdb.

#include "support/TestDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// The program runs in the data folder of the user data home it is given.
QString dataFolderIn(const QString& dataHome)
{
    return dataHome + QStringLiteral("/quorvel");
}

QProcessEnvironment environmentFor(const QString& home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("HOME", home); // any desktop entry lands here, not in ours
    environment.insert("XDG_DATA_HOME", home);
    environment.remove("XDG_DESKTOP_DIR");
    environment.remove("XDG_CONFIG_HOME");
    return environment;
}

const QFileDevice::Permissions OpenToAll = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                           QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

// "nobody" may not be able to reach the build folder (a checkout in root's mode-700 home), so
// that user runs a copy of the program from a folder open to all.
QString programReachableByAll(const QTemporaryDir& folder)
{
    const QString copy = folder.filePath("quorvel");
    if (!QFile::copy(Program, copy))
        return {};
    const QFileDevice::Permissions runnable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                              QFileDevice::ReadOther | QFileDevice::ExeOther;
    if (!QFile::setPermissions(folder.path(), runnable) || !QFile::setPermissions(copy, runnable))
        return {};
    return copy;
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
    void firstStartMakesTheDataFolder();
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
    QTemporaryDir home;
    const QString dataFolder = dataFolderIn(home.path());
    QVERIFY(QDir().mkpath(dataFolder));
    const QString path = dataFolder + "/data.mdb";
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
                                               : "PRAGMA user_version = 99";
        QVERIFY(query.exec(change));
        query.finish();
        db.close();
    }
    QTemporaryDir programFolder;
    QString program = Program;
    if (kind == "readonly") {
        // The folders stay open to all, as a shop's would be; only the file is protected.
        QVERIFY(QFile::setPermissions(home.path(), OpenToAll));
        QVERIFY(QFile::setPermissions(dataFolder, OpenToAll));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadOther));
        if (::geteuid() == 0) {
            program = programReachableByAll(programFolder);
            QVERIFY(!program.isEmpty());
        }
    }
    if (kind == "locked") {
        holder = std::make_unique<QSqlDatabase>(QSqlDatabase::addDatabase("QSQLITE", holderName));
        holder->setDatabaseName(path);
        QVERIFY(holder->open());
        QSqlQuery(*holder).exec("PRAGMA journal_mode = WAL");
        QVERIFY(QSqlQuery(*holder).exec("BEGIN IMMEDIATE"));
    }
    const QByteArray before = digestOf(path);

    QProcess process;
    // Started elsewhere: the program finds its data by the data home, not the working directory.
    process.setWorkingDirectory(QDir::tempPath());
    process.setProcessEnvironment(environmentFor(home.path()));
    if (kind == "readonly")
        startAsOrdinaryUser(process);
    process.start(program, {});
    QVERIFY(process.waitForStarted());
    const bool ended = process.waitForFinished(20000);
    if (!ended)
        process.kill();
    QVERIFY2(ended, "the program waited instead of ending");
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY(process.exitCode() != 0);

    const QString said = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(said.contains(path), qPrintable(said));
    QVERIFY2(said.contains(reason), qPrintable(said));
    // A used folder without data.mdb never gets an empty one in its place.
    QCOMPARE(QFile::exists(path), kind != "missing");
    QCOMPARE(digestOf(path), before);
    QVERIFY(!QFile::exists(home.filePath("Desktop")));

    if (holder) {
        QSqlQuery(*holder).exec("ROLLBACK");
        holder->close();
        holder.reset();
    }
    QSqlDatabase::removeDatabase(holderName);
}

void TestShellStartup::firstStartMakesTheDataFolder()
{
    QTemporaryDir home;
    const QString dataFolder = dataFolderIn(home.path());
    const QString entry = home.filePath("Desktop/Quorvel销售小票打印软件.desktop");
    QProcess process;
    process.setWorkingDirectory(QDir::tempPath());
    process.setProcessEnvironment(environmentFor(home.path()));
    process.start(Program, {});
    QVERIFY(process.waitForStarted());
    // The login window writes the shortcut once the start has passed every check; offscreen it
    // then waits for a login nobody gives.
    for (int waited = 0; waited < 200 && !QFile::exists(entry) && process.state() == QProcess::Running; ++waited)
        QTest::qWait(100);
    const bool reachedLogin = QFile::exists(entry) && process.state() == QProcess::Running;
    process.kill();
    process.waitForFinished(5000);
    QVERIFY2(reachedLogin, process.readAllStandardError().constData());

    QVERIFY(QFileInfo(dataFolder + "/data.mdb").isFile());
    QVERIFY(QFileInfo(dataFolder + "/使用帮助.chm").size() > 0);
    QCOMPARE(QFileInfo(dataFolder).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
             QFileDevice::Permissions());
    QFile shortcut(entry);
    QVERIFY(shortcut.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(shortcut.readAll());
    QVERIFY2(text.contains("\nPath=" + dataFolder + "/\n"), qPrintable(text));
    QVERIFY2(text.contains("\nIcon=" + dataFolder + "/quorvel.png\n"), qPrintable(text));
    QCOMPARE(QDir(home.path()).entryList({"quorvel.new-*"}, QDir::AllEntries | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestShellStartup)
#include "test_shell_startup.moc"
