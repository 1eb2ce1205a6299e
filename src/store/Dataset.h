#pragma once

#include "store/Catalogue.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace store {

class Connection;
class Query;

// The query object of the windows: a statement opened on a connection, giving a snapshot
// of row identities (rowids) taken at opening, standing on its first row. Values are read
// as text by rowid when asked for, so a list of millions costs one integer per row, and a
// dataset that is only appended to never reads its table at all. The whole history and a search
// by cashier are counted and summed from the per-day totals (store/DayTotals) and their rowids
// read a chunk at a time as far as they are asked for, so ten years open at the cost of a
// screenful. Writes go to SQLite at once.
//
// Signals tell views what changed; nothing in the store depends on who listens.
class Dataset : public QObject
{
    Q_OBJECT

public:
    Dataset(Connection& connection, const Statement& initial, const QString& argument = {});
    ~Dataset() override;

    // Re-query: close, take the new statement, open. Standing on the first row afterwards.
    void requery(const Statement& statement, const QString& argument = {});
    void setStatement(const Statement& statement, const QString& argument = {}); // closes
    void open();
    void close();
    bool isOpen() const { return m_open; }
    const Statement& statement() const { return m_statement; }
    QString argument() const { return m_argument; }
    QString text() const { return m_statement.text(m_argument); }

    int recordCount();  // rows of the snapshot
    int recordNumber(); // 1-based position of the current row; 0 on an empty result
    void first();
    void next();
    void last();
    void moveTo(int recordNumber); // 1-based
    bool eof();                    // past the last row, and at once on an empty result
    // The current row's identity in its table (-1 on an empty result), and where the row of that
    // identity stands in this snapshot (1-based; 0 when it is not in it): one sale found by
    // another dataset, shown in a list.
    qint64 rowId() { return currentRowid(); }
    int recordNumberOfRow(qint64 rowId);

    QStringList columnNames(); // in table order (the one column of a distinct statement)
    bool isNumberColumn(const QString& column);
    QString field(const QString& column); // current row as text; NULL and no row read ""

    // Values of a row of the snapshot as text, columns in columnNames() order; for views.
    QStringList rowTexts(int recordIndex);
    // Every row of the statement in list order, read in one pass (for writing a whole list out):
    // number columns as double or null QVariant, text columns as QString. Not for distinct lists.
    void forEachRow(const std::function<void(const QVariantList& values)>& visit);
    // Sum of a number column over the whole snapshot's statement, by SQL; NULLs add nothing.
    // All number columns are summed in one scan and kept until the dataset changes.
    double sum(const QString& column);

    void append();                                        // new row, posted by post()
    void edit();                                          // current row; on an empty result, inserts
    void setField(const QString& column, const QString& text); // converts; refusal cancels the change
    void post();
    void deleteCurrent(); // then on the following row, or the new last row

signals:
    void reset();                     // opened, closed or re-queried
    void rowChanged(int recordIndex); // a row was posted
    void rowInserted(int recordIndex);
    void rowRemoved(int recordIndex);
    void currentChanged(int recordNumber);
    // A list counted by the per-day totals, read to its end, held another number of rows: the
    // totals disagree with the history. The list now goes by its rows.
    void totalsDisagreed();

private:
    enum class Mode
    {
        Browse,
        Edit,
        Insert
    };
    struct ColumnInfo
    {
        QString name;
        bool isNumber = false;
        QString expression; // a computed column's SQL; empty for the table's own
    };

    // A list the per-day totals count (store/DayTotals): its rows are read a chunk at a time in
    // list order, as far as they are asked for, after the last row read: by the order column and
    // rowid (NULLs first, as ORDER BY has them), or, for a cashier search, merged from each matching
    // name's rows by rowid, each name read through the index on the column.
    struct NameCursor
    {
        QString name;
        std::vector<qint64> waiting; // read, not yet taken; ascending
        std::size_t next = 0;
        qint64 after = 0;
        bool done = false;
    };
    struct Paging
    {
        bool complete = true;
        qint64 count = 0; // as the totals count the list, until every row is read
        qint64 lastRowid = 0;
        QVariant lastValue; // the order column's value in the last row read; invalid before any
        bool pastNulls = false;
        bool byName = false;
        std::vector<NameCursor> names;
    };

    friend class Connection;
    void closeQuietly(); // the connection closed under us
    void requireOpen() const;
    void loadColumns();
    void ensureSnapshot();
    bool startFromTotals();
    void ensureRead(std::size_t index); // rows up to this index, as far as there are
    void ensureComplete();
    void readMore();
    std::vector<qint64> nextInOrder(int wanted);
    std::vector<qint64> nextByName(int wanted);
    void refill(NameCursor& cursor, int wanted);
    QString filterSql() const;
    QString orderSql() const;
    Query overSnapshot(const QString& columns, const QString& tail, const QString& doing);
    QString selectColumnsSql() const;
    const ColumnInfo& columnInfo(const QString& column);
    QStringList readRow(qint64 rowid);
    qint64 currentRowid();
    void setCurrentIndex(int index, bool eof = false);
    void invalidateCache()
    {
        m_cachedRowid = -1;
        m_sums.clear();
    }
    void discardChange();
    QString insertSql(const QStringList& names) const;
    QString updateSql(const QStringList& names) const;
    std::optional<qint64> writePending();
    void noteInserted(qint64 rowid);

    Connection& m_connection;
    Statement m_statement;
    QString m_argument;
    bool m_open = false;

    std::vector<ColumnInfo> m_columns;
    bool m_columnsLoaded = false;
    qint64 m_maxRowidAtOpen = 0;
    bool m_snapshotTaken = false;
    std::vector<qint64> m_rowids;
    qint64 m_lazyCurrent = -1; // a row posted before the snapshot was needed
    int m_index = 0;           // 0-based current row
    bool m_eof = false;

    qint64 m_cachedRowid = -1;
    QStringList m_cachedRow;
    QHash<QString, double> m_sums; // every number column's total, from one scan; empty = not taken
    Paging m_paging;
    bool m_totalsDisagree = false; // the rows read all, and they were not as many as the totals said

    Mode m_mode = Mode::Browse;
    QHash<QString, QVariant> m_pending;
    std::unique_ptr<Query> m_rowQuery;
};

} // namespace store
