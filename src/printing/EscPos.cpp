#include "printing/EscPos.h"

#include "core/Error.h"
#include "report/Report.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace printing {

namespace {

constexpr char Esc = 0x1b;
constexpr char Gs = 0x1d;

constexpr double MillimetresPerUnit = 25.4 / report::UnitsPerInch;
constexpr double ThermalDotsPerMm = 8;
// An impact head puts its 8 pins 1/72 inch apart; double density spreads 400 dots over 63.5 mm.
constexpr double ImpactRowsPerMm = 72 / 25.4;
constexpr double ImpactPrintableMm = 63.5;
constexpr int MaxRasterDots = 2048;
constexpr int MinDots = 64;
// Dots left white at either edge, so no printer loses the first or last column of ink.
constexpr int EdgeDots = 2;
// Grey levels darker than this print as a black dot: antialiased glyph edges go to the nearer side.
// An impact head's rows are three times coarser, so thin strokes come out grey: keep them.
constexpr int BlackBelow = 150;
constexpr int ImpactBlackBelow = 215;
constexpr int LinesFedWithoutCutter = 4;
// ESC p pulse: on for 25 × 2 ms, off for 250 × 2 ms, long enough for common drawer solenoids.
constexpr char DrawerOnTime = 25;
constexpr char DrawerOffTime = char(250);

struct Extent
{
    double left;
    double right;
};

// Where the page carries anything: the band area between the margins, widened by any text that
// reaches past it.
Extent printedExtent(report::Report& report)
{
    Extent extent{report::millimetresToUnits(report.leftMargin()),
                  report.pageWidth() - report::millimetresToUnits(report.rightMargin())};
    for (const report::DrawnText& text : report.layout()) {
        const double width = QFontMetricsF(text.font).horizontalAdvance(text.text);
        extent.left = std::min(extent.left, text.position.x());
        extent.right = std::max(extent.right, text.position.x() + width);
    }
    return extent;
}

void requireDots(const EscPosSettings& settings)
{
    const int most = settings.mode == EscPosMode::Raster ? MaxRasterDots : ImpactDoubleDensityDots;
    if (settings.dots < MinDots || settings.dots > most)
        throw core::Error(QStringLiteral("每行点数 %1 不可用：此打印方式应在 %2 到 %3 之间。")
                              .arg(settings.dots)
                              .arg(MinDots)
                              .arg(most));
}

// Dots per layout unit across and down the paper for the full-size picture.
std::pair<double, double> nativeDensity(const EscPosSettings& settings)
{
    if (settings.mode == EscPosMode::Raster)
        return {ThermalDotsPerMm * MillimetresPerUnit, ThermalDotsPerMm * MillimetresPerUnit};
    const double across = settings.dots <= ImpactSingleDensityDots ? ImpactSingleDensityDots : ImpactDoubleDensityDots;
    return {across / ImpactPrintableMm * MillimetresPerUnit, ImpactRowsPerMm * MillimetresPerUnit};
}

QImage threshold(const QImage& grey, int width, int height, int blackBelow)
{
    QImage dots(width, height, QImage::Format_Mono);
    dots.setColor(0, qRgb(255, 255, 255));
    dots.setColor(1, qRgb(0, 0, 0));
    dots.fill(0);
    for (int y = 0; y < height; ++y) {
        const uchar* in = grey.constScanLine(y);
        uchar* out = dots.scanLine(y);
        for (int x = 0; x < width; ++x) {
            if (in[x] < blackBelow)
                out[x >> 3] |= uchar(0x80 >> (x & 7));
        }
    }
    return dots;
}

void appendRaster(QByteArray& job, const QImage& dots)
{
    const int bytesPerRow = (dots.width() + 7) / 8;
    for (int top = 0; top < dots.height(); top += RasterBandRows) {
        const int rows = std::min(RasterBandRows, dots.height() - top);
        job.append(Gs).append('v').append('0').append(char(0));
        job.append(char(bytesPerRow & 0xff)).append(char(bytesPerRow >> 8));
        job.append(char(rows & 0xff)).append(char(rows >> 8));
        for (int y = top; y < top + rows; ++y)
            job.append(reinterpret_cast<const char*>(dots.constScanLine(y)), bytesPerRow);
    }
}

void appendColumns(QByteArray& job, const QImage& dots)
{
    const char density = dots.width() <= ImpactSingleDensityDots ? 0 : 1;
    const int columns = dots.width();
    for (int top = 0; top < dots.height(); top += ImpactBandRows) {
        job.append(Esc).append('*').append(density);
        job.append(char(columns & 0xff)).append(char(columns >> 8));
        for (int x = 0; x < columns; ++x) {
            uchar pins = 0;
            for (int row = 0; row < ImpactBandRows && top + row < dots.height(); ++row) {
                if (isBlack(dots, x, top + row))
                    pins |= uchar(0x80 >> row);
            }
            job.append(char(pins));
        }
        // Print the band and feed exactly its height, so the next band joins it.
        job.append(Esc).append('J').append(char(ImpactBandRows * ImpactFeedUnitsPerRow));
    }
}

} // namespace

int defaultDots(EscPosMode mode, bool wideLayout)
{
    if (mode == EscPosMode::Impact)
        return ImpactDoubleDensityDots;
    return wideLayout ? 576 : 384;
}

QImage receiptDots(report::Report& report, const EscPosSettings& settings)
{
    requireDots(settings);
    const Extent extent = printedExtent(report);
    const auto [nativeAcross, nativeDown] = nativeDensity(settings);
    const int usable = settings.dots - 2 * EdgeDots;
    const double across = std::min(nativeAcross, usable / (extent.right - extent.left));
    const double down = across * nativeDown / nativeAcross;
    int height = std::max(1, int(std::ceil(report.pageLength() * down)));
    if (settings.mode == EscPosMode::Impact)
        height = (height + ImpactBandRows - 1) / ImpactBandRows * ImpactBandRows;

    QImage grey(settings.dots, height, QImage::Format_Grayscale8);
    if (grey.isNull())
        throw core::Error(QStringLiteral("内存不足，无法生成小票图像（%1 × %2 点）").arg(settings.dots).arg(height));
    grey.fill(Qt::white);
    {
        QPainter painter(&grey);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        painter.translate((settings.dots - (extent.right - extent.left) * across) / 2, 0);
        painter.scale(across, down);
        painter.translate(-extent.left, 0);
        report.render(painter, 1.0);
    }
    return threshold(grey, settings.dots, height, settings.mode == EscPosMode::Impact ? ImpactBlackBelow : BlackBelow);
}

bool isBlack(const QImage& dots, int x, int y)
{
    return dots.pixelIndex(x, y) == 1;
}

QByteArray escPosJob(const QImage& dots, const EscPosSettings& settings, int copies)
{
    QByteArray job;
    job.append(Esc).append('@');
    for (int copy = 0; copy < copies; ++copy) {
        if (settings.mode == EscPosMode::Raster)
            appendRaster(job, dots);
        else
            appendColumns(job, dots);
        if (settings.cut)
            job.append(Gs).append('V').append(char(66)).append(char(0)); // feed to the cutter, cut
        else
            job.append(Esc).append('d').append(char(LinesFedWithoutCutter));
    }
    if (settings.drawer != CashDrawer::None) {
        const char pin = settings.drawer == CashDrawer::Pin2 ? 0 : 1;
        job.append(Esc).append('p').append(pin).append(DrawerOnTime).append(DrawerOffTime);
    }
    return job;
}

} // namespace printing
