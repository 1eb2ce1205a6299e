#include "store/Backup.h"

#include "core/Error.h"
#include "store/SqliteHandle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace store::backup {

namespace {

const QString PartSuffix = QStringLiteral(".part");
const QString StateFileName = QStringLiteral(".last-copy");
// Pages per step of a copy: a few milliseconds of work, so an abandon is heard at once.
constexpr int PagesPerStep = 1024;
constexpr qint64 BytesPerChunk = 1 << 20;

const QRegularExpression& rotationName()
{
    static const QRegularExpression name(QStringLiteral("^data-(\\d{8})-(\\d{6})\\.mdb$"));
    return name;
}

const QRegularExpression& anyCopyName()
{
    static const QRegularExpression name(QStringLiteral("^data-(?:before-[^/]+-)?(\\d{8})-(\\d{6})\\.mdb$"));
    return name;
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

std::function<qint64(const QString&)>& freeSpaceAnswer()
{
    static std::function<qint64(const QString&)> answer;
    return answer;
}

// One SQLite handle of our own, closed however we leave.
using Handle = SqliteHandle;

// While it lives, the abandon interrupts this handle.
class Watched
{
public:
    Watched(Abandon* abandon, sqlite3* handle) : m_abandon(abandon)
    {
        if (m_abandon)
            m_abandon->watch(handle);
    }
    ~Watched()
    {
        if (m_abandon)
            m_abandon->watch(nullptr);
    }
    Watched(const Watched&) = delete;
    Watched& operator=(const Watched&) = delete;

private:
    Abandon* m_abandon;
};

void throwIfAbandoned(Abandon* abandon)
{
    if (abandon && abandon->requested())
        throw Abandoned();
}

// The engine's code in the words a shopkeeper can act on, with the engine's own text after it.
QString reasonFor(int code, const QString& engineText)
{
    switch (code & 0xFF) {
    case SQLITE_FULL:
        return QStringLiteral("磁盘已满（%1）").arg(engineText);
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return QStringLiteral("文件夹不能写入（%1）").arg(engineText);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("数据库文件正被占用（%1）").arg(engineText);
    default:
        return engineText;
    }
}

Error writeFailure(const QString& path, int code, const QString& engineText)
{
    return Error(QStringLiteral("无法写入备份文件 %1：%2").arg(native(path), reasonFor(code, engineText)));
}

void requireFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        throw Error(QStringLiteral("无法建立备份文件夹 %1：同名的文件已经存在").arg(native(folder)));
    if (!QDir().mkpath(folder))
        throw Error(QStringLiteral("无法建立备份文件夹 %1：文件夹不能写入或磁盘已满").arg(native(folder)));
}

// What a copy interrupted by a power cut, a kill or an exit left behind.
void removeUnfinished(const QString& folder)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral("data-*.mdb.part*")}, QDir::Files | QDir::Hidden);
    for (const QString& name : names)
        QFile::remove(dir.filePath(name));
}

// A rename is durable only once the folder that holds the names is synced.
void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

void runStepwise(sqlite3_backup* job, Abandon* abandon, const QString& target, sqlite3* copy)
{
    int stepped = SQLITE_OK;
    while (stepped == SQLITE_OK || stepped == SQLITE_BUSY || stepped == SQLITE_LOCKED) {
        if (abandon && abandon->requested()) {
            sqlite3_backup_finish(job);
            throw Abandoned();
        }
        stepped = sqlite3_backup_step(job, PagesPerStep);
        if (stepped == SQLITE_BUSY || stepped == SQLITE_LOCKED)
            sqlite3_sleep(20);
    }
    const int finished = sqlite3_backup_finish(job);
    if (stepped != SQLITE_DONE)
        throw writeFailure(target, stepped, QString::fromUtf8(sqlite3_errstr(stepped)));
    if (finished != SQLITE_OK)
        throw writeFailure(target, finished, QString::fromUtf8(sqlite3_errmsg(copy)));
}

// The database in steps of pages, all inside one read transaction held on the source, so the
// copy is what was committed when that transaction began however many sales follow meanwhile
// (without it each step would see the newest data and the copy would start over). The copy is
// left in rollback-journal mode, a single file that can be copied back as it stands.
void copyDatabase(const QString& databasePath, const QString& target, Abandon* abandon)
{
    Handle source;
    if (source.open(databasePath, SQLITE_OPEN_READONLY) != SQLITE_OK)
        throw Error(QStringLiteral("无法读取数据库文件 %1：%2").arg(native(databasePath), source.lastError()));
    sqlite3_busy_timeout(source.get(), 3000);
    if (source.exec("BEGIN") != SQLITE_OK || source.exec("SELECT count(*) FROM sqlite_master") != SQLITE_OK)
        throw Error(QStringLiteral("无法读取数据库文件 %1：%2").arg(native(databasePath), source.lastError()));

    Handle copy;
    if (const int rc = copy.open(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE); rc != SQLITE_OK)
        throw writeFailure(target, rc, copy.lastError());
    sqlite3_backup* job = sqlite3_backup_init(copy.get(), "main", source.get(), "main");
    if (!job)
        throw writeFailure(target, sqlite3_errcode(copy.get()), copy.lastError());
    runStepwise(job, abandon, target, copy.get());
    source.exec("COMMIT");
    throwIfAbandoned(abandon);
    char* error = nullptr;
    const int rc = sqlite3_exec(copy.get(), "PRAGMA journal_mode = DELETE", nullptr, nullptr, &error);
    const QString text = error ? QString::fromUtf8(error) : QString();
    sqlite3_free(error);
    if (rc != SQLITE_OK)
        throw writeFailure(target, rc, text);
}

// How a copy is checked: the rotation's copies fully; a kept copy, made just before a change and
// checked in full again before it is ever restored, by quick_check, which reads every page and
// its structure but not each index against its table (the copy's pages are the source's own).
enum class Check
{
    Full,
    Quick
};

// Read back from the file itself, not from the page cache of the connection that wrote it.
void requireIntact(const QString& target, const QString& finalName, Abandon* abandon, Check how = Check::Full)
{
    Handle copy;
    if (copy.open(target, SQLITE_OPEN_READONLY) != SQLITE_OK)
        throw Error(QStringLiteral("备份文件 %1 无法打开检查：%2").arg(native(finalName), copy.lastError()));
    const Watched watched(abandon, copy.get());
    throwIfAbandoned(abandon);
    sqlite3_stmt* check = nullptr;
    const char* statement = how == Check::Full ? "PRAGMA integrity_check" : "PRAGMA quick_check";
    if (sqlite3_prepare_v2(copy.get(), statement, -1, &check, nullptr) != SQLITE_OK)
        throw Error(QStringLiteral("备份文件 %1 无法检查：%2").arg(native(finalName), copy.lastError()));
    QStringList findings;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(check)) == SQLITE_ROW)
        findings << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
    sqlite3_finalize(check);
    throwIfAbandoned(abandon);
    if (rc != SQLITE_DONE)
        findings << copy.lastError();
    if (findings != QStringList{QStringLiteral("ok")})
        throw Error(QStringLiteral("备份文件 %1 没有通过完整性检查：%2")
                        .arg(native(finalName), excerptForMessage(findings.join(QStringLiteral("；")))));
}

// Byte for byte in chunks, each one a chance to stop; synced before it counts.
void copyFileStepwise(const QString& from, const QString& to, Abandon* abandon)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("无法读取备份文件 %1：%2").arg(native(from), in.errorString()));
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(QStringLiteral("无法写入备份文件 %1：文件夹不能写入（%2）").arg(native(to), out.errorString()));
    while (!in.atEnd()) {
        throwIfAbandoned(abandon);
        const QByteArray chunk = in.read(BytesPerChunk);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            throw Error(QStringLiteral("无法读取备份文件 %1：%2").arg(native(from), in.errorString()));
        if (out.write(chunk) != chunk.size())
            throw Error(QStringLiteral("无法写入备份文件 %1：磁盘已满或不能写入（%2）").arg(native(to), out.errorString()));
    }
    if (!out.flush() || ::fsync(out.handle()) != 0)
        throw Error(QStringLiteral("无法写入备份文件 %1：磁盘已满或不能写入").arg(native(to)));
}

QString finishCopy(const QString& partPath, const QString& finalPath)
{
    // rename() replaces a copy of the same name in one step; QFile::rename would refuse.
    if (std::rename(QFile::encodeName(partPath).constData(), QFile::encodeName(finalPath).constData()) != 0)
        throw Error(QStringLiteral("无法写入备份文件 %1：文件夹不能写入").arg(native(finalPath)));
    syncFolder(QFileInfo(finalPath).absolutePath());
    return finalPath;
}

// The copy and its check on a thread of their own while `alongside` runs on this one; both must
// succeed. The copy reads in one read transaction, so in WAL mode it holds what was committed
// before, whatever `alongside` writes and has not committed yet.
template <typename Making>
void copyAlongside(Making& writePart, const QString& partPath, const QString& finalPath, Check how,
                   const std::function<void()>& alongside)
{
    std::exception_ptr copyFailure;
    std::thread copying([&] {
        try {
            writePart(partPath);
            requireIntact(partPath, finalPath, nullptr, how);
        } catch (...) {
            copyFailure = std::current_exception();
        }
    });
    try {
        alongside();
    } catch (...) {
        copying.join();
        throw;
    }
    copying.join();
    if (copyFailure)
        std::rethrow_exception(copyFailure);
}

template <typename Making> QString makeCheckedCopy(const QString& folder, const QString& fileName, Abandon* abandon,
                                                   Making&& writePart, Check how = Check::Full,
                                                   const std::function<void()>& alongside = {})
{
    removeUnfinished(folder);
    const QString finalPath = QDir(folder).filePath(fileName);
    const QString partPath = finalPath + PartSuffix;
    try {
        if (alongside) {
            copyAlongside(writePart, partPath, finalPath, how, alongside);
        } else {
            writePart(partPath);
            requireIntact(partPath, finalPath, abandon, how);
        }
        return finishCopy(partPath, finalPath);
    } catch (...) {
        removeUnfinished(folder);
        throw;
    }
}

QString hexOf(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex());
}

// The write-ahead log's header and its last valid commit frame: frames of an earlier round of
// the log carry other salts and do not count.
QString logStateOf(const QString& walPath)
{
    QFile wal(walPath);
    if (!wal.open(QIODevice::ReadOnly) || wal.size() < 32)
        return QStringLiteral("-");
    const QByteArray header = wal.read(32);
    const auto word = [](const QByteArray& bytes, int at) {
        return (quint32(quint8(bytes[at])) << 24) | (quint32(quint8(bytes[at + 1])) << 16) |
               (quint32(quint8(bytes[at + 2])) << 8) | quint32(quint8(bytes[at + 3]));
    };
    const qint64 pageSize = word(header, 8);
    if (pageSize < 512 || pageSize > 65536)
        return hexOf(header);
    const QByteArray salts = header.mid(16, 8);
    qint64 lastCommit = 0;
    QByteArray lastChecksum;
    for (qint64 frame = 1;; ++frame) {
        const qint64 at = 32 + (frame - 1) * (pageSize + 24);
        if (at + 24 + pageSize > wal.size() || !wal.seek(at))
            break;
        const QByteArray frameHeader = wal.read(24);
        if (frameHeader.size() < 24 || frameHeader.mid(8, 8) != salts)
            break;
        if (word(frameHeader, 4) != 0) {
            lastCommit = frame;
            lastChecksum = frameHeader.mid(16, 8);
        }
    }
    return QStringLiteral("%1:%2:%3").arg(hexOf(header)).arg(lastCommit).arg(hexOf(lastChecksum));
}

} // namespace

void Abandon::request()
{
    m_requested = true;
    const std::lock_guard lock(m_mutex);
    if (m_watched)
        sqlite3_interrupt(m_watched);
}

void Abandon::watch(sqlite3* handle)
{
    const std::lock_guard lock(m_mutex);
    m_watched = handle;
    if (m_watched && m_requested)
        sqlite3_interrupt(m_watched);
}

Abandoned::Abandoned() : Error(QStringLiteral("备份已中止，下次启动时再做")) {}

QString folderFor(const QString& databasePath)
{
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("备份"));
}

QString fileNameFor(const QDateTime& at)
{
    return at.toString(QStringLiteral("'data-'yyyyMMdd-HHmmss'.mdb'"));
}

QString keptFileNameFor(const QString& occasion, const QDateTime& at)
{
    return QStringLiteral("data-before-%1-").arg(occasion) + at.toString(QStringLiteral("yyyyMMdd-HHmmss'.mdb'"));
}

namespace {

// The names hold the time with fixed widths, so within one kind their order is the order in time.
QStringList filesNamed(const QString& folder, const QRegularExpression& names)
{
    QStringList found;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        if (names.match(name).hasMatch())
            found << dir.filePath(name);
    }
    return found;
}

} // namespace

QStringList backupsIn(const QString& folder)
{
    return filesNamed(folder, rotationName());
}

QStringList allCopiesIn(const QString& folder)
{
    QStringList found = filesNamed(folder, anyCopyName());
    std::sort(found.begin(), found.end(),
              [](const QString& a, const QString& b) { return takenAt(a) < takenAt(b); });
    return found;
}

QDateTime takenAt(const QString& copyPath)
{
    const QRegularExpressionMatch match = anyCopyName().match(QFileInfo(copyPath).fileName());
    if (!match.hasMatch())
        return {};
    return QDateTime::fromString(match.captured(1) + match.captured(2), QStringLiteral("yyyyMMddHHmmss"));
}

bool hasBackupOf(const QString& folder, QDate day)
{
    const QString date = day.toString(QStringLiteral("yyyyMMdd"));
    for (const QString& path : backupsIn(folder)) {
        if (rotationName().match(QFileInfo(path).fileName()).captured(1) == date)
            return true;
    }
    return false;
}

QString makeBackupNamed(const QString& databasePath, const QString& folder, const QString& fileName, Abandon* abandon)
{
    requireFolder(folder);
    return makeCheckedCopy(folder, fileName, abandon,
                           [&](const QString& part) { copyDatabase(databasePath, part, abandon); });
}

QString makeKeptCopy(const QString& databasePath, const QString& occasion, const QDateTime& at,
                     const std::function<void()>& alongside)
{
    const QString folder = folderFor(databasePath);
    requireFolder(folder);
    return makeCheckedCopy(
        folder, keptFileNameFor(occasion, at), nullptr,
        [&](const QString& part) { copyDatabase(databasePath, part, nullptr); }, Check::Quick, alongside);
}

QString makeBackup(const QString& databasePath, const QString& folder, const QDateTime& at, Abandon* abandon)
{
    const QString path = makeBackupNamed(databasePath, folder, fileNameFor(at), abandon);
    removeOldBackups(folder);
    return path;
}

QString copyFinishedBackup(const QString& copyPath, const QString& folder, Abandon* abandon)
{
    if (!QFileInfo(folder).isDir())
        throw Error(QStringLiteral("找不到备份文件夹 %1").arg(native(folder)));
    return makeCheckedCopy(folder, QFileInfo(copyPath).fileName(), abandon,
                           [&](const QString& part) { copyFileStepwise(copyPath, part, abandon); });
}

QStringList beyondRetention(const QStringList& names)
{
    struct Dated
    {
        QString name;
        QDateTime at;
    };
    std::vector<Dated> copies;
    for (const QString& name : names) {
        const QDateTime at = takenAt(name);
        if (at.isValid() && rotationName().match(QFileInfo(name).fileName()).hasMatch())
            copies.push_back({name, at});
    }
    std::sort(copies.begin(), copies.end(), [](const Dated& a, const Dated& b) { return a.at > b.at; });

    // Newest first: a copy is kept when it is the first seen of a day, week or month that still
    // has room in its count.
    struct Bucket
    {
        int left;
        qint64 last = -1;
    };
    Bucket days{KeptDays}, weeks{KeptWeeks}, months{KeptMonths};
    const auto takes = [](Bucket& bucket, qint64 key) {
        if (bucket.left == 0 || key == bucket.last)
            return false;
        bucket.last = key;
        --bucket.left;
        return true;
    };
    QStringList beyond;
    for (const Dated& copy : copies) {
        const QDate day = copy.at.date();
        const qint64 monday = day.addDays(1 - day.dayOfWeek()).toJulianDay();
        const qint64 month = day.year() * 12 + day.month();
        const bool byDay = takes(days, day.toJulianDay());
        const bool byWeek = takes(weeks, monday);
        const bool byMonth = takes(months, month);
        if (!byDay && !byWeek && !byMonth)
            beyond << copy.name;
    }
    return beyond;
}

QStringList removeOldBackups(const QString& folder)
{
    QStringList removed;
    for (const QString& path : beyondRetention(backupsIn(folder))) {
        if (QFile::remove(path))
            removed << path;
    }
    return removed;
}

qint64 dataSizeOf(const QString& databasePath)
{
    return QFileInfo(databasePath).size() + QFileInfo(databasePath + QStringLiteral("-wal")).size();
}

qint64 freeBytesIn(const QString& folder)
{
    if (freeSpaceAnswer())
        return freeSpaceAnswer()(folder);
    // The folder may not exist yet: the disk it will be made on is the one that counts.
    QString existing = QFileInfo(folder).absoluteFilePath();
    while (!QFileInfo(existing).exists() && QFileInfo(existing).absolutePath() != existing)
        existing = QFileInfo(existing).absolutePath();
    return QStorageInfo(existing).bytesAvailable();
}

void requireRoomFor(const QString& databasePath, const QString& folder)
{
    const qint64 data = dataSizeOf(databasePath);
    const qint64 free = freeBytesIn(folder);
    const qint64 needed = data + 2 * data;
    if (free >= needed)
        return;
    const auto megabytes = [](qint64 bytes) { return QString::number(double(bytes) / (1 << 20), 'f', 1); };
    throw NoRoom(QStringLiteral("%1 所在的磁盘只剩 %2 MB，备份需要 %3 MB，还要留出数据大小的两倍")
                     .arg(native(folder), megabytes(std::max<qint64>(free, 0)), megabytes(needed)));
}

FreeSpaceOverride::FreeSpaceOverride(std::function<qint64(const QString&)> answer) : m_previous(freeSpaceAnswer())
{
    freeSpaceAnswer() = std::move(answer);
}

FreeSpaceOverride::~FreeSpaceOverride()
{
    freeSpaceAnswer() = std::move(m_previous);
}

QString stateOf(const QString& databasePath)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(databasePath).constData(), &info) != 0)
        return {};
    return QStringLiteral("%1:%2:%3:%4.%5|%6")
        .arg(info.st_dev)
        .arg(info.st_ino)
        .arg(info.st_size)
        .arg(info.st_mtim.tv_sec)
        .arg(info.st_mtim.tv_nsec)
        .arg(logStateOf(databasePath + QStringLiteral("-wal")));
}

namespace {

QStringList stateRecordIn(const QString& folder)
{
    QFile file(QDir(folder).filePath(StateFileName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (lines.size() < 2 || !QFileInfo::exists(QDir(folder).filePath(lines.at(0))))
        return {};
    return lines;
}

} // namespace

QString recordedStateIn(const QString& folder)
{
    const QStringList record = stateRecordIn(folder);
    return record.isEmpty() ? QString() : record.at(1);
}

QString recordedCopyIn(const QString& folder)
{
    const QStringList record = stateRecordIn(folder);
    return record.isEmpty() ? QString() : QDir(folder).filePath(record.at(0));
}

void recordState(const QString& folder, const QString& copyPath, const QString& state)
{
    // Written beside and renamed: a cut never leaves half a record that would match nothing.
    const QString path = QDir(folder).filePath(StateFileName);
    QFile file(path + PartSuffix);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write((QFileInfo(copyPath).fileName() + QLatin1Char('\n') + state + QLatin1Char('\n')).toUtf8());
    file.flush();
    ::fsync(file.handle());
    file.close();
    std::rename(QFile::encodeName(path + PartSuffix).constData(), QFile::encodeName(path).constData());
    syncFolder(folder);
}

namespace {

PlaceResult failed(PlaceResult::Kind kind, const QString& detail)
{
    return {kind, detail};
}

template <typename Making> PlaceResult copyInto(const QString& databasePath, const QString& folder, Making&& making)
{
    try {
        requireRoomFor(databasePath, folder);
        const QString made = making();
        removeOldBackups(folder);
        return {PlaceResult::Kind::Made, made};
    } catch (const Abandoned& abandoned) {
        return failed(PlaceResult::Kind::Abandoned, abandoned.message());
    } catch (const NoRoom& noRoom) {
        return failed(PlaceResult::Kind::NoRoom, noRoom.message());
    } catch (const Error& error) {
        return failed(PlaceResult::Kind::Failed, error.message());
    } catch (const std::exception& error) {
        return failed(PlaceResult::Kind::Failed, QString::fromLocal8Bit(error.what()));
    }
}

bool upToDate(const QString& folder, QDate today, const QString& state)
{
    return hasBackupOf(folder, today) || (!state.isEmpty() && recordedStateIn(folder) == state);
}

} // namespace

bool dailyCopiesNeeded(const QString& databasePath, const QString& secondFolder, QDate today)
{
    const QString state = stateOf(databasePath);
    if (!upToDate(folderFor(databasePath), today, state))
        return true;
    return !secondFolder.isEmpty() && (!QFileInfo(secondFolder).isDir() || !upToDate(secondFolder, today, state));
}

DailyResult makeDailyCopies(const QString& databasePath, const QString& secondFolder, const QDateTime& now,
                            Abandon* abandon)
{
    // Taken before the copy begins: whatever is committed after it makes the next state differ.
    const QString state = stateOf(databasePath);
    const QString here = folderFor(databasePath);
    DailyResult result;
    if (!upToDate(here, now.date(), state)) {
        result.here = copyInto(databasePath, here, [&] { return makeBackup(databasePath, here, now, abandon); });
        if (result.here.kind == PlaceResult::Kind::Made)
            recordState(here, result.here.detail, state);
    }
    if (secondFolder.isEmpty() || result.here.kind == PlaceResult::Kind::Abandoned)
        return result;
    if (!QFileInfo(secondFolder).isDir()) {
        result.second = failed(PlaceResult::Kind::Missing, QStringLiteral("找不到备份的第二位置 %1").arg(native(secondFolder)));
        return result;
    }
    if (upToDate(secondFolder, now.date(), state))
        return result;
    // The copy just made here, or one of the same state, is carried over as it is.
    const QString sameState = recordedStateIn(here) == state ? recordedCopyIn(here) : QString();
    result.second = copyInto(databasePath, secondFolder, [&] {
        return sameState.isEmpty() ? makeBackupNamed(databasePath, secondFolder, fileNameFor(now), abandon)
                                   : copyFinishedBackup(sameState, secondFolder, abandon);
    });
    if (result.second.kind == PlaceResult::Kind::Made)
        recordState(secondFolder, result.second.detail, state);
    return result;
}

CopyFacts factsOf(const QString& copyPath)
{
    CopyFacts facts;
    facts.path = copyPath;
    facts.taken = takenAt(copyPath);
    facts.bytes = QFileInfo(copyPath).size();
    Handle copy;
    // Immutable: a finished copy is never written, so reading it takes no lock and leaves no journal.
    const QString uri = QStringLiteral("file:") +
                        QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(copyPath).absoluteFilePath(), "/")) +
                        QStringLiteral("?mode=ro&immutable=1");
    if (copy.open(uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI) != SQLITE_OK)
        return facts;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(copy.get(), "SELECT (SELECT user_version FROM pragma_user_version), count(*), max(时间) FROM xstj",
                           -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        facts.version = sqlite3_column_int(statement, 0);
        facts.sales = sqlite3_column_int64(statement, 1);
        if (const unsigned char* last = sqlite3_column_text(statement, 2))
            facts.lastSale = QString::fromUtf8(reinterpret_cast<const char*>(last));
    }
    sqlite3_finalize(statement);
    return facts;
}

} // namespace store::backup
