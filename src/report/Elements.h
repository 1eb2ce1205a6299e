#pragma once

#include <QFont>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <functional>

class QPainter;

namespace report {

class RowSource;

// Layout units are 1/96 inch: the report at 100% zoom.
constexpr double UnitsPerInch = 96.0;
double millimetresToUnits(double millimetres);
double unitsToMillimetres(double units);
// The lines text takes at that width in that font: broken at word boundaries where it can, else
// anywhere (Chinese has no spaces); line breaks in it become spaces. One line for width 0.
QStringList wrappedLines(const QString& text, const QFont& font, double width);
// One paragraph broken into lines of at most width layout units, at word boundaries or anywhere,
// each line as laid out (a space it was broken at kept); one empty line for an empty paragraph.
QStringList brokenLines(const QString& paragraph, const QFont& font, double width);

// A font whose pixel size is in layout units, so that it scales with the painter like positions do
// (9 pt = 12 units). Point-sized fonts would be sized again by each device's resolution.
QFont reportFont(const QString& family, double points);

// One piece of text put on the page: which element, what text, where (layout units, page
// coordinates, top-left of the text) and in which font.
struct DrawnText
{
    QString element;
    QString text;
    QPointF position;
    QFont font;
};

// The row a band is printed for. detailRow is -1 outside the detail band.
struct RowContext
{
    RowSource* detailSource = nullptr;
    int detailRow = -1;
};

// Something placed on a band. Positions are in layout units from the band's top-left; the top may
// be negative, above the band. Geometry setters refuse values that are not finite numbers and
// negative sizes, throwing core::Error.
class Element
{
public:
    explicit Element(QString name);
    virtual ~Element();
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

    QString name() const { return m_name; }
    double left() const { return m_geometry.left(); }
    double top() const { return m_geometry.top(); }
    double width() const { return m_geometry.width(); }
    double height() const { return m_geometry.height(); }
    QRectF geometry() const { return m_geometry; }
    void setLeft(double left);
    void setTop(double top);
    void setWidth(double width);
    void setHeight(double height);
    void setGeometry(const QRectF& geometry);

    QFont font() const { return m_font; }
    void setFont(const QFont& font); // a point size is turned into a pixel size in layout units
    bool isOpaque() const { return m_opaque; }
    void setOpaque(bool opaque) { m_opaque = opaque; }
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    // Text wider than this (layout units) goes on to further lines below; 0: one line, however
    // long. Refuses negative or non-number widths (core::Error).
    double wrapWidth() const { return m_wrapWidth; }
    void setWrapWidth(double width);

    // How much taller than one line the element prints for that row: its wrapped lines. The band
    // grows by it and moves what stands below the element down.
    virtual double growth(const RowContext& context) const;

    // Paints the element on painter (none when only laying out) with its band's top-left at
    // bandOrigin, and appends what it put on the page to drawn.
    virtual void print(QPainter* painter, const QPointF& bandOrigin, const RowContext& context,
                       QList<DrawnText>& drawn) const = 0;

private:
    QString m_name;
    QRectF m_geometry;
    QFont m_font;
    bool m_opaque = false;
    bool m_visible = true;
    double m_wrapWidth = 0;
};

// Fixed text, changeable at run time. Printed on one line from its left edge, as wide as the text
// needs: the design width neither clips nor wraps it (a wrap width does).
class Label : public Element
{
public:
    explicit Label(QString name, QString text = {});

    QString text() const { return m_text; }
    void setText(const QString& text) { m_text = text; }

    double growth(const RowContext& context) const override;
    void print(QPainter* painter, const QPointF& bandOrigin, const RowContext& context,
               QList<DrawnText>& drawn) const override;

private:
    QString m_text;
};

// The value of a column, printed like a label. It reads its own source when given one (always its
// first row), else the report's detail source: the current row in the detail band, the first row
// in the other bands. The print hook, if set, gets the value ("" when there is no row) and returns
// the text to print.
class DataField : public Element
{
public:
    using PrintHook = std::function<QString(const QString&)>;

    DataField(QString name, QString column);

    QString column() const { return m_column; }
    RowSource* source() const { return m_source; }
    void setSource(RowSource* source) { m_source = source; } // not owned; nullptr: the report's
    void setPrintHook(PrintHook hook) { m_printHook = std::move(hook); }

    QString textFor(const RowContext& context) const;
    double growth(const RowContext& context) const override;
    void print(QPainter* painter, const QPointF& bandOrigin, const RowContext& context,
               QList<DrawnText>& drawn) const override;

private:
    QString m_column;
    RowSource* m_source = nullptr;
    PrintHook m_printHook;
};

// Lines set from outside, printed top-down at the font's line spacing and cut off at the block's
// height; lines are neither wrapped nor cut at its width. It may reach below its band and is
// printed whole all the same. Each line printed is one DrawnText.
class TextBlock : public Element
{
public:
    explicit TextBlock(QString name);

    QStringList lines() const { return m_lines; }
    void setLines(const QStringList& lines) { m_lines = lines; }

    void print(QPainter* painter, const QPointF& bandOrigin, const RowContext& context,
               QList<DrawnText>& drawn) const override;

private:
    QStringList m_lines;
};

// A bar code with its text printed beneath, centred on the bars. The encoder turns the text into
// modules ('1' dark, '0' light, quiet zones included); "" gives no bars, and the text alone prints.
// Bars are aligned to whole device pixels, every module the same whole number of them (the
// module width rounded, at least one), so a receipt printer's dots or a page's pixels hold them
// without grey edges; narrowed to one pixel a module when the element's width needs it, and left
// off when even that is too wide. The element takes its whole height of room: its top is where
// it stands, and what stands below it in the band moves down by its height.
class Barcode : public Element
{
public:
    using Encoder = std::function<QString(const QString&)>;

    Barcode(QString name, Encoder encoder);

    QString text() const { return m_text; }
    void setText(const QString& text);
    QString modules() const { return m_modules; }

    // Layout units; refuse values that are not positive numbers (core::Error).
    double moduleWidth() const { return m_moduleWidth; }
    void setModuleWidth(double units);
    double barHeight() const { return m_barHeight; }
    void setBarHeight(double units);

    double growth(const RowContext& context) const override;
    void print(QPainter* painter, const QPointF& bandOrigin, const RowContext& context,
               QList<DrawnText>& drawn) const override;

private:
    Encoder m_encoder;
    QString m_text;
    QString m_modules;
    double m_moduleWidth = 1;
    double m_barHeight = 38;
};

} // namespace report
