#include "support/PowerCutVfs.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <random>
#include <sqlite3.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace testsupport::powercut {

namespace {

struct PendingWrite
{
    sqlite3_int64 offset;
    std::string bytes;
};

struct State
{
    sqlite3_vfs* real = nullptr;
    sqlite3_vfs vfs{};
    std::mutex mutex;
    std::map<std::string, std::vector<PendingWrite>> unsynced; // by path: the system's cache
    std::int64_t events = 0;
    std::int64_t cutAt = 0;
    bool tear = false;
    std::mt19937 random;
};

State& state()
{
    static State s;
    return s;
}

struct CutFile
{
    sqlite3_file base;
    std::string* path; // null for files without a name, which are written through
    sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};

CutFile* cut(sqlite3_file* file)
{
    return reinterpret_cast<CutFile*>(file);
}

// The disk keeps some sectors of what was in flight.
void tearInto(const std::string& path, const std::vector<PendingWrite>& writes, std::mt19937& random)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    for (const PendingWrite& write : writes)
        for (size_t at = 0; at < write.bytes.size(); at += 512)
            if (random() % 2)
                (void)::pwrite(fd, write.bytes.data() + at, std::min<size_t>(512, write.bytes.size() - at),
                               write.offset + sqlite3_int64(at));
    ::close(fd);
}

// Called with the mutex held, before the write or sync it counts takes effect.
void countEvent()
{
    State& s = state();
    ++s.events;
    if (s.cutAt <= 0 || s.events < s.cutAt)
        return;
    if (s.tear)
        for (const auto& [path, writes] : s.unsynced)
            tearInto(path, writes, s.random);
    ::_exit(CutExitCode);
}

int flushTo(CutFile* file, std::vector<PendingWrite>& writes)
{
    for (const PendingWrite& write : writes) {
        const int rc = file->real()->pMethods->xWrite(file->real(), write.bytes.data(), int(write.bytes.size()),
                                                       write.offset);
        if (rc != SQLITE_OK)
            return rc;
    }
    writes.clear();
    return SQLITE_OK;
}

int cutClose(sqlite3_file* file)
{
    CutFile* f = cut(file);
    const int rc = f->real()->pMethods->xClose(f->real());
    delete f->path;
    return rc;
}

int cutRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset)
{
    CutFile* f = cut(file);
    int rc = f->real()->pMethods->xRead(f->real(), buffer, amount, offset);
    if (!f->path || (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ))
        return rc;
    const std::lock_guard lock(state().mutex);
    sqlite3_int64 realSize = 0;
    f->real()->pMethods->xFileSize(f->real(), &realSize);
    sqlite3_int64 size = realSize;
    for (const PendingWrite& write : state().unsynced[*f->path]) {
        size = std::max<sqlite3_int64>(size, write.offset + sqlite3_int64(write.bytes.size()));
        const sqlite3_int64 from = std::max(offset, write.offset);
        const sqlite3_int64 to = std::min(offset + amount, write.offset + sqlite3_int64(write.bytes.size()));
        if (from < to)
            std::memcpy(static_cast<char*>(buffer) + (from - offset), write.bytes.data() + (from - write.offset),
                        size_t(to - from));
    }
    return offset + amount <= size ? SQLITE_OK : SQLITE_IOERR_SHORT_READ;
}

int cutWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset)
{
    CutFile* f = cut(file);
    if (!f->path)
        return f->real()->pMethods->xWrite(f->real(), buffer, amount, offset);
    const std::lock_guard lock(state().mutex);
    countEvent();
    state().unsynced[*f->path].push_back({offset, std::string(static_cast<const char*>(buffer), size_t(amount))});
    return SQLITE_OK;
}

int cutTruncate(sqlite3_file* file, sqlite3_int64 size)
{
    CutFile* f = cut(file);
    if (f->path) {
        const std::lock_guard lock(state().mutex);
        std::vector<PendingWrite>& writes = state().unsynced[*f->path];
        std::vector<PendingWrite> kept;
        for (PendingWrite& write : writes) {
            if (write.offset >= size)
                continue;
            if (write.offset + sqlite3_int64(write.bytes.size()) > size)
                write.bytes.resize(size_t(size - write.offset));
            kept.push_back(std::move(write));
        }
        writes = std::move(kept);
    }
    return f->real()->pMethods->xTruncate(f->real(), size);
}

int cutSync(sqlite3_file* file, int flags)
{
    CutFile* f = cut(file);
    if (f->path) {
        const std::lock_guard lock(state().mutex);
        countEvent();
        if (const int rc = flushTo(f, state().unsynced[*f->path]); rc != SQLITE_OK)
            return rc;
    }
    return f->real()->pMethods->xSync(f->real(), flags);
}

int cutFileSize(sqlite3_file* file, sqlite3_int64* size)
{
    CutFile* f = cut(file);
    const int rc = f->real()->pMethods->xFileSize(f->real(), size);
    if (rc != SQLITE_OK || !f->path)
        return rc;
    const std::lock_guard lock(state().mutex);
    for (const PendingWrite& write : state().unsynced[*f->path])
        *size = std::max<sqlite3_int64>(*size, write.offset + sqlite3_int64(write.bytes.size()));
    return SQLITE_OK;
}

int cutLock(sqlite3_file* file, int level)
{
    return cut(file)->real()->pMethods->xLock(cut(file)->real(), level);
}
int cutUnlock(sqlite3_file* file, int level)
{
    return cut(file)->real()->pMethods->xUnlock(cut(file)->real(), level);
}
int cutCheckReservedLock(sqlite3_file* file, int* out)
{
    return cut(file)->real()->pMethods->xCheckReservedLock(cut(file)->real(), out);
}
int cutFileControl(sqlite3_file* file, int op, void* arg)
{
    return cut(file)->real()->pMethods->xFileControl(cut(file)->real(), op, arg);
}
int cutSectorSize(sqlite3_file* file)
{
    return cut(file)->real()->pMethods->xSectorSize(cut(file)->real());
}
int cutDeviceCharacteristics(sqlite3_file* file)
{
    return cut(file)->real()->pMethods->xDeviceCharacteristics(cut(file)->real());
}
int cutShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** out)
{
    return cut(file)->real()->pMethods->xShmMap(cut(file)->real(), region, size, extend, out);
}
int cutShmLock(sqlite3_file* file, int offset, int n, int flags)
{
    return cut(file)->real()->pMethods->xShmLock(cut(file)->real(), offset, n, flags);
}
void cutShmBarrier(sqlite3_file* file)
{
    cut(file)->real()->pMethods->xShmBarrier(cut(file)->real());
}
int cutShmUnmap(sqlite3_file* file, int deleteFlag)
{
    return cut(file)->real()->pMethods->xShmUnmap(cut(file)->real(), deleteFlag);
}
// No memory-mapped reads: every read goes through cutRead and sees the unsynced writes.
int cutFetch(sqlite3_file*, sqlite3_int64, int, void** out)
{
    *out = nullptr;
    return SQLITE_OK;
}
int cutUnfetch(sqlite3_file*, sqlite3_int64, void*)
{
    return SQLITE_OK;
}

const sqlite3_io_methods CutMethods = {
    3,           cutClose,   cutRead,        cutWrite,      cutTruncate,      cutSync,
    cutFileSize, cutLock,    cutUnlock,      cutCheckReservedLock, cutFileControl, cutSectorSize,
    cutDeviceCharacteristics, cutShmMap, cutShmLock, cutShmBarrier, cutShmUnmap, cutFetch, cutUnfetch,
};

int cutOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    CutFile* f = cut(file);
    f->base.pMethods = nullptr;
    f->path = nullptr;
    const int rc = state().real->xOpen(state().real, name, f->real(), flags, outFlags);
    if (rc != SQLITE_OK)
        return rc;
    if (name)
        f->path = new std::string(name);
    f->base.pMethods = &CutMethods;
    return SQLITE_OK;
}

int cutDelete(sqlite3_vfs*, const char* name, int syncDir)
{
    {
        const std::lock_guard lock(state().mutex);
        state().unsynced.erase(name);
    }
    return state().real->xDelete(state().real, name, syncDir);
}

} // namespace

void install(std::int64_t cutAt, bool tear, std::uint32_t seed)
{
    State& s = state();
    s.real = sqlite3_vfs_find(nullptr);
    s.vfs = *s.real;
    s.vfs.zName = "powercut";
    s.vfs.szOsFile = int(sizeof(CutFile)) + s.real->szOsFile;
    s.vfs.pNext = nullptr;
    s.vfs.xOpen = cutOpen;
    s.vfs.xDelete = cutDelete;
    s.cutAt = cutAt;
    s.tear = tear;
    s.random.seed(seed);
    sqlite3_vfs_register(&s.vfs, 1);
}

std::int64_t eventsSoFar()
{
    const std::lock_guard lock(state().mutex);
    return state().events;
}

} // namespace testsupport::powercut
