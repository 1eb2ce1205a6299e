#pragma once

#include <QSqlDatabase>
#include <QString>
#include <vector>

namespace store {

class Dataset;

// One window's own connection to data.mdb in the working directory. The file is opened
// read-write and never created; WAL journal, full sync, a busy timeout of a few seconds.
// Closing the connection closes every dataset on it, as reconnecting does.
class Connection
{
public:
    explicit Connection(const QString& owner); // owner names the window, for a unique connection name
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void open(); // throws store::Error naming the file and the reason
    void close();
    void reconnect(); // close, then open again: the next reads see what others wrote
    bool isOpen() const { return m_open; }

    QSqlDatabase database() const;
    QString name() const { return m_name; }
    static QString databasePath(); // absolute path of data.mdb in the working directory

    // Runs a statement that returns no rows (pragmas, transactions); throws on failure.
    void execute(const QString& sql);

private:
    friend class Dataset;
    void attach(Dataset* dataset);
    void detach(Dataset* dataset);

    QString m_name;
    bool m_open = false;
    std::vector<Dataset*> m_datasets;
};

// Checks at start that data.mdb holds every table and column the program uses, is not from
// a newer version, and can be written; throws store::Error saying what is wrong.
void verifyDatabase(Connection& connection);

// Rolls back in its destructor unless commit() ran. BEGIN IMMEDIATE, so a locked file
// fails here, before anything is written.
class Transaction
{
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& m_connection;
    bool m_done = false;
};

} // namespace store
