#include "support/EscPosDecoder.h"

#include <algorithm>
#include <vector>

namespace testsupport {

namespace {

// The paper under the head: rows of dots, growing as it is printed on.
class Paper
{
public:
    void setDot(int x, int y)
    {
        if (int(m_rows.size()) <= y)
            m_rows.resize(std::size_t(y) + 1);
        std::vector<bool>& row = m_rows[std::size_t(y)];
        if (int(row.size()) <= x)
            row.resize(std::size_t(x) + 1);
        row[std::size_t(x)] = true;
        m_width = std::max(m_width, x + 1);
    }
    void widen(int dots) { m_width = std::max(m_width, dots); }
    void feed(int rows) { m_position += rows; }
    int position() const { return m_position; }
    bool isBlank() const { return m_position == 0 && m_rows.empty(); }

    QImage take()
    {
        const int height = std::max(m_position, int(m_rows.size()));
        QImage picture(std::max(1, m_width), std::max(1, height), QImage::Format_Mono);
        picture.setColor(0, qRgb(255, 255, 255));
        picture.setColor(1, qRgb(0, 0, 0));
        picture.fill(0);
        for (std::size_t y = 0; y < m_rows.size(); ++y) {
            for (std::size_t x = 0; x < m_rows[y].size(); ++x) {
                if (m_rows[y][x])
                    picture.setPixel(int(x), int(y), 1);
            }
        }
        *this = Paper();
        return picture;
    }

private:
    std::vector<std::vector<bool>> m_rows;
    int m_width = 0;
    int m_position = 0;
};

class Reader
{
public:
    explicit Reader(const QByteArray& bytes) : m_bytes(bytes) {}
    bool atEnd() const { return m_at >= m_bytes.size(); }
    bool has(qsizetype count) const { return m_at + count <= m_bytes.size(); }
    int byte() { return uchar(m_bytes.at(m_at++)); }
    qsizetype offset() const { return m_at; }

private:
    const QByteArray& m_bytes;
    qsizetype m_at = 0;
};

} // namespace

EscPosDecoding decodeEscPos(const QByteArray& job, int feedUnitsPerRow)
{
    EscPosDecoding result;
    Paper paper;
    Reader in(job);
    bool columnsAwaitFeed = false;
    const auto fail = [&](const QString& why) {
        result.error = QStringLiteral("byte %1: %2").arg(in.offset()).arg(why);
    };
    while (!in.atEnd() && result.error.isEmpty()) {
        const int first = in.byte();
        if (first == 0x0a) {
            result.commands += 'L';
            continue;
        }
        if ((first != 0x1b && first != 0x1d) || !in.has(1)) {
            fail(QStringLiteral("not a command: 0x%1").arg(first, 2, 16, QLatin1Char('0')));
            break;
        }
        const int command = in.byte();
        if (first == 0x1b && command == '@') {
            result.commands += '@';
            ++result.initialisations;
        } else if (first == 0x1d && command == 'v') {
            if (!in.has(6) || in.byte() != '0') {
                fail(QStringLiteral("GS v without 0"));
                break;
            }
            in.byte(); // m: normal size
            const int bytesPerRow = in.byte() | in.byte() << 8;
            const int rows = in.byte() | in.byte() << 8;
            if (!in.has(qsizetype(bytesPerRow) * rows)) {
                fail(QStringLiteral("GS v 0 image cut short"));
                break;
            }
            result.commands += 'v';
            result.rasterBandRows << rows;
            result.rasterBandDots << bytesPerRow * 8;
            paper.widen(bytesPerRow * 8);
            for (int y = 0; y < rows; ++y) {
                for (int b = 0; b < bytesPerRow; ++b) {
                    const int bits = in.byte();
                    for (int bit = 0; bit < 8; ++bit) {
                        if (bits & (0x80 >> bit))
                            paper.setDot(b * 8 + bit, paper.position() + y);
                    }
                }
            }
            paper.feed(rows);
        } else if (first == 0x1b && command == '*') {
            if (!in.has(3)) {
                fail(QStringLiteral("ESC * cut short"));
                break;
            }
            const int density = in.byte();
            const int columns = in.byte() | in.byte() << 8;
            if ((density != 0 && density != 1) || !in.has(columns)) {
                fail(QStringLiteral("ESC * with m=%1 or its columns cut short").arg(density));
                break;
            }
            if (columnsAwaitFeed)
                result.columnsFedUnevenly = true;
            result.commands += '*';
            result.columnBandDensities << density;
            result.columnBandDots << columns;
            paper.widen(columns);
            for (int x = 0; x < columns; ++x) {
                const int pins = in.byte();
                for (int pin = 0; pin < 8; ++pin) {
                    if (pins & (0x80 >> pin))
                        paper.setDot(x, paper.position() + pin);
                }
            }
            columnsAwaitFeed = true;
        } else if (first == 0x1b && command == 'J') {
            if (!in.has(1)) {
                fail(QStringLiteral("ESC J cut short"));
                break;
            }
            const int units = in.byte();
            result.commands += 'J';
            if (units % feedUnitsPerRow != 0 || (columnsAwaitFeed && units != 8 * feedUnitsPerRow))
                result.columnsFedUnevenly = true;
            paper.feed(units / feedUnitsPerRow);
            columnsAwaitFeed = false;
        } else if (first == 0x1b && command == 'd') {
            if (!in.has(1)) {
                fail(QStringLiteral("ESC d cut short"));
                break;
            }
            in.byte();
            result.commands += 'd';
            ++result.tearFeeds;
            result.papers << paper.take();
        } else if (first == 0x1d && command == 'V') {
            if (!in.has(1)) {
                fail(QStringLiteral("GS V cut short"));
                break;
            }
            const int mode = in.byte();
            if (mode == 65 || mode == 66) {
                if (!in.has(1)) {
                    fail(QStringLiteral("GS V %1 without n").arg(mode));
                    break;
                }
                in.byte();
            } else if (mode != 0 && mode != 1 && mode != 48 && mode != 49) {
                fail(QStringLiteral("GS V with m=%1").arg(mode));
                break;
            }
            if (columnsAwaitFeed)
                result.columnsFedUnevenly = true;
            result.commands += 'V';
            ++result.cuts;
            result.papers << paper.take();
        } else if (first == 0x1b && command == 'p') {
            if (!in.has(3)) {
                fail(QStringLiteral("ESC p cut short"));
                break;
            }
            QByteArray pulse;
            for (int i = 0; i < 3; ++i)
                pulse.append(char(in.byte()));
            result.commands += 'p';
            result.drawerPulses << pulse;
        } else {
            fail(QStringLiteral("unknown command 0x%1 0x%2")
                     .arg(first, 2, 16, QLatin1Char('0'))
                     .arg(command, 2, 16, QLatin1Char('0')));
        }
    }
    if (!paper.isBlank())
        result.papers << paper.take();
    return result;
}

bool blackDot(const QImage& picture, int x, int y)
{
    if (picture.format() == QImage::Format_Mono || picture.format() == QImage::Format_MonoLSB)
        return picture.pixelIndex(x, y) == 1;
    return qGray(picture.pixel(x, y)) < 128;
}

std::pair<int, int> inkColumns(const QImage& dots)
{
    int left = dots.width(), right = -1;
    for (int y = 0; y < dots.height(); ++y) {
        for (int x = 0; x < dots.width(); ++x) {
            if (blackDot(dots, x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return {left, right};
}

QString dotDifference(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1×%2, expected %3×%4")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    int differing = 0;
    QString first;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            if (blackDot(actual, x, y) != blackDot(expected, x, y)) {
                if (differing++ == 0)
                    first = QStringLiteral("%1,%2").arg(x).arg(y);
            }
        }
    }
    return differing == 0 ? QString() : QStringLiteral("%1 dots differ, first at %2").arg(differing).arg(first);
}

bool savePicture(const QImage& picture, const QString& path)
{
    return picture.convertToFormat(QImage::Format_RGB32).save(path);
}

} // namespace testsupport
