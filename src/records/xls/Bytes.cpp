#include "records/xls/Bytes.h"

#include <QDir>
#include <QSaveFile>
#include <algorithm>

namespace records::xls {

void storeLittleEndian(char* at, quint64 value, int size)
{
    for (int i = 0; i < size; ++i)
        at[i] = char((value >> (8 * i)) & 0xFF);
}

void putLittleEndian(QByteArray& out, quint64 value, int size)
{
    char bytes[8];
    storeLittleEndian(bytes, value, size);
    out.append(bytes, size);
}

void putU8(QByteArray& out, quint32 value)
{
    putLittleEndian(out, value, 1);
}

void putU16(QByteArray& out, quint32 value)
{
    putLittleEndian(out, value, 2);
}

void putU32(QByteArray& out, quint32 value)
{
    putLittleEndian(out, value, 4);
}

void putU64(QByteArray& out, quint64 value)
{
    putLittleEndian(out, value, 8);
}

void putZeros(QByteArray& out, qsizetype count)
{
    out.append(count, '\0');
}

void putChars(QByteArray& out, const QChar* chars, qsizetype count, bool wide)
{
    const qsizetype start = out.size();
    out.resize(start + count * (wide ? 2 : 1));
    char* next = out.data() + start;
    for (qsizetype i = 0; i < count; ++i) {
        const char16_t unit = chars[i].unicode();
        *next++ = char(unit & 0xFF);
        if (wide)
            *next++ = char(unit >> 8);
    }
}

core::Error writeFailure(const QString& target, const QString& reason)
{
    return core::Error(QStringLiteral("无法写入导出文件“%1”：%2")
                           .arg(core::excerptForMessage(QDir::toNativeSeparators(target)), reason));
}

void Output::write(const char* data, qint64 size)
{
    if (m_file.write(data, size) != size)
        throw writeFailure(m_target, m_file.errorString());
    m_position += size;
}

void Output::writeZeros(qint64 count)
{
    constexpr qint64 ChunkSize = 512;
    const QByteArray zeros(ChunkSize, '\0');
    while (count > 0) {
        const qint64 part = std::min<qint64>(count, zeros.size());
        write(zeros.constData(), part);
        count -= part;
    }
}

} // namespace records::xls
