#pragma once

#include "core/Error.h"

#include <QByteArray>
#include <QChar>
#include <QString>

class QSaveFile;

namespace records::xls {

// Both the workbook records and the compound file around them are little-endian throughout.
void storeLittleEndian(char* at, quint64 value, int size);
void putLittleEndian(QByteArray& out, quint64 value, int size);
void putU8(QByteArray& out, quint32 value);
void putU16(QByteArray& out, quint32 value);
void putU32(QByteArray& out, quint32 value);
void putU64(QByteArray& out, quint64 value);
void putZeros(QByteArray& out, qsizetype count);
// UTF-16 units as one byte each (only for units that fit) or as UTF-16LE.
void putChars(QByteArray& out, const QChar* chars, qsizetype count, bool wide);

core::Error writeFailure(const QString& target, const QString& reason);

// The final file, with a running count of what was written so the layout computed beforehand can be checked.
class Output
{
public:
    Output(QSaveFile& file, const QString& target) : m_file(file), m_target(target) {}

    void write(const QByteArray& bytes) { write(bytes.constData(), bytes.size()); }
    void write(const char* data, qint64 size);
    void writeZeros(qint64 count);
    qint64 position() const { return m_position; }

private:
    QSaveFile& m_file;
    QString m_target;
    qint64 m_position = 0;
};

} // namespace records::xls
