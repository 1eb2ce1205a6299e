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

// A value label in reports 1, 2, 3 of both layouts (nullptr where a report has none) and the
// value of the sale it shows.
struct LabelMapRow
{
    ElementNames names;
    QString SaleToPrint::*value;
};

const QList<LabelMapRow>& labelMap();

} // namespace printing
