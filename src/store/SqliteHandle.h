#pragma once

#include "core/Error.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <sqlite3.h>

namespace store {

// A bare engine handle for work beside the program's own connections: copying, checking and
// swapping whole files, where Qt's driver would keep locks and caches of its own.
class SqliteHandle
{
public:
    SqliteHandle() = default;
    ~SqliteHandle() { sqlite3_close_v2(m_db); }
    SqliteHandle(const SqliteHandle&) = delete;
    SqliteHandle& operator=(const SqliteHandle&) = delete;

    int open(const QString& path, int flags)
    {
        return sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
    }
    void close()
    {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    sqlite3* get() const { return m_db; }
    QString lastError() const { return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("内存不足"); }
    int exec(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr); }

    // Every row's first column; a failure is the engine's text as the last row.
    QStringList column(const QString& sql, bool* failed = nullptr) const
    {
        QStringList rows;
        sqlite3_stmt* statement = nullptr;
        int rc = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr);
        if (rc == SQLITE_OK)
            while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
                rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        const bool bad = rc != SQLITE_DONE && rc != SQLITE_OK;
        if (bad)
            rows << lastError();
        if (failed)
            *failed = bad;
        return rows;
    }

    void execute(const QString& sql, const QString& doing) const
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const QString text = error ? QString::fromUtf8(error) : lastError();
            sqlite3_free(error);
            throw core::Error(QStringLiteral("%1失败：%2").arg(doing, text));
        }
    }

private:
    sqlite3* m_db = nullptr;
};

} // namespace store
