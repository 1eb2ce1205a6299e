#pragma once

#include <QByteArray>
#include <QString>

namespace records::xls {

class Output;

// A compound file (the OLE2 container of .xls files) holding one stream, which the caller writes itself between
// head() and writeTail(). Streams are stored in 512-byte sectors; a short one is padded to the size below which it
// would have to live in the mini stream, so there is none.
class CompoundFile
{
public:
    static constexpr int HeadSize = 512;

    CompoundFile(const QString& streamName, qint64 streamSize);

    QByteArray head() const;
    void writeTail(Output& out) const; // once the stream is written: its padding, the directory and the sector tables

private:
    QString m_streamName;
    qint64 m_streamSize = 0;
    qint64 m_storedSize = 0;
};

} // namespace records::xls
