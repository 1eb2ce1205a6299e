// The data folder made on the first start: a database the program accepts, the help beside it,
// nothing half-made after a failure, and the shop's files never replaced afterwards.

#include "core/Error.h"
#include "shell/DataFolder.h"
#include "store/Connection.h"
#include "store/NewDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Schema = QStringLiteral(QUORVEL_SCHEMA_PATH);

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The program's own start check, run in the folder as the program would.
QString startCheckIn(const QString& folder)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder);
    QString problem;
    try {
        store::Connection connection(QStringLiteral("check"));
        store::verifyDatabase(connection);
    } catch (const core::Error& error) {
        problem = error.message();
    }
    QDir::setCurrent(previous);
    return problem;
}

} // namespace

class TestShellDataFolder : public QObject
{
    Q_OBJECT

private slots:
    void firstStartMakesAWorkingFolder();
    void failedFirstStartLeavesNothing_data();
    void failedFirstStartLeavesNothing();
    void existingFolderIsLeftAlone_data();
    void existingFolderIsLeftAlone();
    void helpIsRefreshedAndDataNeverTouched();
    void newDatabaseNeverReplacesAFile();
};

void TestShellDataFolder::firstStartMakesAWorkingFolder()
{
    QTemporaryDir home;
    QTemporaryDir delivered;
    const QString help = delivered.filePath("使用帮助.chm");
    write(help, "ITSF help pages");
    const QString folder = home.filePath("deeper/quorvel");

    QVERIFY(shell::makeDataFolder(folder, Schema, help));
    QCOMPARE(entriesOf(folder), QStringList({"data.mdb", "使用帮助.chm"}));
    QCOMPARE(contentOf(folder + "/使用帮助.chm"), QByteArray("ITSF help pages"));
    QCOMPARE(startCheckIn(folder), QString());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "made");
        db.setDatabaseName(folder + "/data.mdb");
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec("SELECT 用户名 || '|' || 权限 FROM username"));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("admin|管理员"));
        QVERIFY(query.exec("PRAGMA journal_mode"));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("wal"));
    }
    QSqlDatabase::removeDatabase("made");
    // Only the user may read the shop's takings.
    QCOMPARE(QFile::permissions(folder) & (QFile::ReadOther | QFile::ReadGroup | QFile::ExeOther),
             QFile::Permissions());
    QCOMPARE(entriesOf(home.filePath("deeper")), QStringList({"quorvel"}));

    // Without a help file the folder is made all the same: F1 will say the help is missing.
    const QString second = home.filePath("second/quorvel");
    QVERIFY(shell::makeDataFolder(second, Schema, QString()));
    QCOMPARE(entriesOf(second), QStringList({"data.mdb"}));
}

void TestShellDataFolder::failedFirstStartLeavesNothing_data()
{
    QTest::addColumn<QByteArray>("schema");
    QTest::addColumn<bool>("schemaExists");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no schema delivered") << QByteArray() << false << "schema.sql";
    QTest::newRow("empty schema") << QByteArray("\n  \n") << true << "是空的";
    QTest::newRow("schema that fails half-way")
        << QByteArray("CREATE TABLE spxx (品名 TEXT);\nCREATE TABLE oops (;\n") << true << "syntax error";
}

void TestShellDataFolder::failedFirstStartLeavesNothing()
{
    QFETCH(QByteArray, schema);
    QFETCH(bool, schemaExists);
    QFETCH(QString, reason);
    QTemporaryDir home;
    const QString schemaFile = schemaExists ? home.filePath("schema.sql") : QString();
    if (schemaExists)
        write(schemaFile, schema);
    const QString before = entriesOf(home.path()).join(',');
    const QString folder = home.filePath("quorvel");
    QString message;
    try {
        shell::makeDataFolder(folder, schemaFile, QString());
    } catch (const core::Error& error) {
        message = error.message();
    }
    QVERIFY2(message.contains(folder) && message.contains(reason), qPrintable(message));
    // The next start tries again from scratch instead of finding a folder without data.mdb.
    QCOMPARE(entriesOf(home.path()).join(','), before);
}

void TestShellDataFolder::existingFolderIsLeftAlone_data()
{
    QTest::addColumn<bool>("withDatabase");
    QTest::newRow("used folder whose data.mdb went missing") << false;
    QTest::newRow("folder holding the shop's data.mdb") << true;
}

void TestShellDataFolder::existingFolderIsLeftAlone()
{
    QFETCH(bool, withDatabase);
    QTemporaryDir folder;
    write(folder.filePath("notes.txt"), "the shop's own file");
    if (withDatabase)
        write(folder.filePath("data.mdb"), "sales of ten years");
    const QStringList before = entriesOf(folder.path());

    QVERIFY(!shell::makeDataFolder(folder.path(), Schema, QString()));
    QCOMPARE(entriesOf(folder.path()), before);
    if (withDatabase)
        QCOMPARE(contentOf(folder.filePath("data.mdb")), QByteArray("sales of ten years"));
}

void TestShellDataFolder::helpIsRefreshedAndDataNeverTouched()
{
    QTemporaryDir folder;
    QTemporaryDir delivered;
    const QString help = delivered.filePath("使用帮助.chm");
    const QString copy = folder.filePath("使用帮助.chm");
    write(folder.filePath("data.mdb"), "sales");

    write(help, "first edition");
    QCOMPARE(shell::refreshHelpFile(folder.path(), help), QString());
    QCOMPARE(contentOf(copy), QByteArray("first edition"));

    // An update of the program brings its new help.
    write(help, "second edition, longer");
    QCOMPARE(shell::refreshHelpFile(folder.path(), help), QString());
    QCOMPARE(contentOf(copy), QByteArray("second edition, longer"));

    // Nothing is rewritten when the copy is current.
    const QDateTime written = QFileInfo(copy).lastModified();
    QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner));
    QCOMPARE(shell::refreshHelpFile(folder.path(), help), QString());
    QCOMPARE(QFileInfo(copy).lastModified(), written);

    const QString missing = shell::refreshHelpFile(folder.path(), QString());
    QVERIFY2(missing.contains("使用帮助.chm"), qPrintable(missing));
    QCOMPARE(contentOf(copy), QByteArray("second edition, longer"));
    QCOMPARE(contentOf(folder.filePath("data.mdb")), QByteArray("sales"));
    QCOMPARE(entriesOf(folder.path()), QStringList({"data.mdb", "使用帮助.chm"}));
}

void TestShellDataFolder::newDatabaseNeverReplacesAFile()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("data.mdb");
    write(path, "not to be replaced");
    QString message;
    try {
        store::createDatabaseFromSchema(path, Schema);
    } catch (const core::Error& error) {
        message = error.message();
    }
    QVERIFY2(message.contains(path), qPrintable(message));
    QCOMPARE(contentOf(path), QByteArray("not to be replaced"));
    QCOMPARE(entriesOf(folder.path()), QStringList({"data.mdb"}));
}

QTEST_GUILESS_MAIN(TestShellDataFolder)
#include "test_shell_datafolder.moc"
