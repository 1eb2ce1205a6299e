#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <sqlite3.h>
#include <stdexcept>

namespace testsupport {

namespace {

struct Handle
{
    sqlite3* db = nullptr;
    explicit Handle(const QString& path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
            SQLITE_OK)
            throw std::runtime_error("cannot open test database");
        sqlite3_busy_timeout(db, 5000);
    }
    ~Handle() { sqlite3_close(db); }
};

QString readSchema(const QString& path = QStringLiteral(QUORVEL_SCHEMA_PATH))
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read schema.sql");
    return QString::fromUtf8(file.readAll());
}

void execOn(sqlite3* db, const QString& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "sqlite3_exec failed";
        sqlite3_free(error);
        throw std::runtime_error(message + " in: " + sql.toStdString());
    }
}

} // namespace

TestDatabase::TestDatabase(Schema schema) : m_previousDir(QDir::currentPath())
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot make a temporary folder");
    if (schema == Schema::First)
        createAtFirstVersion(path());
    else
        createFromSchema(path());
    QDir::setCurrent(m_dir.path());
}

TestDatabase::~TestDatabase()
{
    QDir::setCurrent(m_previousDir);
}

QString TestDatabase::path() const
{
    return m_dir.filePath(QStringLiteral("data.mdb"));
}

void TestDatabase::createFromSchema(const QString& path)
{
    Handle handle(path);
    execOn(handle.db, readSchema());
}

void TestDatabase::createAtFirstVersion(const QString& path)
{
    Handle handle(path);
    execOn(handle.db, readSchema(QStringLiteral(QUORVEL_SOURCE_DIR "/tests/store/data/schema-v1.sql")));
}

void TestDatabase::exec(const QString& sql) const
{
    Handle handle(path());
    execOn(handle.db, sql);
}

QString TestDatabase::scalar(const QString& sql) const
{
    const QStringList all = rows(sql);
    return all.isEmpty() ? QString() : all.first().section(QLatin1Char('|'), 0, 0);
}

QStringList TestDatabase::rows(const QString& sql) const
{
    return rowsOf(path(), sql);
}

QStringList TestDatabase::rowsOf(const QString& path, const QString& sql)
{
    Handle handle(path);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle.db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("bad test query: ") + sqlite3_errmsg(handle.db));
    QStringList result;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        QStringList columns;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
            columns << (text ? QString::fromUtf8(text) : QString());
        }
        result << columns.join(QLatin1Char('|'));
    }
    sqlite3_finalize(statement);
    return result;
}

} // namespace testsupport
