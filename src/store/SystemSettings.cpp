#include "store/SystemSettings.h"

#include "store/Connection.h"
#include "store/Query.h"

namespace store {

std::optional<QString> storedSetting(Connection& connection, const QString& key, const QString& doing)
{
    if (!connection.isOpen())
        connection.open();
    Query query(connection.database(), QStringLiteral("SELECT 值 FROM xtsz WHERE 项目 = ?"), doing);
    query.bind(key).run();
    if (query.next())
        return query.value(0).toString();
    query.requireNoError();
    return std::nullopt;
}

void storeSetting(Connection& connection, const QString& key, const QString& value, const QString& doing)
{
    if (!connection.isOpen())
        connection.open();
    Transaction transaction(connection);
    Query query(connection.database(),
                QStringLiteral("INSERT INTO xtsz (项目, 值) VALUES (?, ?) ON CONFLICT (项目) DO UPDATE SET 值 = excluded.值"),
                doing);
    query.bind(key).bind(value).run();
    transaction.commit();
}

} // namespace store
