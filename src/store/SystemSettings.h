#pragma once

#include <QString>
#include <optional>

namespace store {

class Connection;

// The program's own settings in xtsz, one text a name. `doing` names the work in a failure,
// as "读取条码秤规则". Both open the connection when it is not open yet.
std::optional<QString> storedSetting(Connection& connection, const QString& key, const QString& doing);
void storeSetting(Connection& connection, const QString& key, const QString& value, const QString& doing);

} // namespace store
