#include "store/Connection.h"

#include "store/Dataset.h"
#include "store/EngineError.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QUrl>
#include <algorithm>
#include <sqlite3.h>

namespace store {

namespace {

QAtomicInt connectionCounter;

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

struct RequiredTable
{
    const char* name;
    QStringList columns;
};

const QList<RequiredTable>& requiredTables()
{
    static const QList<RequiredTable> tables = {
        {"spxx", {"品名", "单价"}},
        {"xsxx", {"ID", "单号", "时间", "客户", "电话", "品名", "单价", "数量", "金额", "折后", "备注"}},
        {"dynr", {"ID", "店名", "备注"}},
        {"xstj", {"单号", "时间", "数量", "金额", "折后", "收银员"}},
        {"xsmx", {"单号", "时间", "客户", "电话", "品名", "单价", "数量", "金额", "折后"}},
        {"id", {"pos", "print", "客户", "电话"}},
        {"username", {"用户名", "密码", "权限"}},
    };
    return tables;
}

constexpr int SchemaVersion = 1;

} // namespace

Connection::Connection(const QString& owner)
    : m_name(QStringLiteral("%1#%2").arg(owner).arg(connectionCounter.fetchAndAddRelaxed(1)))
{
}

Connection::~Connection()
{
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

void Connection::open()
{
    if (m_open)
        return;
    const QString path = databasePath();
    if (!QFileInfo::exists(path))
        throw Error(QStringLiteral("找不到数据库文件 %1").arg(QDir::toNativeSeparators(path)));
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
        QSqlQuery journal(database());
        if (!journal.exec(QStringLiteral("PRAGMA journal_mode = WAL")))
            throwEngineError(QStringLiteral("打开数据库文件 %1").arg(QDir::toNativeSeparators(path)),
                             journal.lastError());
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

void Connection::execute(const QString& sql)
{
    if (!m_open)
        open();
    QSqlQuery query(database());
    if (!query.exec(sql))
        throwEngineError(QStringLiteral("执行“%1”").arg(sql), query.lastError());
}

void Connection::attach(Dataset* dataset)
{
    m_datasets.push_back(dataset);
}

void Connection::detach(Dataset* dataset)
{
    m_datasets.erase(std::remove(m_datasets.begin(), m_datasets.end(), dataset), m_datasets.end());
}

void verifyDatabase(Connection& connection)
{
    const QString file = QDir::toNativeSeparators(Connection::databasePath());
    if (!connection.isOpen())
        connection.open();
    QSqlDatabase db = connection.database();
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        throwEngineError(QStringLiteral("读取数据库文件 %1").arg(file), query.lastError());
    const int version = query.value(0).toInt();
    if (version > SchemaVersion)
        throw Error(QStringLiteral("数据库文件 %1 来自更新版本的程序（版本 %2），本程序无法使用它").arg(file).arg(version));

    QStringList missing;
    for (const RequiredTable& table : requiredTables()) {
        const QString name = QString::fromUtf8(table.name);
        QStringList present;
        QSqlQuery info(db);
        if (!info.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(name)))
            throwEngineError(QStringLiteral("读取数据库文件 %1").arg(file), info.lastError());
        while (info.next())
            present << info.value(1).toString();
        if (present.isEmpty()) {
            missing << QStringLiteral("表 %1").arg(name);
            continue;
        }
        for (const QString& column : table.columns)
            if (!present.contains(column))
                missing << QStringLiteral("表 %1 的列 %2").arg(name, column);
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
    m_connection.execute(QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    QSqlQuery rollback(m_connection.database());
    rollback.exec(QStringLiteral("ROLLBACK"));
}

void Transaction::commit()
{
    m_connection.execute(QStringLiteral("COMMIT"));
    m_done = true;
}

} // namespace store
