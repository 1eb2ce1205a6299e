#pragma once

#include "sales/Checkout.h"

#include <QList>
#include <QObject>

class QLabel;
class QToolButton;
class QWidget;

namespace shell {

// The counter's payment keys: F6 现金, F7 微信, F8 支付宝, F9 银行卡 and F11 组合付款, as buttons
// under the received and change boxes and as keys of the window, and beside the totals the way
// the sale will be paid. It holds the choice; the main window asks it when printing.
class PaymentPanel : public QObject
{
    Q_OBJECT

public:
    // Buttons on buttonParent, the caption on totalsBar; keys for window.
    PaymentPanel(QWidget* window, QWidget* buttonParent, QWidget* totalsBar);

    const sales::PaymentChoice& choice() const { return m_choice; }
    void choose(sales::PayMethod method); // one method, no split
    void chooseSplit(sales::PayMethod second, sales::Fen amount);
    void reset() { choose(sales::PayMethod::Cash); }

    QToolButton* button(sales::PayMethod method) const;
    QToolButton* splitButton() const { return m_splitButton; }
    QLabel* caption() const { return m_caption; }

signals:
    void chosen();          // the choice changed
    void splitRequested();  // F11 or its button: the main window asks for the second method

private:
    void show();

    sales::PaymentChoice m_choice;
    QList<QToolButton*> m_buttons; // in the order of sales::allMethods()
    QToolButton* m_splitButton = nullptr;
    QLabel* m_caption = nullptr;
};

} // namespace shell
