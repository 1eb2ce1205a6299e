#pragma once

#include "report/Elements.h"

#include <functional>
#include <memory>
#include <vector>

namespace report {

enum class BandKind
{
    Title,   // once, at the start
    Detail,  // once per row of the report's source, in order
    Summary, // once, after the last row
};

// A horizontal strip of the page holding elements. The elements belong to the band.
class Band
{
public:
    Band(BandKind kind, double height); // throws core::Error on a negative or non-number height
    ~Band();
    Band(const Band&) = delete;
    Band& operator=(const Band&) = delete;

    BandKind kind() const { return m_kind; }
    double height() const { return m_height; }
    void setHeight(double height);

    Element* addElement(std::unique_ptr<Element> element);
    Label* addLabel(const QString& name, const QString& text, double left, double top);
    DataField* addDataField(const QString& name, const QString& column, double left, double top);
    TextBlock* addTextBlock(const QString& name, const QRectF& geometry);
    QList<Element*> elements() const;
    Element* element(const QString& name) const; // the first of that name; nullptr if none

    // Called right before each time the band is printed, e.g. to fill a text block's lines.
    void setBeforePrint(std::function<void()> hook) { m_beforePrint = std::move(hook); }

    // Runs the before-print hook, then prints the elements with the band's top-left at origin.
    // An element that wraps onto further lines moves the elements below it down by as much.
    // Returns the height the band took: its height and the growth of its elements.
    double print(QPainter* painter, const QPointF& origin, const RowContext& context, QList<DrawnText>& drawn);

private:
    BandKind m_kind;
    double m_height = 0;
    std::vector<std::unique_ptr<Element>> m_elements;
    std::function<void()> m_beforePrint;
};

} // namespace report
