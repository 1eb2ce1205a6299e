#pragma once

#include "report/Band.h"
#include "report/RowSource.h"

#include <QImage>

class QPrinter;

namespace report {

// A banded report printed as one page, as a receipt is: the caller sets the page length to fit
// (fittedPageLength() tells it). Bands stack from the top margin in the order title bands, detail
// bands once per row, summary bands; x starts at the left margin. Sizes are in layout units
// (1/96 inch), margins in millimetres.
class Report
{
public:
    Report();
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }

    // Refuse sizes that are not positive numbers (core::Error); the old value stays.
    double pageWidth() const { return m_pageWidth; }
    void setPageWidth(double units);
    double pageLength() const { return m_pageLength; }
    void setPageLength(double units);

    // Refuse negative or non-number margins (core::Error).
    double topMargin() const { return m_topMargin; }
    double bottomMargin() const { return m_bottomMargin; }
    double leftMargin() const { return m_leftMargin; }
    double rightMargin() const { return m_rightMargin; }
    void setMargins(double top, double bottom, double left, double right);

    Band* addBand(BandKind kind, double height);
    QList<Band*> bands() const;
    Band* band(BandKind kind) const; // the first of that kind; nullptr if none

    void setDataSource(RowSource* source) { m_source = source; } // not owned; nullptr: no rows
    // The row the detail band is being printed for, for before-print hooks; -1 outside it.
    int currentRow() const { return m_currentRow; }

    // The first element of that name in any band; the typed ones give nullptr for another kind.
    Element* element(const QString& name) const;
    Label* label(const QString& name) const;
    DataField* dataField(const QString& name) const;
    TextBlock* textBlock(const QString& name) const;

    // What the report would draw, without drawing it. Runs the before-print hooks.
    QList<DrawnText> layout();
    // Draws the page with one layout unit as deviceUnitsPerLayoutUnit device units.
    QList<DrawnText> render(QPainter& painter, double deviceUnitsPerLayoutUnit);
    // The page length that holds all the report prints, bottom margin included.
    double fittedPageLength();
    // One page of the report's size, full page, at the printer's resolution. Throws core::Error.
    void print(QPrinter& printer);
    // The page on white, one layout unit as scale pixels. Throws core::Error on a bad scale.
    QImage toImage(double scale = 1.0);

private:
    QList<DrawnText> run(QPainter* painter, double* bottom = nullptr);
    void printBands(BandKind kind, int row, QPainter* painter, QPointF& origin, QList<DrawnText>& drawn);

    QString m_name;
    double m_pageWidth;
    double m_pageLength;
    double m_topMargin = 10;
    double m_bottomMargin = 10;
    double m_leftMargin = 5;
    double m_rightMargin = 5;
    std::vector<std::unique_ptr<Band>> m_bands;
    RowSource* m_source = nullptr;
    int m_currentRow = -1;
};

} // namespace report
