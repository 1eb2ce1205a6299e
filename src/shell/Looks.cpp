#include "shell/Looks.h"

#include "ui/Fonts.h"

#include <QLinearGradient>
#include <QPainter>

namespace shell {

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
