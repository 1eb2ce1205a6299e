#pragma once

#include <QString>

namespace core {

// Who logged in and with which right, as the login decided them. The login returns it; Forms
// keeps the one copy for the run and hands it to the windows that ask. Empty before a login.
struct LoggedInUser
{
    QString name;
    QString right; // the text stored in username.权限

    // Only the two rights carry meaning; any other text is neither.
    bool isAdministrator() const;
    bool isOrdinaryUser() const;
};

} // namespace core
