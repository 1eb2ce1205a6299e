#pragma once

#include "ui/TitleBar.h"

#include <QDialog>
#include <QSize>
#include <functional>

namespace ui {

// The base of every window: frameless, with our own title bar above a client area of fixed
// size, the top corners rounded and a thin grey border. Derived windows build their controls
// with setupWindow and hang their closing code on closed(), connected through connectGuarded
// so its errors are shown rather than thrown into the event loop.
//
// Note that setupUi's connectSlotsByName looks at the client area, not at the window, so
// windows connect their handlers explicitly.
class SkinnedWindow : public QDialog
{
    Q_OBJECT

public:
    explicit SkinnedWindow(QWidget* parent = nullptr);
    ~SkinnedWindow() override;

    // The window becomes exactly TitleBar::Height + clientSize.height() tall and
    // clientSize.width() wide, and cannot be resized.
    void setupSkin(const QString& caption, const QSize& clientSize, TitleButtons buttons);

    // What every window's constructor starts with: its name, the skin, the designed controls
    // built into the client area in the windows' font, and the store errors of each grid among
    // them shown over the window.
    template <typename Form>
    void setupWindow(Form& form, const QString& name, const QString& caption, const QSize& clientSize,
                     TitleButtons buttons)
    {
        setObjectName(name);
        setupSkin(caption, clientSize, buttons);
        form.setupUi(m_client);
        finishClient();
    }

    QWidget* clientArea() const { return m_client; }
    TitleBar* titleBar() const { return m_titleBar; }

    void setCaption(const QString& caption); // the bar's text and the windowTitle both
    QString caption() const;

    void centreOnScreen();

    // Esc rejects the window only when it has a Close button, unless set otherwise here.
    void setEscapeCloses(bool closes);

    // The window's show handler (its FormShow), run guarded each time the program shows the
    // window, after the window's own show steps; not when the desktop shows it again after
    // minimising.
    void setShowHandler(std::function<void()> handler);

signals:
    // Once each time a shown window is closed, accepted, rejected or hidden; not on minimising,
    // and not when the window is destroyed while open.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void finishClient();
    void applyFlags(Qt::WindowFlags flags);
    void placeChildren();
    QRect clientRect() const;

    TitleBar* m_titleBar;
    QWidget* m_client;
    QWidget* m_border;
    bool m_open = false;
    bool m_escapeCloses = true;
    bool m_escapeChosen = false;
    bool m_changingFlags = false;
    std::function<void()> m_showHandler;
};

} // namespace ui
