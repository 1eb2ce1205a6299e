#pragma once

#include <QString>

namespace shell {

// Takes an exclusive lock on a file beside the data file and keeps it until the process ends,
// so a second copy started on the same data file stops before it touches the open sale. The
// system drops the lock when the process dies, however it dies, so a crashed copy never blocks
// the next start. Returns an empty text once the lock is held, else what to tell the user.
QString holdOnlyCopyLock(const QString& databasePath);

// The file the lock is taken on.
QString onlyCopyLockPath(const QString& databasePath);

} // namespace shell
