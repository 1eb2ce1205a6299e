#pragma once

#include "records/xls/Spool.h"
#include "records/xls/WorkbookRecords.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

namespace records::xls {

class Output;

// The shared string table (SST), laid out into SST and CONTINUE records as strings arrive, and the EXTSST index
// into it. Recently seen short strings are shared; the cache is bounded so memory stays flat.
class SharedStrings
{
public:
    explicit SharedStrings(const QString& target);

    quint32 indexOf(const QString& text);
    void close();
    qint64 byteSize() const { return m_spool.size(); }
    void copyTo(Output& out, quint32 references);
    QByteArray extSst(qint64 sstPosition) const;

private:
    struct BucketStart
    {
        qint64 offset;          // from the start of the SST record
        quint16 offsetInRecord; // from the start of the record holding it, header included
    };
    static constexpr int MaxBuckets = 1024; // EXTSST must fit in one record
    static constexpr int MaxCachedLength = 255;
    static constexpr int MaxCachedStrings = 8192;

    void append(const QString& text);
    void noteBucketStart();
    void closeRecord();

    Spool m_spool;
    QByteArray m_record; // body of the record being filled; the first one starts with the two counts
    quint16 m_recordType = RecSst;
    quint32 m_unique = 0;
    bool m_closed = false;
    QHash<QString, quint32> m_recent;
    QVector<BucketStart> m_buckets;
    int m_bucketStep = 8;
};

} // namespace records::xls
