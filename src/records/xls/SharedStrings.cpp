#include "records/xls/SharedStrings.h"

#include "core/Error.h"
#include "records/xls/Bytes.h"

#include <algorithm>

namespace records::xls {

SharedStrings::SharedStrings(const QString& target) : m_spool(target, QStringLiteral("text"))
{
    putZeros(m_record, 8);
}

quint32 SharedStrings::indexOf(const QString& text)
{
    if (text.size() <= MaxCachedLength) {
        const auto found = m_recent.constFind(text);
        if (found != m_recent.cend())
            return found.value();
        if (m_recent.size() >= MaxCachedStrings)
            m_recent.clear();
    }
    const quint32 index = m_unique;
    append(text);
    if (text.size() <= MaxCachedLength)
        m_recent.insert(text, index);
    return index;
}

void SharedStrings::append(const QString& text)
{
    const bool wide = needsWideChars(text);
    const int unit = wide ? 2 : 1;
    // The string header is never split, and a record break must fall between whole surrogate pairs.
    if (MaxRecordData - m_record.size() < 3 + 2 * unit)
        closeRecord();
    noteBucketStart();
    putU16(m_record, quint32(text.size()));
    putU8(m_record, wide ? 1 : 0);
    for (qsizetype done = 0;;) {
        const qsizetype left = text.size() - done;
        qsizetype take = std::min<qsizetype>((MaxRecordData - m_record.size()) / unit, left);
        if (take < left && take > 1 && text.at(done + take - 1).isHighSurrogate())
            --take;
        putChars(m_record, text.constData() + done, take, wide);
        done += take;
        if (done == text.size())
            break;
        closeRecord();
        putU8(m_record, wide ? 1 : 0); // a continued string repeats its width flag
    }
    ++m_unique;
}

// Keeps one EXTSST entry per bucket of m_bucketStep strings; when the table is full, every other entry goes and
// the buckets double, so the entries always cover the whole table.
void SharedStrings::noteBucketStart()
{
    if (m_unique % m_bucketStep != 0)
        return;
    if (m_buckets.size() == MaxBuckets) {
        if (m_bucketStep > 0x7FFF)
            throw core::Error(QStringLiteral("导出的文字太多，超出了 xls 文件的容量，请缩小导出范围。"));
        for (int i = 0; i < MaxBuckets / 2; ++i)
            m_buckets[i] = m_buckets[2 * i];
        m_buckets.resize(MaxBuckets / 2);
        m_bucketStep *= 2;
    }
    const int inRecord = RecordHeaderSize + int(m_record.size());
    m_buckets.append({m_spool.size() + inRecord, quint16(inRecord)});
}

void SharedStrings::closeRecord()
{
    QByteArray& out = m_spool.buffer();
    putU16(out, m_recordType);
    putU16(out, quint32(m_record.size()));
    out.append(m_record);
    m_record.resize(0);
    m_recordType = RecContinue;
    m_spool.flushIfFull();
}

void SharedStrings::close()
{
    if (m_closed)
        return;
    closeRecord();
    m_spool.flush();
    m_closed = true;
}

void SharedStrings::copyTo(Output& out, quint32 references)
{
    constexpr int CountsEnd = RecordHeaderSize + 8;
    m_spool.copyTo(out, 0, RecordHeaderSize);
    QByteArray counts;
    putU32(counts, references);
    putU32(counts, m_unique);
    out.write(counts);
    m_spool.copyTo(out, CountsEnd, m_spool.size());
}

QByteArray SharedStrings::extSst(qint64 sstPosition) const
{
    QByteArray body;
    putU16(body, quint32(m_bucketStep));
    for (const BucketStart& bucket : m_buckets) {
        putU32(body, quint32(sstPosition + bucket.offset));
        putU16(body, bucket.offsetInRecord);
        putU16(body, 0);
    }
    QByteArray record;
    putRecord(record, RecExtsst, body);
    return record;
}

} // namespace records::xls
