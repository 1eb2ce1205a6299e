#pragma once

#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// A fresh data.mdb made from db/schema.sql in a temporary folder that becomes the working
// directory for the object's lifetime (the program finds data.mdb in the working directory).
class TestDatabase
{
public:
    // Newest: as db/schema.sql makes it. First: as the first released schema made it, which the
    // program upgrades at start (tests/store/data/schema-v1.sql, frozen).
    enum class Schema
    {
        Newest,
        First
    };
    explicit TestDatabase(Schema schema = Schema::Newest);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    QString folder() const { return m_dir.path(); }
    QString path() const; // of data.mdb

    // Runs SQL on the file through its own sqlite3 handle, outside the program's connections.
    void exec(const QString& sql) const;
    // First column of the first row of a query, as text ("" for NULL or no row).
    QString scalar(const QString& sql) const;
    // All rows, columns joined by '|', rows in result order.
    QStringList rows(const QString& sql) const;

    static void createFromSchema(const QString& path);
    static void createAtFirstVersion(const QString& path);
    // rows() on any database file.
    static QStringList rowsOf(const QString& path, const QString& sql);

private:
    QTemporaryDir m_dir;
    QString m_previousDir;
};

} // namespace testsupport
