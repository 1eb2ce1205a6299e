#include "ui/ControlEvents.h"

#include "ui/Guard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>

namespace ui {

namespace {

bool isEnterKey(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool isLeaving(const QEvent* event)
{
    // Opening the box's own list moves focus to a popup; that is no commit.
    return event->type() == QEvent::FocusOut &&
           static_cast<const QFocusEvent*>(event)->reason() != Qt::PopupFocusReason;
}

bool endsCommit(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::FocusIn:
        return true;
    default:
        return false;
    }
}

// Tells the box's own activations (the user committing typed text with Enter or by leaving)
// apart from picks. Every pick starts with an input event on the box, which ends a commit.
class ComboWiring : public QObject
{
public:
    ComboWiring(QComboBox* box, QWidget* owner, std::function<void()> onClick, std::function<void()> onChange)
        : QObject(box), m_box(box), m_owner(owner), m_onClick(std::move(onClick)), m_onChange(std::move(onChange))
    {
    }

    void activated()
    {
        if (m_committing) {
            if (m_box->currentText() != m_textAtCommit) {
                m_textAtCommit = m_box->currentText();
                edited();
            }
            return;
        }
        runGuarded(m_owner.data(), [this] {
            if (m_onClick)
                m_onClick();
            if (m_onChange)
                m_onChange();
        });
    }

    void edited() { runGuarded(m_owner.data(), m_onChange); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (isEnterKey(event) || isLeaving(event)) {
            m_committing = true;
            m_textAtCommit = m_box->currentText();
        } else if (endsCommit(event->type())) {
            m_committing = false;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QComboBox* m_box;
    QPointer<QWidget> m_owner;
    std::function<void()> m_onClick;
    std::function<void()> m_onChange;
    bool m_committing = false;
    QString m_textAtCommit;
};

// A key filter that runs its handler guarded over the owner, who may be gone by then.
class KeyHandler : public QObject
{
public:
    KeyHandler(QObject* parent, QWidget* owner, std::function<void()> handler)
        : QObject(parent), m_owner(owner), m_handler(std::move(handler))
    {
    }

protected:
    void run() { runGuarded(m_owner.data(), m_handler); }

private:
    QPointer<QWidget> m_owner;
    std::function<void()> m_handler;
};

class KeyReleaseWatcher : public KeyHandler
{
public:
    using KeyHandler::KeyHandler;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            m_lastRelease = nullptr;
        if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat() &&
            event != m_lastRelease) {
            // A release the line edit leaves unaccepted goes on to its combo box: count it once.
            m_lastRelease = event;
            run();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QEvent* m_lastRelease = nullptr;
};

class EnterKeyCatcher : public KeyHandler
{
public:
    using KeyHandler::KeyHandler;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!isEnterKey(event))
            return QObject::eventFilter(watched, event);
        const auto modifiers = static_cast<QKeyEvent*>(event)->modifiers() & ~Qt::KeypadModifier;
        if (modifiers != Qt::NoModifier)
            return QObject::eventFilter(watched, event);
        run();
        return true;
    }
};

void watch(QObject* filter, QWidget* widget)
{
    widget->installEventFilter(filter);
    if (auto* box = qobject_cast<QComboBox*>(widget); box && box->lineEdit())
        box->lineEdit()->installEventFilter(filter);
}

} // namespace

void wireCombo(QComboBox* box, QWidget* owner, std::function<void()> onClick, std::function<void()> onChange)
{
    if (!box)
        return;
    auto* wiring = new ComboWiring(box, owner, std::move(onClick), std::move(onChange));
    QObject::connect(box, &QComboBox::activated, wiring, [wiring] { wiring->activated(); });
    if (QLineEdit* edit = box->lineEdit()) {
        box->setInsertPolicy(QComboBox::NoInsert);
        QObject::connect(edit, &QLineEdit::textEdited, wiring, [wiring] { wiring->edited(); });
        watch(wiring, box);
    }
}

void onKeyRelease(QWidget* widget, QWidget* owner, std::function<void()> handler)
{
    if (!widget)
        return;
    watch(new KeyReleaseWatcher(widget, owner, std::move(handler)), widget);
}

void onEnterKey(QWidget* widget, QWidget* owner, std::function<void()> handler)
{
    if (!widget)
        return;
    watch(new EnterKeyCatcher(widget, owner, std::move(handler)), widget);
}

void wireCheck(QCheckBox* box, QWidget* owner, std::function<void()> onClick)
{
    if (!box)
        return;
    connectGuarded(box, &QCheckBox::toggled, owner, [onClick = std::move(onClick)] {
        if (onClick)
            onClick();
    });
}

} // namespace ui
