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

namespace {

const QString Program = QStringLiteral(QUORVEL_BINARY_DIR "/quorvel");

QByteArray digestOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
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
}

void TestShellStartup::unusableDatabaseEndsTheStart()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    const QString path = folder.filePath("data.mdb");
    if (kind == "garbage")
        write(path, QByteArray("This is a note, not a database.\n").repeated(200));
    if (kind == "column" || kind == "table" || kind == "locked")
        testsupport::TestDatabase::createFromSchema(path);

    std::unique_ptr<QSqlDatabase> holder;
    const QString holderName = QStringLiteral("holder");
    if (kind == "column" || kind == "table") {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", holderName);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(kind == "column" ? "ALTER TABLE xsxx DROP COLUMN 备注" : "DROP TABLE dynr"));
        query.finish();
        db.close();
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
