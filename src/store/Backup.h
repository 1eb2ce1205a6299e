#pragma once

#include "core/Error.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <mutex>

struct sqlite3;

namespace store {

// Copies of data.mdb kept beside it in the folder 备份, named data-YYYYMMDD-HHMMSS.mdb after the
// local time they were taken. A copy is made with SQLite's online backup in one read
// transaction, so it holds exactly what was committed when it began, whatever other
// connections are writing; it counts only once PRAGMA integrity_check has passed on it.
// Copies made before an upgrade, a restore or an import are named apart (data-before-...) and
// never removed by the rotation.
namespace backup {

QString folderFor(const QString& databasePath); // 备份 beside the database file
QString fileNameFor(const QDateTime& at);       // data-YYYYMMDD-HHMMSS.mdb
QString keptFileNameFor(const QString& occasion, const QDateTime& at); // data-before-OCCASION-YYYYMMDD-HHMMSS.mdb

// The backups of the rotation in folder, oldest first (by the time in their names). Other files,
// the kept data-before-... copies among them, are not listed.
QStringList backupsIn(const QString& folder);
// Every finished copy in folder, the kept ones too, oldest first: what a restore may choose from.
QStringList allCopiesIn(const QString& folder);
QDateTime takenAt(const QString& copyPath); // from the name; invalid for other names
bool hasBackupOf(const QString& folder, QDate day);

// Stops a copy from another thread: the copy ends at its next step of pages, a running check is
// interrupted, and the unfinished file is removed. The exit uses it so it never waits long.
class Abandon
{
public:
    void request();
    bool requested() const { return m_requested.load(); }

    // The copy registers the handle whose long statement request() must interrupt.
    void watch(sqlite3* handle);

private:
    std::atomic<bool> m_requested{false};
    std::mutex m_mutex;
    sqlite3* m_watched = nullptr;
};

// Thrown when a copy was abandoned; nothing half-made is left behind.
class Abandoned : public Error
{
public:
    Abandoned();
};

// Thrown when the place has less free space than a copy needs with twice the data's size to spare.
class NoRoom : public Error
{
public:
    using Error::Error;
};

// Makes a checked copy of the database at databasePath under fileName in folder (made when
// missing; a copy of the same name is replaced) and returns its path. The copy is written in
// steps of pages inside one read transaction of the source, so it is consistent and can be
// abandoned between steps. Throws core::Error saying in words what went wrong; then nothing
// half-made is left behind and the earlier copies stay as they were.
QString makeBackupNamed(const QString& databasePath, const QString& folder, const QString& fileName,
                        Abandon* abandon = nullptr);

// The copy kept before a change of the whole file (an upgrade, an import, a restore): in 备份 as
// keptFileNameFor(occasion, at), never removed by the rotation, checked by quick_check (restoring
// it checks it in full). `alongside`, when given, runs on this thread while the copy is made and
// checked on another: the change the copy is for, written but not committed, which a database in
// WAL mode keeps out of the copy's read transaction. The copy is kept only when both succeed.
// Throws as makeBackupNamed does, or what `alongside` threw.
QString makeKeptCopy(const QString& databasePath, const QString& occasion, const QDateTime& at,
                     const std::function<void()>& alongside = {});

// A copy of the rotation named after `at`, then the rotation's old copies removed.
QString makeBackup(const QString& databasePath, const QString& folder, const QDateTime& at, Abandon* abandon = nullptr);

// Copies a finished, checked copy into another folder (the second place): written beside its
// final name, synced, checked again where it lies, then renamed. Throws as makeBackupNamed does.
QString copyFinishedBackup(const QString& copyPath, const QString& folder, Abandon* abandon = nullptr);

// Retention by age over the names of the rotation's copies: the newest copy of each of the 7
// newest days, of each of the 4 newest weeks (Monday to Sunday) and of each of the 12 newest
// months that have copies. Returns the names of those that are kept by none of these.
constexpr int KeptDays = 7;
constexpr int KeptWeeks = 4;
constexpr int KeptMonths = 12;
QStringList beyondRetention(const QStringList& names);
QStringList removeOldBackups(const QString& folder); // returns the paths it removed

// Free space: a copy is made only when the place keeps twice the data's size free after it.
qint64 dataSizeOf(const QString& databasePath); // data.mdb with its write-ahead log
qint64 freeBytesIn(const QString& folder);
void requireRoomFor(const QString& databasePath, const QString& folder); // throws NoRoom

// Tests answer the free space of a folder through this while it lives.
class FreeSpaceOverride
{
public:
    explicit FreeSpaceOverride(std::function<qint64(const QString& folder)> answer);
    ~FreeSpaceOverride();
    FreeSpaceOverride(const FreeSpaceOverride&) = delete;
    FreeSpaceOverride& operator=(const FreeSpaceOverride&) = delete;

private:
    std::function<qint64(const QString&)> m_previous;
};

// What was written to the database, told from its files without reading the data: data.mdb's
// identity, size and modification time, and the write-ahead log's header and its last commit
// frame's checksum (every commit adds a frame with a new cumulative checksum). Equal states mean
// nothing was committed in between; a checkpoint alone may change it, which costs one copy more.
QString stateOf(const QString& databasePath);
// The state of the newest copy a folder holds, as recorded beside the copies when it was made;
// empty when the recorded copy is gone.
QString recordedStateIn(const QString& folder);
QString recordedCopyIn(const QString& folder);
void recordState(const QString& folder, const QString& copyPath, const QString& state);

// The day's copies, made in the background at the first start of a day: one in 备份 and one in
// the second place when one is chosen (empty secondFolder: none). A place gets no copy when it
// already has one of today or holds a copy of the current state; it is never made when the place
// lacks the room. The second place is never created: a missing folder is a missing stick.
struct PlaceResult
{
    enum class Kind
    {
        Made,
        UpToDate,
        NoRoom,
        Missing,
        Failed,
        Abandoned
    };
    Kind kind = Kind::UpToDate;
    QString detail; // the copy made, or what went wrong in words
};
struct DailyResult
{
    PlaceResult here;
    PlaceResult second; // UpToDate when no second place is chosen
};
// Whether makeDailyCopies has anything to do or to tell; asked before starting it.
bool dailyCopiesNeeded(const QString& databasePath, const QString& secondFolder, QDate today);
DailyResult makeDailyCopies(const QString& databasePath, const QString& secondFolder, const QDateTime& now,
                            Abandon* abandon = nullptr);

// What a restore lists about a copy; read from the file, never written.
struct CopyFacts
{
    QString path;
    QDateTime taken;
    qint64 bytes = 0;
    qint64 sales = -1;  // -1 when the file cannot be read as one of this program's
    QString lastSale;   // 时间 of the newest sale, empty when none
    int version = 0;
};
CopyFacts factsOf(const QString& copyPath);

} // namespace backup

} // namespace store
