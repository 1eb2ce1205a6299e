#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryFile>

namespace records::xls {

class Output;

// Bytes that are produced row by row but only needed at finish(), kept in a temporary file beside the target.
// Once a write to it has failed its content is incomplete, so every later use fails with the same message.
class Spool
{
public:
    static constexpr qsizetype FlushSize = 256 * 1024;

    Spool(const QString& target, const QString& purpose);

    QByteArray& buffer() { return m_buffer; }
    qint64 size() const { return m_flushed + m_buffer.size(); }
    void flushIfFull();
    void flush();
    void copyTo(Output& out, qint64 from, qint64 to);

private:
    void open();

    QString m_target;
    QTemporaryFile m_file;
    QByteArray m_buffer;
    qint64 m_flushed = 0;
    QString m_failure;
};

} // namespace records::xls
