#include "store/Query.h"

#include "store/EngineError.h"

namespace store {

Query::Query(const QSqlDatabase& database, const QString& sql, const QString& doing) : m_query(database), m_doing(doing)
{
    m_query.setForwardOnly(true);
    if (!m_query.prepare(sql))
        fail();
}

Query& Query::bind(const QVariant& value)
{
    m_query.addBindValue(value);
    return *this;
}

Query& Query::bind(const QString& placeholder, const QVariant& value)
{
    m_query.bindValue(placeholder, value);
    return *this;
}

void Query::run()
{
    if (!m_query.exec())
        fail();
}

void Query::runToFirstRow()
{
    if (!m_query.exec() || !m_query.next())
        fail();
}

void Query::requireNoError() const
{
    if (m_query.lastError().isValid())
        fail();
}

void Query::fail() const
{
    throwEngineError(m_doing, m_query.lastError());
}

} // namespace store
