#include "report/Report.h"

#include "core/Error.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <cmath>

namespace report {

namespace {

constexpr double kRollWidthMm = 58;
constexpr double kDefaultLengthMm = 297;
// Larger images than this are not a receipt preview but a mistake in the page size.
constexpr int kMaxImageSide = 32767;
constexpr qint64 kMaxImagePixels = qint64(64) * 1024 * 1024;

double requirePageSize(double units, const QString& what)
{
    if (!std::isfinite(units) || units <= 0)
        throw core::Error(QStringLiteral("页面%1无效：%2").arg(what).arg(units));
    return units;
}

void requireMargin(double millimetres)
{
    if (!std::isfinite(millimetres) || millimetres < 0)
        throw core::Error(QStringLiteral("页边距无效：%1").arg(millimetres));
}

void requireScale(double scale)
{
    if (!std::isfinite(scale) || scale <= 0)
        throw core::Error(QStringLiteral("报表缩放比例无效：%1").arg(scale));
}

QString printerProblem(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        if (printer.outputFileName().isEmpty())
            return QStringLiteral("没有指定输出文件");
        return QStringLiteral("无法写入文件“%1”").arg(printer.outputFileName());
    }
    if (printer.printerName().isEmpty())
        return QStringLiteral("没有选择打印机");
    return QStringLiteral("打印机“%1”不可用").arg(printer.printerName());
}

double bottomOf(const DrawnText& text)
{
    return text.position.y() + QFontMetricsF(text.font).height();
}

} // namespace

Report::Report() : m_pageWidth(millimetresToUnits(kRollWidthMm)), m_pageLength(millimetresToUnits(kDefaultLengthMm)) {}

Report::~Report() = default;

void Report::setPageWidth(double units)
{
    m_pageWidth = requirePageSize(units, QStringLiteral("宽度"));
}

void Report::setPageLength(double units)
{
    m_pageLength = requirePageSize(units, QStringLiteral("长度"));
}

void Report::setMargins(double top, double bottom, double left, double right)
{
    for (double margin : {top, bottom, left, right})
        requireMargin(margin);
    m_topMargin = top;
    m_bottomMargin = bottom;
    m_leftMargin = left;
    m_rightMargin = right;
}

Band* Report::addBand(BandKind kind, double height)
{
    m_bands.push_back(std::make_unique<Band>(kind, height));
    return m_bands.back().get();
}

QList<Band*> Report::bands() const
{
    QList<Band*> result;
    for (const auto& band : m_bands)
        result.append(band.get());
    return result;
}

Band* Report::band(BandKind kind) const
{
    for (const auto& band : m_bands) {
        if (band->kind() == kind)
            return band.get();
    }
    return nullptr;
}

Element* Report::element(const QString& name) const
{
    for (const auto& band : m_bands) {
        if (Element* found = band->element(name))
            return found;
    }
    return nullptr;
}

Label* Report::label(const QString& name) const
{
    return dynamic_cast<Label*>(element(name));
}

DataField* Report::dataField(const QString& name) const
{
    return dynamic_cast<DataField*>(element(name));
}

TextBlock* Report::textBlock(const QString& name) const
{
    return dynamic_cast<TextBlock*>(element(name));
}

QList<DrawnText> Report::layout()
{
    return run(nullptr);
}

QList<DrawnText> Report::render(QPainter& painter, double deviceUnitsPerLayoutUnit)
{
    requireScale(deviceUnitsPerLayoutUnit);
    painter.save();
    painter.scale(deviceUnitsPerLayoutUnit, deviceUnitsPerLayoutUnit);
    QList<DrawnText> drawn;
    try {
        drawn = run(&painter);
    } catch (...) {
        painter.restore();
        throw;
    }
    painter.restore();
    return drawn;
}

double Report::fittedPageLength()
{
    double bottom = 0;
    run(nullptr, &bottom);
    return bottom + millimetresToUnits(m_bottomMargin);
}

void Report::print(QPrinter& printer)
{
    const QSizeF paper(unitsToMillimetres(m_pageWidth), unitsToMillimetres(m_pageLength));
    printer.setPageSize(QPageSize(paper, QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    if (printer.docName().isEmpty())
        printer.setDocName(m_name);

    QPainter painter;
    if (!painter.begin(&printer))
        throw core::Error(QStringLiteral("无法开始打印：") + printerProblem(printer));
    try {
        render(painter, printer.resolution() / UnitsPerInch);
    } catch (...) {
        printer.abort();
        throw;
    }
    if (!painter.end())
        throw core::Error(QStringLiteral("打印没有完成：") + printerProblem(printer));
}

QImage Report::toImage(double scale)
{
    requireScale(scale);
    const double width = std::ceil(m_pageWidth * scale);
    const double height = std::ceil(m_pageLength * scale);
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > double(kMaxImagePixels))
        throw core::Error(QStringLiteral("页面太大，无法生成预览图像（%1 × %2 像素）").arg(width).arg(height));
    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull())
        throw core::Error(QStringLiteral("内存不足，无法生成预览图像"));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    render(painter, scale);
    return image;
}

QList<DrawnText> Report::run(QPainter* painter, double* bottom)
{
    QList<DrawnText> drawn;
    QPointF origin(millimetresToUnits(m_leftMargin), millimetresToUnits(m_topMargin));
    m_currentRow = -1;
    printBands(BandKind::Title, -1, painter, origin, drawn);
    const int rows = m_source ? std::max(0, m_source->rowCount()) : 0;
    for (int row = 0; row < rows; ++row)
        printBands(BandKind::Detail, row, painter, origin, drawn);
    m_currentRow = -1;
    printBands(BandKind::Summary, -1, painter, origin, drawn);
    if (bottom) {
        *bottom = origin.y();
        for (const DrawnText& text : drawn)
            *bottom = std::max(*bottom, bottomOf(text));
    }
    return drawn;
}

void Report::printBands(BandKind kind, int row, QPainter* painter, QPointF& origin, QList<DrawnText>& drawn)
{
    // By index: a before-print hook may add bands.
    for (std::size_t i = 0; i < m_bands.size(); ++i) {
        Band& band = *m_bands[i];
        if (band.kind() != kind)
            continue;
        m_currentRow = row;
        origin.ry() += band.print(painter, origin, {m_source, row}, drawn);
    }
}

} // namespace report
