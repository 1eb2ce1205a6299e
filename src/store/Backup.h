#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace store {

// Copies of data.mdb kept beside it in the folder 备份, named data-YYYYMMDD-HHMMSS.mdb after the
// local time they were taken. A copy is made with SQLite's online backup in one read
// transaction, so it holds exactly what was committed when it began, whatever other
// connections are writing; it counts only once PRAGMA integrity_check has passed on it.
namespace backup {

constexpr int KeptBackups = 30;

QString folderFor(const QString& databasePath); // 备份 beside the database file
QString fileNameFor(const QDateTime& at);       // data-YYYYMMDD-HHMMSS.mdb

// The backups in folder, oldest first (by the time in their names). Other files are not listed.
QStringList backupsIn(const QString& folder);
bool hasBackupOf(const QString& folder, QDate day);

// Makes a checked copy of the database at databasePath named after `at` in folder (made when
// missing; a copy of the same second is replaced), then keeps the newest `keep` backups.
// Returns the path of the copy. Throws store::Error saying in words what went wrong; then
// nothing half-made is left behind and the earlier backups stay as they were.
QString makeBackup(const QString& databasePath, const QString& folder, const QDateTime& at, int keep = KeptBackups);

// Makes a checked copy as above under the given name, and removes nothing: copies made before an
// upgrade are named apart (data-before-vN-...) and kept out of the daily rotation.
QString makeBackupNamed(const QString& databasePath, const QString& folder, const QString& fileName);

// Removes the oldest backups beyond the newest `keep`; returns the paths it removed.
QStringList removeOldBackups(const QString& folder, int keep);

} // namespace backup

} // namespace store
