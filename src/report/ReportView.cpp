#include "report/ReportView.h"

#include "core/Error.h"
#include "report/Report.h"

#include <QPainter>
#include <cmath>

namespace report {

ReportView::ReportView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    refresh();
}

void ReportView::setReport(Report* report)
{
    m_report = report;
    refresh();
}

void ReportView::setScale(double scale)
{
    if (!std::isfinite(scale) || scale <= 0)
        throw core::Error(QStringLiteral("预览缩放比例无效：%1").arg(scale));
    m_scale = scale;
    refresh();
}

void ReportView::setDots(const QImage& dots)
{
    m_dots = dots;
    refresh();
}

QSize ReportView::sizeHint() const
{
    return pageSize();
}

void ReportView::refresh()
{
    setFixedSize(pageSize());
    update();
}

QSize ReportView::pageSize() const
{
    if (!m_dots.isNull())
        return m_dots.size();
    if (!m_report)
        return {0, 0};
    return {int(std::ceil(m_report->pageWidth() * m_scale)), int(std::ceil(m_report->pageLength() * m_scale))};
}

void ReportView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_dots.isNull()) {
        painter.drawImage(QPoint(0, 0), m_dots);
        return;
    }
    if (!m_report)
        return;
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    // An exception must not leave a paint event: show why the page cannot be drawn instead.
    QString failure;
    try {
        m_report->render(painter, m_scale);
    } catch (const core::Error& error) {
        failure = error.message();
    } catch (const std::exception& error) {
        failure = QString::fromLocal8Bit(error.what());
    }
    if (failure.isEmpty())
        return;
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::darkRed);
    painter.drawText(rect().adjusted(4, 4, -4, -4), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, failure);
}

} // namespace report
