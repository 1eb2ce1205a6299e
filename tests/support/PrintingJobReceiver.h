#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace testsupport {

// Stands in for a network receipt printer: listens on 127.0.0.1 at a free port, as such printers
// listen on port 9100, and takes each print job as one connection read to its end. It reads in a
// thread of its own from the start, as a printer does, so the spooler sees each job finish.
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
    void serve();

    int m_listener = -1;
    int m_port = 0;
    QString m_error;
    std::atomic<bool> m_stopping{false};
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<QByteArray> m_jobs;
    std::thread m_thread;
};

} // namespace testsupport
