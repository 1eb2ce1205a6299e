#include "shell/Looks.h"

#include "ui/Fonts.h"

#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>
#include <QtMath>
#include <functional>

namespace shell {

namespace {

constexpr int PictureSize = 20;
constexpr int LargePictureSize = 48;

QIcon drawn(int size, const std::function<void(QPainter&, qreal)>& draw)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, size / 20.0);
    painter.end();
    return QIcon(pixmap);
}

QPen pen(const QColor& colour, qreal width)
{
    QPen p(colour, width);
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    return p;
}

} // namespace

QIcon addPicture()
{
    return drawn(PictureSize, [](QPainter& p, qreal u) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2E, 0x9E, 0x3A));
        p.drawEllipse(QRectF(1 * u, 1 * u, 18 * u, 18 * u));
        p.setPen(pen(Qt::white, 2.6 * u));
        p.drawLine(QPointF(10 * u, 5 * u), QPointF(10 * u, 15 * u));
        p.drawLine(QPointF(5 * u, 10 * u), QPointF(15 * u, 10 * u));
    });
}

QIcon modifyPicture()
{
    return drawn(PictureSize, [](QPainter& p, qreal u) {
        p.setPen(pen(QColor(0x1F, 0x5F, 0xB0), 1.4 * u));
        p.setBrush(QColor(0xFF, 0xF4, 0xC2));
        p.drawRect(QRectF(2 * u, 3 * u, 12 * u, 15 * u));
        p.setPen(pen(QColor(0xC0, 0x60, 0x10), 3 * u));
        p.drawLine(QPointF(8 * u, 13 * u), QPointF(17 * u, 4 * u));
        p.setPen(pen(QColor(0x40, 0x40, 0x40), 1.2 * u));
        p.drawLine(QPointF(6.5 * u, 14.5 * u), QPointF(8 * u, 13 * u));
    });
}

QIcon deletePicture()
{
    return drawn(PictureSize, [](QPainter& p, qreal u) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xD0, 0x30, 0x30));
        p.drawEllipse(QRectF(1 * u, 1 * u, 18 * u, 18 * u));
        p.setPen(pen(Qt::white, 2.6 * u));
        p.drawLine(QPointF(6 * u, 6 * u), QPointF(14 * u, 14 * u));
        p.drawLine(QPointF(14 * u, 6 * u), QPointF(6 * u, 14 * u));
    });
}

QIcon settingsPicture()
{
    return drawn(PictureSize, [](QPainter& p, qreal u) {
        const QPointF centre(10 * u, 10 * u);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x60, 0x70, 0x80));
        for (int tooth = 0; tooth < 8; ++tooth) {
            p.save();
            p.translate(centre);
            p.rotate(tooth * 45.0);
            p.drawRect(QRectF(-1.8 * u, -9 * u, 3.6 * u, 5 * u));
            p.restore();
        }
        p.drawEllipse(centre, 6.5 * u, 6.5 * u);
        p.setBrush(Qt::white);
        p.drawEllipse(centre, 2.6 * u, 2.6 * u);
    });
}

QIcon statisticsPicture()
{
    return drawn(PictureSize, [](QPainter& p, qreal u) {
        p.setPen(pen(QColor(0x40, 0x40, 0x40), 1.2 * u));
        p.drawLine(QPointF(2 * u, 18 * u), QPointF(18 * u, 18 * u));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2F, 0x7F, 0xD0));
        p.drawRect(QRectF(3.5 * u, 10 * u, 3.5 * u, 7.5 * u));
        p.setBrush(QColor(0x2E, 0x9E, 0x3A));
        p.drawRect(QRectF(8.5 * u, 4 * u, 3.5 * u, 13.5 * u));
        p.setBrush(QColor(0xE0, 0x8A, 0x1E));
        p.drawRect(QRectF(13.5 * u, 7 * u, 3.5 * u, 10.5 * u));
    });
}

QIcon previewPicture()
{
    return drawn(PictureSize, [](QPainter& p, qreal u) {
        p.setPen(pen(QColor(0x30, 0x30, 0x30), 1.8 * u));
        p.setBrush(QColor(0xD8, 0xEC, 0xFF));
        p.drawEllipse(QPointF(8 * u, 8 * u), 5.5 * u, 5.5 * u);
        p.setPen(pen(QColor(0x30, 0x30, 0x30), 3 * u));
        p.drawLine(QPointF(12.5 * u, 12.5 * u), QPointF(17.5 * u, 17.5 * u));
    });
}

QIcon printPicture()
{
    return drawn(LargePictureSize, [](QPainter& p, qreal u) {
        p.setPen(pen(QColor(0x50, 0x50, 0x50), 0.8 * u));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5 * u, 1.5 * u, 9 * u, 6 * u)); // paper going in
        p.setBrush(QColor(0x5A, 0x6B, 0x7C));
        p.drawRoundedRect(QRectF(1.5 * u, 6.5 * u, 17 * u, 8 * u), 1.5 * u, 1.5 * u);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5 * u, 11.5 * u, 10 * u, 7 * u)); // the receipt coming out
        p.setPen(pen(QColor(0x9A, 0x9A, 0x9A), 0.6 * u));
        for (qreal y = 13.5; y < 18; y += 1.8)
            p.drawLine(QPointF(6.5 * u, y * u), QPointF(13.5 * u, y * u));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x4C, 0xD0, 0x5A));
        p.drawEllipse(QPointF(16 * u, 8.8 * u), 0.9 * u, 0.9 * u);
    });
}

QPixmap mainBackground(const QSize& size)
{
    QPixmap pixmap(size);
    QPainter painter(&pixmap);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0.0, QColor(0xEE, 0xF4, 0xFB));
    gradient.setColorAt(1.0, QColor(0xD6, 0xE4, 0xF2));
    painter.fillRect(pixmap.rect(), gradient);
    return pixmap;
}

QPixmap loginBackground(const QSize& size)
{
    QPixmap pixmap(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient body(0, 0, 0, size.height());
    body.setColorAt(0.0, QColor(0xF4, 0xF8, 0xFC));
    body.setColorAt(1.0, QColor(0xDC, 0xE8, 0xF4));
    painter.fillRect(pixmap.rect(), body);

    // A banner with the program's name over the top, above the rule.
    const QRect banner(0, 0, size.width(), 76);
    QLinearGradient blue(0, 0, 0, banner.height());
    blue.setColorAt(0.0, QColor(0x3A, 0x7B, 0xC8));
    blue.setColorAt(1.0, QColor(0x1F, 0x55, 0x9A));
    painter.fillRect(banner, blue);
    painter.setPen(Qt::white);
    painter.setFont(ui::heiFont(22, true));
    painter.drawText(banner.adjusted(0, 4, 0, -22), Qt::AlignCenter, QStringLiteral("Quorvel销售小票打印软件"));
    painter.setFont(ui::songFont(13));
    painter.drawText(banner.adjusted(0, 40, 0, -4), Qt::AlignCenter, QStringLiteral("V18.0 标准版"));
    return pixmap;
}

} // namespace shell
