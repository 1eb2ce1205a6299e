#pragma once

#include <QAbstractButton>
#include <QFlags>
#include <QLabel>
#include <QPoint>
#include <QPointer>
#include <QRegion>
#include <QWidget>

namespace ui {

enum TitleButton
{
    ControlBox = 0x1, // the program icon at the left
    Minimise = 0x2,
    Close = 0x4
};
Q_DECLARE_FLAGS(TitleButtons, TitleButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(TitleButtons)

// rect with its two top corners cut to quarter circles, row by row, so the window mask and
// the painted border agree to the pixel.
QRegion roundedTopRegion(const QRect& rect, int radius);

// The bar drawn at the top of every frameless window: icon, caption, the buttons asked for.
// Dragging it moves its window.
class TitleBar : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Height = 30;
    static constexpr int CornerRadius = 11;

    explicit TitleBar(QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    QString caption() const;
    void setButtons(TitleButtons buttons);
    TitleButtons buttons() const { return m_buttons; }

signals:
    void minimiseRequested();
    void closeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void placeContents();

    QLabel* m_caption;
    QPointer<QLabel> m_icon;
    QPointer<QAbstractButton> m_minimise;
    QPointer<QAbstractButton> m_close;
    TitleButtons m_buttons;
    bool m_dragging = false;
    QPoint m_grabOffset; // cursor position less the window's, while dragging
};

} // namespace ui
