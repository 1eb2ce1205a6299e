#pragma once

#include "printing/SaleToPrint.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <array>

namespace printing {

enum class PaperWidth
{
    Mm58,
    Mm76,
};

// Each layout has three reports: 1 no customer, 2 customer, 3 customer and phone.
constexpr int ReceiptReports = 3;

using ElementNames = std::array<const char*, ReceiptReports>; // nullptr where a report has none
using ElementPlaces = std::array<QPointF, ReceiptReports>;

enum class ElementKind
{
    Label,
    Field,
};

enum class ElementLook
{
    Plain,
    Opaque, // paints its background over what lies under it
    Rule,   // a line of dashes, in the rule font
};

// One element of a band, in all three reports of one layout.
struct PlacedElement
{
    ElementKind kind;
    ElementNames names;
    QString text; // a label's design text, a field's column
    ElementPlaces places;
    ElementLook look = ElementLook::Plain;
};

// What tells the 58 mm window and its reports from the 76 mm ones. Sizes in layout units.
struct ReceiptLayout
{
    const char* windowName;     // the window's object name
    const char* connectionName; // the window's own connection to the store
    int viewLeft;               // where the report views stand on their pages, in pixels
    double pageWidth;
    std::array<double, ReceiptReports> designLength;
    std::array<double, ReceiptReports> titleHeight;
    double detailHeight;
    std::array<double, ReceiptReports> summaryHeight;
    double textPoints;
    double remarkWidth;
    ElementPlaces remarkPlaces;
    QList<PlacedElement> title;
    QList<PlacedElement> detail;
    QList<PlacedElement> summary;
};

const ReceiptLayout& receiptLayout(PaperWidth width);

// The receipt number as a bar code, under the totals and the rule below them, in reports 1, 2, 3.
// It takes room of its own: the remark below it moves down and the paper is longer by
// ReceiptBarcodeRoom.
struct BarcodePlacement
{
    ElementNames names;
    ElementPlaces places;  // top-left in the summary band; the bars are centred in the band's width
    double moduleWidth;    // layout units: whole dots of a 203 dpi head (2 on 58 mm, 3 on 76 mm)
};

constexpr double ReceiptBarcodeRoom = 52;
constexpr double ReceiptBarcodeBarHeight = 38; // 10 mm

const BarcodePlacement& receiptBarcode(PaperWidth width);

// A value label in reports 1, 2, 3 of both layouts (nullptr where a report has none) and the
// value of the sale it shows.
struct LabelMapRow
{
    ElementNames names;
    QString SaleToPrint::*value;
};

const QList<LabelMapRow>& labelMap();

} // namespace printing
