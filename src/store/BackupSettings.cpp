#include "store/BackupSettings.h"

#include "store/SystemSettings.h"

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
    return storedSetting(m_connection, key, QStringLiteral("读取系统设置")).value_or(QString());
}

void BackupSettings::setValue(const QString& key, const QString& value)
{
    storeSetting(m_connection, key, value, QStringLiteral("保存系统设置"));
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
