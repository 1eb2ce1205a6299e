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
}

PrintingJobReceiver::~PrintingJobReceiver()
{
    if (m_listener >= 0)
        close(m_listener);
}

QByteArray PrintingJobReceiver::receiveJob(int timeoutMs)
{
    if (m_listener < 0)
        return {};
    const QDeadlineTimer deadline(timeoutMs);
    if (!waitReadable(m_listener, deadline))
        return {};
    const int connection = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0)
        return {};
    QByteArray job;
    char buffer[65536];
    while (waitReadable(connection, deadline)) {
        const ssize_t got = read(connection, buffer, sizeof(buffer));
        if (got > 0)
            job.append(buffer, got);
        else if (got == 0 || errno != EINTR)
            break;
    }
    close(connection);
    return job;
}

} // namespace testsupport
