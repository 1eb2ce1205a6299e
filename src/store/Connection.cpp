#include "store/Connection.h"

#include "store/Catalogue.h"
#include "store/Dataset.h"
#include "store/EngineError.h"
#include "store/Query.h"
#include "store/Upgrades.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <sqlite3.h>

namespace store {

namespace {

QAtomicInt connectionCounter;

// Every connection of the program, so that a new one can see whether the others still hold
// the file now at the path.
std::vector<Connection*>& liveConnections()
{
    static std::vector<Connection*> connections;
    return connections;
}

QString uriFor(const QString& path)
{
    return QStringLiteral("file:") + QString::fromLatin1(QUrl::toPercentEncoding(path, "/")) +
           QStringLiteral("?mode=rw");
}

sqlite3* handleOf(const QSqlDatabase& db)
{
    const QVariant v = db.driver()->handle();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(v.data());
    return nullptr;
}

// The first bytes of every SQLite database file.
constexpr char FileHeader[] = "SQLite format 3";

bool hasMoved(sqlite3* handle)
{
    int moved = 0;
    return sqlite3_file_control(handle, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved != 0;
}

// Read from the file itself, not from the page cache, which would still hold the old header.
bool headerIsIntact(sqlite3* handle)
{
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(handle, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file || !file->pMethods)
        return true;
    char header[sizeof FileHeader] = {};
    if (file->pMethods->xRead(file, header, sizeof header, 0) != SQLITE_OK)
        return false;
    return std::memcmp(header, FileHeader, sizeof header) == 0;
}

} // namespace

Connection::Connection(const QString& owner)
    : m_name(QStringLiteral("%1#%2").arg(owner).arg(connectionCounter.fetchAndAddRelaxed(1)))
{
    liveConnections().push_back(this);
}

Connection::~Connection()
{
    std::vector<Connection*>& live = liveConnections();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    close();
    for (Dataset* dataset : m_datasets)
        dataset->m_rowQuery.reset();
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
}

QString Connection::databasePath()
{
    return QDir::current().absoluteFilePath(QStringLiteral("data.mdb"));
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

QSqlDatabase Connection::openedDatabase()
{
    if (!m_open)
        open();
    return database();
}

void Connection::open()
{
    if (m_open)
        return;
    const QString path = databasePath();
    if (!QFileInfo::exists(path))
        throw Error(QStringLiteral("找不到数据库文件 %1").arg(QDir::toNativeSeparators(path)));
    // Opening whatever replaced the file while the others still hold the old one would fold
    // the old file's journal into it.
    for (Connection* other : liveConnections())
        if (other != this && other->m_open && !other->fileInPlace())
            throwFileReplaced();
    {
        QSqlDatabase db = QSqlDatabase::contains(m_name) ? QSqlDatabase::database(m_name, false)
                                                         : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(uriFor(path));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=3000"));
        if (!db.open())
            throw Error(QStringLiteral("无法打开数据库文件 %1：%2")
                            .arg(QDir::toNativeSeparators(path), describeEngineError(db.lastError())));
    }
    m_open = true;
    try {
        execute(QStringLiteral("PRAGMA synchronous = FULL"));
        execute(QStringLiteral("PRAGMA journal_mode = WAL"),
                QStringLiteral("打开数据库文件 %1").arg(QDir::toNativeSeparators(path)));
    } catch (...) {
        close();
        throw;
    }
}

void Connection::close()
{
    // Views of the datasets hear of it, as they do when a dataset alone is closed.
    const std::vector<Dataset*> datasets = m_datasets;
    for (Dataset* dataset : datasets)
        dataset->close();
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    m_open = false;
}

void Connection::reconnect()
{
    close();
    open();
}

void Connection::execute(const QString& sql, const QString& doing)
{
    if (!m_open)
        open();
    Query(database(), sql, doing.isEmpty() ? QStringLiteral("执行“%1”").arg(sql) : doing).run();
}

bool Connection::fileInPlace() const
{
    sqlite3* handle = handleOf(database());
    return !handle || (!hasMoved(handle) && headerIsIntact(handle));
}

void Connection::throwFileReplaced()
{
    throw Error(
        QStringLiteral("数据库文件 %1 已被删除、移走或替换，这次的内容没有保存。请放回原来的文件后重新启动本程序。")
            .arg(QDir::toNativeSeparators(databasePath())));
}

void Connection::requireFileInPlace()
{
    // Inside a transaction the file was checked when it began; once per write would read it again
    // for every line of a sale.
    if (m_inTransaction)
        return;
    if (!m_open)
        open();
    if (!fileInPlace())
        throwFileReplaced();
}

void Connection::attach(Dataset* dataset)
{
    m_datasets.push_back(dataset);
}

void Connection::detach(Dataset* dataset)
{
    m_datasets.erase(std::remove(m_datasets.begin(), m_datasets.end(), dataset), m_datasets.end());
    m_written.erase(std::remove(m_written.begin(), m_written.end(), dataset), m_written.end());
}

void Connection::noteWrite(Dataset* dataset)
{
    if (m_inTransaction && std::find(m_written.begin(), m_written.end(), dataset) == m_written.end())
        m_written.push_back(dataset);
}

void Connection::forgetWrites()
{
    m_inTransaction = false;
    m_written.clear();
}

void Connection::showStoredRowsAgain()
{
    const std::vector<Dataset*> written = m_written;
    forgetWrites();
    for (Dataset* dataset : written) {
        try {
            if (dataset->isOpen())
                dataset->requery(dataset->statement(), dataset->argument());
        } catch (const Error&) {
            // The list stays empty until its next re-query; the failure being reported says more.
        }
    }
}

void verifyDatabase(Connection& connection)
{
    const QString file = QDir::toNativeSeparators(Connection::databasePath());
    if (!connection.isOpen())
        connection.open();
    QSqlDatabase db = connection.database();
    Query query(db, QStringLiteral("PRAGMA user_version"), QStringLiteral("读取数据库文件 %1").arg(file));
    query.runToFirstRow();
    const int version = query.value(0).toInt();
    if (version > newestSchemaVersion())
        throw Error(
            QStringLiteral("数据库文件 %1 来自更新版本的程序（版本 %2），本程序无法使用它").arg(file).arg(version));

    QStringList missing;
    for (const TableRules& table : schemaTables()) {
        const QString name = QString::fromUtf8(table.table);
        QStringList present;
        Query info(db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(name),
                   QStringLiteral("读取数据库文件 %1").arg(file));
        info.run();
        while (info.next())
            present << info.value(1).toString();
        if (present.isEmpty()) {
            missing << QStringLiteral("表 %1").arg(name);
            continue;
        }
        for (const NamedRule& rule : table.columns) {
            const QString column = QString::fromUtf8(rule.column);
            if (!present.contains(column))
                missing << QStringLiteral("表 %1 的列 %2").arg(name, column);
        }
    }
    if (!missing.isEmpty())
        throw Error(QStringLiteral("数据库文件 %1 缺少：%2").arg(file, missing.join(QStringLiteral("、"))));

    sqlite3* handle = handleOf(db);
    if (!QFileInfo(Connection::databasePath()).isWritable() || (handle && sqlite3_db_readonly(handle, "main") == 1))
        throw Error(QStringLiteral("数据库文件 %1 是只读的，无法保存销售记录").arg(file));
    // A write lock held elsewhere shows now, not in the middle of a sale.
    Transaction probe(connection);
}

Transaction::Transaction(Connection& connection) : m_connection(connection)
{
    m_connection.requireFileInPlace();
    m_connection.execute(QStringLiteral("BEGIN IMMEDIATE"), QStringLiteral("保存"));
    m_connection.forgetWrites();
    m_connection.m_inTransaction = true;
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    {
        QSqlQuery rollback(m_connection.database());
        rollback.exec(QStringLiteral("ROLLBACK"));
    }
    m_connection.showStoredRowsAgain();
}

void Transaction::commit()
{
    m_connection.execute(QStringLiteral("COMMIT"), QStringLiteral("保存"));
    m_done = true;
    m_connection.forgetWrites();
}

} // namespace store
