#pragma once

#include <QByteArray>
#include <QImage>

namespace report {
class Report;
}

namespace printing {

// How a receipt printer without a CUPS driver is spoken to.
enum class EscPosMode
{
    Raster, // thermal printers: GS v 0 raster images, 8 dots per mm
    Impact, // dot-matrix receipt printers: ESC * 8-dot columns, 1/72 inch per row
};

enum class CashDrawer
{
    None,
    Pin2,
    Pin5,
};

struct EscPosSettings
{
    EscPosMode mode = EscPosMode::Raster;
    int dots = 384; // printable dots per line
    bool cut = true;
    CashDrawer drawer = CashDrawer::None;
};

// Rows of one GS v 0 image; some printers read only the low byte of the height.
constexpr int RasterBandRows = 255;
// ESC J units of an impact printer (1/144 inch) per dot row of its 8-pin head (1/72 inch).
constexpr int ImpactFeedUnitsPerRow = 2;
constexpr int ImpactBandRows = 8;
// The widest line of ESC * double density; single density takes half.
constexpr int ImpactDoubleDensityDots = 400;
constexpr int ImpactSingleDensityDots = 200;

// Dots per line a printer of this paper has when the queue does not say: the 48 mm of a 58 mm
// thermal printer, the 72 mm of an 80 mm one (76 mm paper), or the impact head's double density.
int defaultDots(EscPosMode mode, bool wideLayout);

// The report's page drawn for the printer: settings.dots wide, one bit per dot (Format_Mono, colour
// index 1 black), as long as the page. What the page prints is centred and kept whole inside the
// dots, shrunk only when it is wider than the paper; text is thresholded to solid black. Throws
// core::Error when the dots are out of range for the mode.
QImage receiptDots(report::Report& report, const EscPosSettings& settings);
bool isBlack(const QImage& dots, int x, int y);

// The print job for copies receipts of that picture: initialise, then per copy the picture and a
// cut (or a feed to the tear bar), then the drawer pulse when asked.
QByteArray escPosJob(const QImage& dots, const EscPosSettings& settings, int copies);

} // namespace printing
