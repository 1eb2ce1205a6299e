#include "ui/SkinnedWindow.h"

#include "ui/AccessibleNames.h"

#include "ui/Icons.h"
#include "store/Dataset.h"
#include "ui/DataGrid.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/Messages.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

namespace ui {

namespace {

const QColor BorderColour(0x80, 0x80, 0x80);

// The 1 px border, drawn above everything else so the client area keeps its full size.
class BorderOverlay : public QWidget
{
public:
    explicit BorderOverlay(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("windowBorder"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const QRegion outer = roundedTopRegion(rect(), TitleBar::CornerRadius);
        const QRegion inner = roundedTopRegion(rect().adjusted(1, 1, -1, -1), TitleBar::CornerRadius - 1);
        QPainter painter(this);
        painter.setClipRegion(outer - inner);
        painter.fillRect(rect(), BorderColour);
    }
};

Qt::WindowFlags flagsFor(TitleButtons buttons)
{
    // Only a window that can be minimised needs to stand on its own in the task bar.
    if (buttons.testFlag(Minimise))
        return Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint | Qt::WindowSystemMenuHint;
    return Qt::Dialog | Qt::FramelessWindowHint;
}

} // namespace

SkinnedWindow::SkinnedWindow(QWidget* parent)
    : QDialog(parent, flagsFor(ControlBox | Close)), m_titleBar(new TitleBar(this)), m_client(new QWidget(this)),
      m_border(new BorderOverlay(this))
{
    m_client->setObjectName(QStringLiteral("clientArea"));
    // setupUi resizes the widget it is given; the client area keeps the size the skin decided.
    m_client->installEventFilter(this);
    setWindowIcon(programIcon());
    connect(m_titleBar, &TitleBar::minimiseRequested, this, &QWidget::showMinimized);
    connect(m_titleBar, &TitleBar::closeRequested, this, &QWidget::close);
    m_border->raise();
}

SkinnedWindow::~SkinnedWindow() = default;

void SkinnedWindow::setupSkin(const QString& caption, const QSize& clientSize, TitleButtons buttons)
{
    applyFlags(flagsFor(buttons));
    setCaption(caption);
    m_titleBar->setButtons(buttons);
    if (!m_escapeChosen)
        m_escapeCloses = buttons.testFlag(Close);
    const QSize client = clientSize.expandedTo(QSize(0, 0));
    setFixedSize(client.width(), TitleBar::Height + client.height());
    placeChildren();
}

void SkinnedWindow::finishClient()
{
    m_client->setFont(songFont(15));
    for (DataGrid* grid : m_client->findChildren<DataGrid*>())
        connectGuarded(grid, &DataGrid::storeError, this, [this](const QString& text) { reportError(this, text); });
}

void SkinnedWindow::applyFlags(Qt::WindowFlags flags)
{
    if (windowFlags() == flags)
        return;
    // Changing the flags hides a shown window for a moment; that is not a close.
    const bool wasVisible = isVisible();
    m_changingFlags = true;
    setWindowFlags(flags);
    m_changingFlags = false;
    if (wasVisible)
        show();
}

void SkinnedWindow::setCaption(const QString& caption)
{
    m_titleBar->setCaption(caption);
    setWindowTitle(caption);
}

QString SkinnedWindow::caption() const
{
    return m_titleBar->caption();
}

void SkinnedWindow::centreOnScreen()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame(QPoint(0, 0), frameGeometry().size());
    frame.moveCenter(area.center());
    // A window taller or wider than the screen keeps its title bar in reach.
    move(std::max(frame.left(), area.left()), std::max(frame.top(), area.top()));
}

void SkinnedWindow::setEscapeCloses(bool closes)
{
    m_escapeCloses = closes;
    m_escapeChosen = true;
}

bool SkinnedWindow::eventFilter(QObject* watched, QEvent* event)
{
    const bool moved = event->type() == QEvent::Resize || event->type() == QEvent::Move;
    if (watched == m_client && moved && m_client->geometry() != clientRect())
        m_client->setGeometry(clientRect());
    return QDialog::eventFilter(watched, event);
}

void SkinnedWindow::keyPressEvent(QKeyEvent* event)
{
    if (!m_escapeCloses && event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void SkinnedWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        m_open = true;
    // Widgets the window added after construction must not cover the border.
    m_border->raise();
    // Named at each show, once the layouts have placed the controls (and after any added later).
    if (!event->spontaneous())
        nameControlsForAccess(this, caption());
    if (!event->spontaneous() && m_showHandler)
        runGuarded(this, m_showHandler);
}

void SkinnedWindow::setShowHandler(std::function<void()> handler)
{
    m_showHandler = std::move(handler);
}

void SkinnedWindow::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    // A spontaneous hide comes from the desktop (minimising); ours come from hide(), close and done().
    if (event->spontaneous() || !m_open || m_changingFlags)
        return;
    m_open = false;
    emit closed();
}

void SkinnedWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    placeChildren();
}

QRect SkinnedWindow::clientRect() const
{
    return QRect(0, TitleBar::Height, width(), std::max(0, height() - TitleBar::Height));
}

void SkinnedWindow::placeChildren()
{
    m_titleBar->setGeometry(0, 0, width(), TitleBar::Height);
    m_client->setGeometry(clientRect());
    m_border->setGeometry(rect());
    setMask(roundedTopRegion(rect(), TitleBar::CornerRadius));
}

} // namespace ui
