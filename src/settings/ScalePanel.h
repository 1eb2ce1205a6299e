#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace store {
class Connection;
}

// 设置 → 条码秤: how the counter reads the labels of a weighing scale (flag, item digits, value
// digits, amount or weight), kept in the settings table. Only an administrator changes them.
class TScalePanel : public QWidget
{
    Q_OBJECT

public:
    TScalePanel(store::Connection& connection, QWidget* parent = nullptr);

    void load(); // shows the rules in force
    void applyRights(bool administrator);

    void SaveButtonClick();
    void DefaultButtonClick(); // the delivered rules into the box, not yet saved

    QLineEdit* RulesEdit = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* DefaultButton = nullptr;

private:
    store::Connection& m_connection;
    bool m_administrator = false;
};
