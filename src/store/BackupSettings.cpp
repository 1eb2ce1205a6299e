#include "store/BackupSettings.h"

#include "store/Connection.h"
#include "store/Query.h"

namespace store {

namespace {

const QString SecondFolderKey = QStringLiteral("备份第二位置");

QString toldKey(BackupSettings::Trouble trouble)
{
    return trouble == BackupSettings::Trouble::NoRoomHere ? QStringLiteral("备份空间不足告知日期")
                                                          : QStringLiteral("备份第二位置告知日期");
}

} // namespace

QString BackupSettings::value(const QString& key) const
{
    if (!m_connection.isOpen())
        m_connection.open();
    Query query(m_connection.database(), QStringLiteral("SELECT 值 FROM xtsz WHERE 项目 = ?"),
                QStringLiteral("读取系统设置"));
    query.bind(key).run();
    return query.next() ? query.value(0).toString() : QString();
}

void BackupSettings::setValue(const QString& key, const QString& value)
{
    Transaction transaction(m_connection);
    Query query(m_connection.database(),
                QStringLiteral("INSERT INTO xtsz (项目, 值) VALUES (?, ?) ON CONFLICT (项目) DO UPDATE SET 值 = excluded.值"),
                QStringLiteral("保存系统设置"));
    query.bind(key).bind(value).run();
    transaction.commit();
}

QString BackupSettings::secondFolder() const
{
    return value(SecondFolderKey);
}

void BackupSettings::setSecondFolder(const QString& folder)
{
    setValue(SecondFolderKey, folder);
}

bool BackupSettings::toldOn(Trouble trouble, QDate day) const
{
    return value(toldKey(trouble)) == day.toString(Qt::ISODate);
}

void BackupSettings::setToldOn(Trouble trouble, QDate day)
{
    setValue(toldKey(trouble), day.toString(Qt::ISODate));
}

} // namespace store
