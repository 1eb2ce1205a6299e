#pragma once

#include <QDate>
#include <QString>

namespace store {

class Connection;

// What the backups keep in the settings table xtsz: the second place chosen in 设置 → 数据, and
// the day each kind of trouble was last told, so it is told once a day and not at every start.
class BackupSettings
{
public:
    explicit BackupSettings(Connection& connection) : m_connection(connection) {}

    QString secondFolder() const; // empty: none chosen
    void setSecondFolder(const QString& folder); // throws core::Error, e.g. a path too long to keep

    enum class Trouble
    {
        NoRoomHere,
        SecondPlace
    };
    bool toldOn(Trouble trouble, QDate day) const;
    void setToldOn(Trouble trouble, QDate day);

private:
    QString value(const QString& key) const;
    void setValue(const QString& key, const QString& value);

    Connection& m_connection;
};

} // namespace store
