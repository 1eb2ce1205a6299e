#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

namespace store {

// A prepared statement that knows what it is doing for the user: prepared on construction,
// bound in order, run; any refusal of the engine is thrown as a store::Error naming that work
// (as "保存到 spxx失败：…"). Forward-only, as every reader of the store walks its rows once.
class Query
{
public:
    Query(const QSqlDatabase& database, const QString& sql, const QString& doing);

    Query& bind(const QVariant& value); // the next '?', in order; run() starts again at the first
    Query& bind(const QString& placeholder, const QVariant& value); // ":name", wherever it stands
    void run();
    void runToFirstRow(); // run, and stand on the first row, which must be there

    bool next() { return m_query.next(); }
    QVariant value(int column) const { return m_query.value(column); }
    QVariant lastInsertId() const { return m_query.lastInsertId(); }
    void requireNoError() const; // after walking the rows: the walk did not end on a failure
    void finish() { m_query.finish(); }

private:
    [[noreturn]] void fail() const;

    QSqlQuery m_query;
    QString m_doing;
};

} // namespace store
