#include "records/xls/CompoundFile.h"

#include "records/xls/Bytes.h"

#include <algorithm>

namespace records::xls {

namespace {

constexpr int SectorSize = 512;
constexpr qint64 MinRegularStreamSize = 4096; // smaller streams would have to live in the mini stream
constexpr quint32 FreeSect = 0xFFFFFFFF;
constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 FatSect = 0xFFFFFFFD;
constexpr quint32 DifSect = 0xFFFFFFFC;
constexpr quint32 NoStream = 0xFFFFFFFF;
constexpr quint32 EntriesPerFatSector = SectorSize / 4;
constexpr quint32 FatSectorsInHeader = 109;
constexpr quint32 FatSectorsPerDifatSector = EntriesPerFatSector - 1;
static_assert(CompoundFile::HeadSize == SectorSize);

// Where everything goes: the stream from sector 0, then the directory, the FAT and
// the DIFAT sectors that list FAT sectors beyond the 109 the header holds.
struct CompoundLayout
{
    quint32 streamSectors = 0;
    quint32 fatSectors = 0;
    quint32 difatSectors = 0;

    quint32 directorySector() const { return streamSectors; }
    quint32 firstFatSector() const { return streamSectors + 1; }
    quint32 firstDifatSector() const { return firstFatSector() + fatSectors; }
    quint32 totalSectors() const { return firstDifatSector() + difatSectors; }
    quint32 fatEntry(quint32 sector) const;
};

quint32 CompoundLayout::fatEntry(quint32 sector) const
{
    if (sector + 1 < streamSectors)
        return sector + 1;
    if (sector + 1 == streamSectors || sector == directorySector())
        return EndOfChain;
    if (sector < firstDifatSector())
        return FatSect;
    if (sector < totalSectors())
        return DifSect;
    return FreeSect;
}

CompoundLayout layoutFor(qint64 streamSize)
{
    CompoundLayout layout;
    layout.streamSectors = quint32((streamSize + SectorSize - 1) / SectorSize);
    for (;;) {
        const quint32 fat = (layout.totalSectors() + EntriesPerFatSector - 1) / EntriesPerFatSector;
        const quint32 beyondHeader = fat > FatSectorsInHeader ? fat - FatSectorsInHeader : 0;
        const quint32 difat = (beyondHeader + FatSectorsPerDifatSector - 1) / FatSectorsPerDifatSector;
        if (fat == layout.fatSectors && difat == layout.difatSectors)
            return layout;
        layout.fatSectors = fat;
        layout.difatSectors = difat;
    }
}

QByteArray compoundHeader(const CompoundLayout& layout)
{
    QByteArray out;
    for (const quint8 byte : {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1})
        putU8(out, byte);
    putZeros(out, 16);   // class id
    putU16(out, 0x003E); // minor version
    putU16(out, 0x0003); // major version 3: 512-byte sectors
    putU16(out, 0xFFFE); // little-endian
    putU16(out, 9);      // sector size 2^9
    putU16(out, 6);      // mini sector size 2^6
    putZeros(out, 6);
    putU32(out, 0); // directory sector count, always 0 in version 3
    putU32(out, layout.fatSectors);
    putU32(out, layout.directorySector());
    putU32(out, 0); // no transactions
    putU32(out, quint32(MinRegularStreamSize));
    putU32(out, EndOfChain); // no mini FAT
    putU32(out, 0);
    putU32(out, layout.difatSectors > 0 ? layout.firstDifatSector() : EndOfChain);
    putU32(out, layout.difatSectors);
    for (quint32 i = 0; i < FatSectorsInHeader; ++i)
        putU32(out, i < layout.fatSectors ? layout.firstFatSector() + i : FreeSect);
    return out;
}

void putDirectoryEntry(QByteArray& out, const QString& name, quint8 type, quint32 child, quint32 start, quint32 size)
{
    QByteArray utf16Name;
    putChars(utf16Name, name.constData(), name.size(), true);
    putU16(utf16Name, 0);
    out.append(utf16Name);
    putZeros(out, 64 - utf16Name.size());
    putU16(out, quint32(utf16Name.size()));
    putU8(out, type);
    putU8(out, 1); // black in the red-black tree
    putU32(out, NoStream);
    putU32(out, NoStream);
    putU32(out, child);
    putZeros(out, 16 + 4 + 8 + 8); // class id, state bits, creation and modification times
    putU32(out, start);
    putU64(out, size);
}

void putUnusedDirectoryEntry(QByteArray& out)
{
    putZeros(out, 66 + 2);
    putU32(out, NoStream);
    putU32(out, NoStream);
    putU32(out, NoStream);
    putZeros(out, 16 + 4 + 8 + 8 + 4 + 8);
}

QByteArray directorySector(const QString& streamName, quint32 streamSize)
{
    constexpr quint8 RootType = 5;
    constexpr quint8 StreamType = 2;
    QByteArray out;
    putDirectoryEntry(out, QStringLiteral("Root Entry"), RootType, 1, EndOfChain, 0);
    putDirectoryEntry(out, streamName, StreamType, NoStream, 0, streamSize);
    putUnusedDirectoryEntry(out);
    putUnusedDirectoryEntry(out);
    return out;
}

void writeFat(Output& out, const CompoundLayout& layout)
{
    QByteArray sector;
    for (quint32 fatSector = 0; fatSector < layout.fatSectors; ++fatSector) {
        sector.clear();
        for (quint32 i = 0; i < EntriesPerFatSector; ++i)
            putU32(sector, layout.fatEntry(fatSector * EntriesPerFatSector + i));
        out.write(sector);
    }
}

void writeDifat(Output& out, const CompoundLayout& layout)
{
    QByteArray sector;
    for (quint32 difatSector = 0; difatSector < layout.difatSectors; ++difatSector) {
        sector.clear();
        for (quint32 i = 0; i < FatSectorsPerDifatSector; ++i) {
            const quint32 fatIndex = FatSectorsInHeader + difatSector * FatSectorsPerDifatSector + i;
            putU32(sector, fatIndex < layout.fatSectors ? layout.firstFatSector() + fatIndex : FreeSect);
        }
        const bool last = difatSector + 1 == layout.difatSectors;
        putU32(sector, last ? EndOfChain : layout.firstDifatSector() + difatSector + 1);
        out.write(sector);
    }
}

} // namespace

CompoundFile::CompoundFile(const QString& streamName, qint64 streamSize)
    : m_streamName(streamName), m_streamSize(streamSize), m_storedSize(std::max(streamSize, MinRegularStreamSize))
{
}

QByteArray CompoundFile::head() const
{
    return compoundHeader(layoutFor(m_storedSize));
}

void CompoundFile::writeTail(Output& out) const
{
    const CompoundLayout layout = layoutFor(m_storedSize);
    out.writeZeros(qint64(layout.streamSectors) * SectorSize - m_streamSize);
    out.write(directorySector(m_streamName, quint32(m_storedSize)));
    writeFat(out, layout);
    writeDifat(out, layout);
}

} // namespace records::xls
