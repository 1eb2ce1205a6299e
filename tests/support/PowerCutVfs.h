#pragma once

#include <cstdint>

namespace testsupport::powercut {

// A power cut inside the process, the way SQLite's own crash tests make one: a VFS over the
// default unix one that keeps every write in memory, as the system's cache would, until a sync
// of that file makes it durable. At the chosen write or sync (counted over all files) the power
// goes: what was not synced is dropped (with tear, a random half of its 512-byte sectors still
// reach the disk) and the process ends at once with CutExitCode. Reads see the unsynced writes,
// as they would through the cache. Registered as the default VFS, so Qt's connections use it.
constexpr int CutExitCode = 77;
void install(std::int64_t cutAt, bool tear, std::uint32_t seed); // cutAt <= 0: never
std::int64_t eventsSoFar();

} // namespace testsupport::powercut
