#include "core/LoggedInUser.h"

namespace core {

bool LoggedInUser::isAdministrator() const
{
    return right == QStringLiteral("管理员");
}

bool LoggedInUser::isOrdinaryUser() const
{
    return right == QStringLiteral("普通用户");
}

} // namespace core
