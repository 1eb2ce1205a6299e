#include "ui/TitleBar.h"

#include "ui/Fonts.h"
#include "ui/Icons.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace ui {

namespace {

const QColor BarColour(0xE7, 0xE7, 0xE7);
const QColor GlyphColour(0x33, 0x33, 0x33);
const QColor HoverColour(0xD2, 0xD2, 0xD2);
const QColor PressedColour(0xBC, 0xBC, 0xBC);
const QColor CloseHoverColour(0xE8, 0x11, 0x23);
const QColor ClosePressedColour(0xF1, 0x70, 0x7A);

constexpr int ButtonWidth = 36;
constexpr int IconSize = 16;
constexpr int LeftMargin = 8;
constexpr int CaptionGap = 6;

enum class Glyph
{
    Minimise,
    Close
};

// A flat caption button drawing its own glyph, the way desktop title bars do.
class BarButton : public QAbstractButton
{
public:
    BarButton(Glyph glyph, QWidget* parent) : QAbstractButton(parent), m_glyph(glyph)
    {
        setAttribute(Qt::WA_Hover);
        setFocusPolicy(Qt::NoFocus);
        setFixedSize(ButtonWidth, TitleBar::Height);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const bool close = m_glyph == Glyph::Close;
        if (isDown())
            painter.fillRect(rect(), close ? ClosePressedColour : PressedColour);
        else if (underMouse())
            painter.fillRect(rect(), close ? CloseHoverColour : HoverColour);
        const bool light = close && (isDown() || underMouse());
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(light ? Qt::white : GlyphColour, 1.2));
        const QPointF centre = QRectF(rect()).center();
        if (close) {
            painter.drawLine(centre + QPointF(-5, -5), centre + QPointF(5, 5));
            painter.drawLine(centre + QPointF(-5, 5), centre + QPointF(5, -5));
        } else {
            painter.drawLine(centre + QPointF(-5, 0.5), centre + QPointF(5, 0.5));
        }
    }

private:
    Glyph m_glyph;
};

QPixmap smallIcon()
{
    return programIcon().pixmap(IconSize, IconSize);
}

QAbstractButton* makeButton(Glyph glyph, QWidget* bar, const QString& name, const QString& tip)
{
    auto* button = new BarButton(glyph, bar);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->show();
    return button;
}

template <typename Widget> void discard(QPointer<Widget>& widget)
{
    if (!widget)
        return;
    // It may be the very button whose click led here, so it goes once the click is over.
    widget->hide();
    widget->setParent(nullptr);
    widget->deleteLater();
    widget = nullptr;
}

} // namespace

QRegion roundedTopRegion(const QRect& rect, int radius)
{
    if (rect.isEmpty())
        return {};
    radius = std::clamp(radius, 0, std::min(rect.width() / 2, rect.height()));
    QRegion region(rect.adjusted(0, radius, 0, 0));
    for (int row = 0; row < radius; ++row) {
        const double rise = radius - row - 0.5;
        const int inset = int(std::lround(radius - std::sqrt(double(radius) * radius - rise * rise)));
        region += QRect(rect.left() + inset, rect.top() + row, rect.width() - 2 * inset, 1);
    }
    return region;
}

TitleBar::TitleBar(QWidget* parent) : QWidget(parent), m_caption(new QLabel(this))
{
    setObjectName(QStringLiteral("titleBar"));
    setFixedHeight(Height);
    m_caption->setObjectName(QStringLiteral("titleCaption"));
    m_caption->setFont(songFont(15));
    m_caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_caption->setTextFormat(Qt::PlainText);
    QPalette captionPalette = m_caption->palette();
    captionPalette.setColor(QPalette::WindowText, Qt::black);
    m_caption->setPalette(captionPalette);
    // Presses on the caption (and the icon) start a drag like presses on the bar itself.
    m_caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    setButtons(ControlBox | Close);
}

void TitleBar::setCaption(const QString& caption)
{
    m_caption->setText(caption);
}

QString TitleBar::caption() const
{
    return m_caption->text();
}

void TitleBar::setButtons(TitleButtons buttons)
{
    // Buttons not asked for do not exist at all, so nothing can reach them.
    m_buttons = buttons;
    if (buttons.testFlag(ControlBox) && !m_icon) {
        m_icon = new QLabel(this);
        m_icon->setObjectName(QStringLiteral("titleControlBox"));
        m_icon->setPixmap(smallIcon());
        m_icon->setFixedSize(IconSize, IconSize);
        m_icon->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_icon->show();
    } else if (!buttons.testFlag(ControlBox)) {
        discard(m_icon);
    }
    if (buttons.testFlag(Minimise) && !m_minimise) {
        m_minimise = makeButton(Glyph::Minimise, this, QStringLiteral("titleMinimise"), QStringLiteral("最小化"));
        connect(m_minimise, &QAbstractButton::clicked, this, &TitleBar::minimiseRequested);
    } else if (!buttons.testFlag(Minimise)) {
        discard(m_minimise);
    }
    if (buttons.testFlag(Close) && !m_close) {
        m_close = makeButton(Glyph::Close, this, QStringLiteral("titleClose"), QStringLiteral("关闭"));
        connect(m_close, &QAbstractButton::clicked, this, &TitleBar::closeRequested);
    } else if (!buttons.testFlag(Close)) {
        discard(m_close);
    }
    placeContents();
}

void TitleBar::placeContents()
{
    int right = width();
    if (m_close) {
        right -= ButtonWidth;
        m_close->move(right, 0);
    }
    if (m_minimise) {
        right -= ButtonWidth;
        m_minimise->move(right, 0);
    }
    int left = LeftMargin;
    if (m_icon) {
        m_icon->move(left, (Height - IconSize) / 2);
        left += IconSize + CaptionGap;
    }
    m_caption->setGeometry(left, 0, std::max(0, right - left - CaptionGap), Height);
}

void TitleBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setClipRegion(roundedTopRegion(rect(), CornerRadius));
    painter.fillRect(rect(), BarColour);
}

void TitleBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeContents();
}

void TitleBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    m_grabOffset = event->globalPosition().toPoint() - window()->pos();
    event->accept();
}

void TitleBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton)) {
        m_dragging = false;
        QWidget::mouseMoveEvent(event);
        return;
    }
    window()->move(event->globalPosition().toPoint() - m_grabOffset);
    event->accept();
}

void TitleBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

} // namespace ui
