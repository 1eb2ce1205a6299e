#include "support/FileSizeLimit.h"

namespace testsupport {

FileSizeLimit::FileSizeLimit(rlim_t limit)
{
    getrlimit(RLIMIT_FSIZE, &m_previous);
    // Ignored, the signal would end the process; ignored, the write comes back short instead.
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = m_previous;
    lowered.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &lowered);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_previous);
    std::signal(SIGXFSZ, m_previousHandler);
}

} // namespace testsupport
