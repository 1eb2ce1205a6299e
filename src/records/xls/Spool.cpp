#include "records/xls/Spool.h"

#include "records/xls/Bytes.h"
#include "records/xls/WorkbookRecords.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace records::xls {

namespace {

constexpr qsizetype CopyChunkSize = 256 * 1024;

} // namespace

Spool::Spool(const QString& target, const QString& purpose) : m_target(target)
{
    const QFileInfo info(target);
    m_file.setFileTemplate(info.absoluteDir().filePath(QStringLiteral(".%1.%2.XXXXXX").arg(info.fileName(), purpose)));
    m_buffer.reserve(FlushSize + MaxRecordData);
}

void Spool::flushIfFull()
{
    if (m_buffer.size() >= FlushSize)
        flush();
}

void Spool::open()
{
    if (!m_file.open()) {
        m_failure = writeFailure(m_target, m_file.errorString()).message();
        throw core::Error(m_failure);
    }
}

void Spool::flush()
{
    if (!m_failure.isEmpty())
        throw core::Error(m_failure);
    if (!m_file.isOpen())
        open();
    const bool written = m_file.write(m_buffer) == m_buffer.size() && m_file.flush();
    if (!written) {
        m_failure = writeFailure(m_target, m_file.errorString()).message();
        throw core::Error(m_failure);
    }
    m_flushed += m_buffer.size();
    m_buffer.resize(0); // keeps the capacity for the next rows
}

void Spool::copyTo(Output& out, qint64 from, qint64 to)
{
    flush();
    if (!m_file.seek(from))
        throw writeFailure(m_target, m_file.errorString());
    QByteArray chunk;
    for (qint64 left = to - from; left > 0;) {
        chunk = m_file.read(std::min<qint64>(left, CopyChunkSize));
        if (chunk.isEmpty())
            throw writeFailure(m_target, m_file.errorString());
        out.write(chunk);
        left -= chunk.size();
    }
    m_file.seek(m_file.size());
}

} // namespace records::xls
