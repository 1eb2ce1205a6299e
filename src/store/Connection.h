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
    QSqlDatabase openedDatabase(); // the database, the connection opened first when it is not open
    QString name() const { return m_name; }
    static QString databasePath(); // absolute path of data.mdb in the working directory

    // Runs a statement that returns no rows (pragmas, transactions); throws on failure, the
    // message beginning with doing (the statement itself when none is given).
    void execute(const QString& sql, const QString& doing = {});

    // Throws store::Error when data.mdb is no longer the file this connection opened (deleted,
    // moved away, or overwritten by something that is not a database). SQLite would go on
    // writing into the old file, and whatever was saved would vanish when the program ends,
    // so every write asks this first (once per transaction).
    void requireFileInPlace();

private:
    friend class Dataset;
    friend class Transaction;
    void attach(Dataset* dataset);
    void detach(Dataset* dataset);
    void noteWrite(Dataset* dataset);
    void forgetWrites();
    void showStoredRowsAgain();
    bool fileInPlace() const;
    [[noreturn]] static void throwFileReplaced();

    QString m_name;
    bool m_open = false;
    std::vector<Dataset*> m_datasets;
    bool m_inTransaction = false;
    std::vector<Dataset*> m_written; // datasets that wrote inside the open transaction
};

// Checks at start that data.mdb holds every table and column the program uses, is not from
// a newer version, and can be written; throws store::Error saying what is wrong.
void verifyDatabase(Connection& connection);

// Rolls back in its destructor unless commit() ran. BEGIN IMMEDIATE, so a locked file
// fails here, before anything is written. After a rollback every dataset that wrote inside the
// transaction is opened again, so no window goes on showing rows that were never stored.
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
