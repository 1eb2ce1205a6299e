#pragma once

#include <csignal>
#include <sys/resource.h>

namespace testsupport {

// While one lives, no file of this process can grow past limit bytes: writes beyond it come back
// short, as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};

} // namespace testsupport
