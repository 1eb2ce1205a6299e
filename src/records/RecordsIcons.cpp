#include "records/RecordsIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace records {

namespace {

constexpr int Side = 20;

QIcon drawn(const std::function<void(QPainter&)>& draw)
{
    QIcon icon;
    // Drawn once for plain and once for doubled screens, so neither is scaled from the other.
    for (const qreal ratio : {1.0, 2.0}) {
        QPixmap pixmap(int(Side * ratio), int(Side * ratio));
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPen roundPen(const QColor& colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void arrowHead(QPainter& painter, const QPointF& tip, const QPointF& left, const QPointF& right, const QColor& colour)
{
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(left);
    head.lineTo(right);
    head.closeSubpath();
    painter.fillPath(head, colour);
}

} // namespace

QIcon searchIcon()
{
    return drawn([](QPainter& painter) {
        painter.setPen(roundPen(QColor(0x2B, 0x5C, 0xA8), 2.2));
        painter.setBrush(QColor(0xD8, 0xE8, 0xFF));
        painter.drawEllipse(QRectF(2.5, 2.5, 10.5, 10.5));
        painter.setPen(roundPen(QColor(0x5A, 0x3A, 0x1E), 3.2));
        painter.drawLine(QPointF(12.5, 12.5), QPointF(17.5, 17.5));
    });
}

QIcon refreshIcon()
{
    return drawn([](QPainter& painter) {
        const QColor green(0x2E, 0x8B, 0x3A);
        painter.setPen(roundPen(green, 2.4));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(3.5, 3.5, 13, 13), 100 * 16, 280 * 16);
        arrowHead(painter, QPointF(13.5, 1.0), QPointF(8.5, 1.5), QPointF(11.5, 6.5), green);
    });
}

QIcon exportIcon()
{
    return drawn([](QPainter& painter) {
        const QColor green(0x1D, 0x6F, 0x42);
        painter.setPen(QPen(green, 1.2));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(1.5, 2.5, 12, 15));
        painter.fillRect(QRectF(2, 3, 11, 3.5), green);
        for (const qreal y : {10.0, 13.5})
            painter.drawLine(QPointF(1.5, y), QPointF(13.5, y));
        painter.drawLine(QPointF(6.5, 6.5), QPointF(6.5, 17.5));
        const QColor orange(0xE0, 0x7A, 0x10);
        painter.setPen(roundPen(orange, 2.2));
        painter.drawLine(QPointF(10.5, 11.5), QPointF(15.5, 11.5));
        arrowHead(painter, QPointF(19.5, 11.5), QPointF(15, 7.5), QPointF(15, 15.5), orange);
    });
}

QIcon deleteIcon()
{
    return drawn([](QPainter& painter) {
        painter.setPen(roundPen(QColor(0xC8, 0x1E, 0x1E), 3.2));
        painter.drawLine(QPointF(4.5, 4.5), QPointF(15.5, 15.5));
        painter.drawLine(QPointF(15.5, 4.5), QPointF(4.5, 15.5));
    });
}

QIcon exitIcon()
{
    return drawn([](QPainter& painter) {
        painter.setPen(QPen(QColor(0x6B, 0x45, 0x22), 1.2));
        painter.setBrush(QColor(0xC9, 0x8B, 0x4E));
        painter.drawRect(QRectF(2.5, 2.5, 9, 15));
        painter.setBrush(QColor(0x6B, 0x45, 0x22));
        painter.drawEllipse(QRectF(8.5, 9.5, 1.8, 1.8));
        const QColor blue(0x2B, 0x5C, 0xA8);
        painter.setPen(roundPen(blue, 2.2));
        painter.drawLine(QPointF(11.5, 10), QPointF(15, 10));
        arrowHead(painter, QPointF(19.5, 10), QPointF(15, 6), QPointF(15, 14), blue);
    });
}

QIcon reprintIcon()
{
    return drawn([](QPainter& painter) {
        const QColor grey(0x4A, 0x4A, 0x4A);
        painter.setPen(QPen(grey, 1.2));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(5.5, 1.5, 9, 7)); // paper going in
        painter.setBrush(QColor(0x9A, 0xA4, 0xB0));
        painter.drawRoundedRect(QRectF(1.5, 7.5, 17, 7), 1.5, 1.5);
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(5.5, 12.5, 9, 6)); // the receipt coming out
        painter.setPen(QPen(grey, 1));
        for (const qreal y : {14.5, 16.5})
            painter.drawLine(QPointF(7, y), QPointF(13, y));
    });
}

} // namespace records
