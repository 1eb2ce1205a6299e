#pragma once

#include <QDateTime>
#include <QString>

namespace store::restore {

// Where a checked copy waits beside data.mdb until the program has closed every connection.
QString stagedPathFor(const QString& databasePath); // data.mdb.restore

// Checks the chosen copy before anything is replaced: a database file, PRAGMA integrity_check
// "ok", a schema version not newer than this program's, and this program's tables and columns.
// An older copy is brought to the newest version by the upgrade steps. The result waits at
// stagedPathFor(databasePath); its path is returned. Throws core::Error saying why the copy is
// refused; then nothing is staged and data.mdb is untouched.
QString prepare(const QString& copyPath, const QString& databasePath);

// Run with no connection open on data.mdb: keeps the current data as
// 备份/data-before-restore-YYYYMMDD-HHMMSS.mdb, then puts the staged copy in place of data.mdb in
// one rename. Returns the kept copy's path. Throws core::Error; data.mdb is then as it was.
QString replaceWithStaged(const QString& databasePath, const QDateTime& now = QDateTime::currentDateTime());

} // namespace store::restore
