#pragma once

#include <QByteArray>
#include <QString>

namespace testsupport {

// Stands in for a network receipt printer: listens on 127.0.0.1 at a free port, as such printers
// listen on port 9100, and takes each print job as one connection read to its end.
class PrintingJobReceiver
{
public:
    PrintingJobReceiver();
    ~PrintingJobReceiver();
    PrintingJobReceiver(const PrintingJobReceiver&) = delete;
    PrintingJobReceiver& operator=(const PrintingJobReceiver&) = delete;

    bool isListening() const { return m_listener >= 0; }
    QString error() const { return m_error; }
    int port() const { return m_port; }

    // The bytes of the next job; empty when none arrives within timeoutMs.
    QByteArray receiveJob(int timeoutMs);

private:
    int m_listener = -1;
    int m_port = 0;
    QString m_error;
};

} // namespace testsupport
