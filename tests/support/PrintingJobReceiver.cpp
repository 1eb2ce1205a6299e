#include "support/PrintingJobReceiver.h"

#include <QDeadlineTimer>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

namespace {

QString lastSystemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(what), QString::fromLocal8Bit(std::strerror(errno)));
}

// Waits for fd to become readable; false when the deadline passes first.
bool waitReadable(int fd, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd entry{fd, POLLIN, 0};
        const int ready = poll(&entry, 1, int(std::max<qint64>(0, deadline.remainingTime())));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

PrintingJobReceiver::PrintingJobReceiver()
{
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        m_error = lastSystemError("socket");
        return;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0; // any free port
    socklen_t length = sizeof(address);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        m_error = lastSystemError("listen");
        close(listener);
        return;
    }
    m_listener = listener;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

PrintingJobReceiver::~PrintingJobReceiver()
{
    m_stopping = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listener >= 0)
        close(m_listener);
}

void PrintingJobReceiver::serve()
{
    constexpr int CheckMs = 100;
    constexpr int JobMs = 60000;
    while (!m_stopping) {
        if (!waitReadable(m_listener, QDeadlineTimer(CheckMs)))
            continue;
        const int connection = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        QByteArray job;
        char buffer[65536];
        const QDeadlineTimer deadline(JobMs);
        while (!m_stopping && !deadline.hasExpired()) {
            if (!waitReadable(connection, QDeadlineTimer(CheckMs)))
                continue;
            const ssize_t got = read(connection, buffer, sizeof(buffer));
            if (got > 0)
                job.append(buffer, got);
            else if (got == 0 || errno != EINTR)
                break;
        }
        close(connection);
        // The spooler may connect without sending anything (a status check): no job.
        if (job.isEmpty())
            continue;
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(job);
        m_arrived.notify_all();
    }
}

QByteArray PrintingJobReceiver::receiveJob(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    if (!m_arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_jobs.empty(); }))
        return {};
    QByteArray job = m_jobs.front();
    m_jobs.pop_front();
    return job;
}

} // namespace testsupport
