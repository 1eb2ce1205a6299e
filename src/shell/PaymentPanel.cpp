#include "shell/PaymentPanel.h"

#include "ui/Fonts.h"
#include "ui/Guard.h"

#include <QLabel>
#include <QShortcut>
#include <QToolButton>

namespace shell {

namespace {

constexpr int ButtonTop = 618, ButtonLeft = 17, ButtonWidth = 58, ButtonHeight = 28, ButtonStep = 61;

const Qt::Key MethodKeys[] = {Qt::Key_F6, Qt::Key_F7, Qt::Key_F8, Qt::Key_F9};

QToolButton* keyButton(QWidget* parent, const QString& name, const QString& text, int index)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setAccessibleName(text);
    button->setFont(ui::songFont(13));
    button->setGeometry(ButtonLeft + index * ButtonStep, ButtonTop, ButtonWidth, ButtonHeight);
    button->setCursor(Qt::PointingHandCursor);
    // The keyboard stays in the box it was in; the keys are the way to the buttons.
    button->setFocusPolicy(Qt::NoFocus);
    button->show();
    return button;
}

void onKey(QWidget* window, Qt::Key key, std::function<void()> action)
{
    auto* shortcut = new QShortcut(QKeySequence(key), window);
    shortcut->setContext(Qt::WindowShortcut);
    ui::connectGuarded(shortcut, &QShortcut::activated, window, std::move(action));
}

} // namespace

PaymentPanel::PaymentPanel(QWidget* window, QWidget* buttonParent, QWidget* totalsBar) : QObject(window)
{
    const QList<sales::PayMethod>& methods = sales::allMethods();
    for (int i = 0; i < methods.size(); ++i) {
        const sales::PayMethod method = methods.at(i);
        const QString keyName = QKeySequence(MethodKeys[i]).toString();
        QToolButton* button =
            keyButton(buttonParent, QStringLiteral("PayButton%1").arg(i + 1), sales::methodName(method) + keyName, i);
        button->setCheckable(true);
        m_buttons.append(button);
        ui::connectGuarded(button, &QToolButton::clicked, window, [this, method] { choose(method); });
        onKey(window, MethodKeys[i], [this, method] { choose(method); });
    }
    m_splitButton = keyButton(buttonParent, QStringLiteral("PayButton5"), QStringLiteral("组合F11"), 4);
    m_splitButton->setAccessibleName(QStringLiteral("组合付款F11"));
    ui::connectGuarded(m_splitButton, &QToolButton::clicked, window, [this] { emit splitRequested(); });
    onKey(window, Qt::Key_F11, [this] { emit splitRequested(); });

    m_caption = new QLabel(totalsBar);
    m_caption->setObjectName(QStringLiteral("PaymentCaption"));
    m_caption->setAccessibleName(QStringLiteral("付款方式"));
    m_caption->setGeometry(92, 5, 284, 30);
    m_caption->setFont(ui::songFont(16, true));
    m_caption->setStyleSheet(QStringLiteral("color: #0000bd"));
    m_caption->show();
    show();
}

QToolButton* PaymentPanel::button(sales::PayMethod method) const
{
    return m_buttons.value(int(sales::allMethods().indexOf(method)));
}

void PaymentPanel::choose(sales::PayMethod method)
{
    m_choice = {method, std::nullopt, 0};
    show();
    emit chosen();
}

void PaymentPanel::chooseSplit(sales::PayMethod second, sales::Fen amount)
{
    m_choice.second = second;
    m_choice.secondAmount = amount;
    show();
    emit chosen();
}

void PaymentPanel::show()
{
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons.at(i)->setChecked(sales::allMethods().at(i) == m_choice.first);
    m_splitButton->setCheckable(true);
    m_splitButton->setChecked(m_choice.isSplit());
    m_caption->setText(QStringLiteral("付款：") + sales::choiceCaption(m_choice));
}

} // namespace shell
