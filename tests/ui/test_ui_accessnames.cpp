// Every box, button, tab and grid of every window carries the name a screen reader announces:
// its label's text or its caption.

#include "settings/XtUnit.h"
#include "shell/Forms.h"
#include "shell/LoginUnit.h"
#include "shell/MainUnit.h"
#include "support/ShellFixture.h"
#include "ui/AccessibleNames.h"
#include "ui/SkinnedWindow.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using testsupport::ShellFixture;

class TestUiAccessNames : public QObject
{
    Q_OBJECT

private slots:
    void everyControlOfEveryWindowIsNamed();
    void boxesTakeTheirLabelsAndButtonsTheirCaptions();
    void aNameAlreadyGivenIsKept();
};

namespace {

QString describe(const QList<QWidget*>& widgets)
{
    QStringList names;
    for (const QWidget* w : widgets)
        names << QString("%1 (%2)").arg(w->objectName(), w->metaObject()->className());
    return names.join(", ");
}

QString nameOf(QWidget* window, const char* objectName)
{
    auto* w = window->findChild<QWidget*>(objectName);
    return w ? w->accessibleName() : QString("<no %1>").arg(objectName);
}

} // namespace

void TestUiAccessNames::everyControlOfEveryWindowIsNamed()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TLoginForm login;
    QList<QWidget*> windows;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (qobject_cast<ui::SkinnedWindow*>(top))
            windows << top;
    // The login, the main window, settings with its five dialogs, statistics with its two.
    QVERIFY2(windows.size() >= 11, qPrintable(QString::number(windows.size())));
    QVERIFY(windows.contains(&login) && windows.contains(shell.forms->MainForm));
    for (QWidget* window : windows) {
        window->show();
        const QList<QWidget*> unnamed = ui::unnamedControls(window);
        QVERIFY2(unnamed.isEmpty(), qPrintable(window->objectName() + ": " + describe(unnamed)));
        window->hide();
    }
}

void TestUiAccessNames::boxesTakeTheirLabelsAndButtonsTheirCaptions()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    QWidget* main = shell.forms->MainForm;
    main->show();
    QCOMPARE(nameOf(main, "ComboBox1"), QString("品名"));
    QCOMPARE(nameOf(main, "Edit1"), QString("单号"));
    QCOMPARE(nameOf(main, "Edit9"), QString("客户")); // labelled by the check box that switches it on
    QCOMPARE(nameOf(main, "ComboBox4"), QString("实收"));
    // What the accessibility bridge (AT-SPI on the desktop) hands a screen reader.
    QAccessibleInterface* print = QAccessible::queryAccessibleInterface(main->findChild<QWidget*>("SpeedButton6"));
    QVERIFY(print);
    QCOMPARE(print->text(QAccessible::Name), QString("打印(F5)"));
    QWidget* settings = shell.forms->XtForm;
    settings->show();
    auto* tabs = settings->findChild<QTabWidget*>();
    QVERIFY(tabs);
    for (int i = 0; i < tabs->count(); ++i)
        QCOMPARE(tabs->widget(i)->accessibleName(), tabs->tabText(i).remove('&').simplified());
}

void TestUiAccessNames::aNameAlreadyGivenIsKept()
{
    QWidget root;
    auto* label = new QLabel("实收：", &root);
    label->setGeometry(10, 10, 50, 20);
    auto* received = new QLineEdit(&root);
    received->setGeometry(64, 8, 100, 24);
    auto* named = new QLineEdit(&root);
    named->setGeometry(64, 40, 100, 24);
    named->setAccessibleName("找零金额");
    auto* button = new QPushButton("打印(&F5)", &root);
    button->setGeometry(10, 80, 80, 24);
    ui::nameControlsForAccess(&root, "主窗口");
    QCOMPARE(received->accessibleName(), QString("实收"));
    QCOMPARE(named->accessibleName(), QString("找零金额"));
    QCOMPARE(button->accessibleName(), QString("打印(F5)"));
    QVERIFY(ui::unnamedControls(&root).isEmpty());
}

QTEST_MAIN(TestUiAccessNames)
#include "test_ui_accessnames.moc"
