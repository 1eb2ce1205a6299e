#pragma once

#include <QString>

namespace store {

// Makes a new database file at path by running the delivered schema script, as an installer
// would: the only place the program creates tables. The file is written under a temporary
// name and renamed into place once complete, and an existing file is never replaced. Throws
// store::Error naming the file and the reason.
void createDatabaseFromSchema(const QString& path, const QString& schemaFile);

} // namespace store
