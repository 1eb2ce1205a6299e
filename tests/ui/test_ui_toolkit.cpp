#include "core/Error.h"
#include "support/DesktopRecorders.h"
#include "ui/ControlEvents.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/Messages.h"
#include "ui/NumberKeyFilter.h"
#include "ui/Seams.h"
#include "ui/SkinnedWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTextLayout>
#include <QTimer>
#include <memory>
#include <stdexcept>

namespace {

enum class Target
{
    LineEdit,
    Combo,        // keys go to the combo box, as the keyboard sends them
    ComboLineEdit // keys go straight to the combo box's line edit
};

struct Box
{
    std::unique_ptr<QWidget> top;
    QLineEdit* edit = nullptr;
    QWidget* receiver = nullptr;
};

Box makeBox(Target target, bool filtered)
{
    Box box;
    if (target == Target::LineEdit) {
        box.edit = new QLineEdit;
        box.top.reset(box.edit);
        box.receiver = box.edit;
    } else {
        auto* combo = new QComboBox;
        combo->setEditable(true);
        box.top.reset(combo);
        box.edit = combo->lineEdit();
        box.receiver = target == Target::Combo ? static_cast<QWidget*>(combo) : combo->lineEdit();
    }
    if (filtered)
        ui::installNumberKeyFilter(box.top.get());
    return box;
}

const QList<std::pair<const char*, Target>> AllTargets = {
    {"line", Target::LineEdit}, {"combo", Target::Combo}, {"comboline", Target::ComboLineEdit}};

// A window for the combo tests; the log holds "click:<text>" and "change:<text>".
struct ComboWindow
{
    QWidget window;
    QComboBox* box = new QComboBox(&window);
    QStringList log;

    explicit ComboWindow(bool editable)
    {
        window.setObjectName(QStringLiteral("TComboForm"));
        box->setEditable(editable);
        box->addItems({QStringLiteral("Apple"), QStringLiteral("香蕉"), QStringLiteral("Cherry")});
        box->setCurrentIndex(0);
        ui::wireCombo(
            box, &window, [this] { log << QStringLiteral("click:") + box->currentText(); },
            [this] { log << QStringLiteral("change:") + box->currentText(); });
        window.show();
    }
};

// Shows a dialog or box in a nested loop, so act runs on it once it is up; closes any
// window left modal after a few seconds so a broken test fails instead of hanging.
void whenModalShown(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] { act(QApplication::activeModalWidget()); });
    QTimer::singleShot(5000, [] {
        if (QWidget* stuck = QApplication::activeModalWidget())
            stuck->close();
    });
}

QStringList handledBy(const ui::MessageRecorder& recorder)
{
    QStringList owners;
    for (const ui::RecordedMessage& m : recorder.messages())
        owners << m.ownerName;
    return owners;
}

struct Owner : QWidget
{
    QStringList taken;
    void take(const QString& text) { taken << text; }
};

} // namespace

class TestUiToolkit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ui::installFontSubstitutions(); }

    void numberFilter_data();
    void numberFilter();
    void numberFilterInputMethod_data();
    void numberFilterInputMethod();
    void numberFilterLeavesEnterAlone();

    void comboPick_data();
    void comboPick();
    void comboTyping_data();
    void comboTyping();
    void comboCommitIsNoPick_data();
    void comboCommitIsNoPick();
    void comboClickErrorStopsChange();
    void keyRelease_data();
    void keyRelease();

    void guardReports_data();
    void guardReports();
    void guardPassesSignalArguments();
    void guardOutlivesItsOwner();

    void recordedMessages();
    void realMessageBox_data();
    void realMessageBox();

    void modalSeam();
    void otherSeams();

    void fonts_data();
    void fonts();

    void windowGeometry_data();
    void windowGeometry();
    void windowCaption();
    void closedOncePerClose_data();
    void closedOncePerClose();
    void dragMovesWindow_data();
    void dragMovesWindow();
    void centreOnScreen();
};

void TestUiToolkit::numberFilter_data()
{
    QTest::addColumn<Target>("target");
    QTest::addColumn<QString>("initial");
    QTest::addColumn<int>("selectFrom"); // caret position when length is 0
    QTest::addColumn<int>("selectLength");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("keyText");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("unfiltered"); // what a box without the filter shows: proves the row means something

    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    for (const auto& [name, target] : AllTargets) {
        auto row = [name = name, target = target](const char* what) -> QTestData& {
            return QTest::addRow("%s: %s", name, what) << target;
        };
        // clang-format off
        row("digit") << "12" << 1 << 0 << int(Qt::Key_7) << none << "7" << "172" << "172";
        row("digit over selection") << "12.5" << 0 << 2 << int(Qt::Key_7) << none << "7" << "7.5" << "7.5";
        row("letter") << "12" << 2 << 0 << int(Qt::Key_A) << none << "a" << "12" << "12a";
        row("minus") << "12" << 0 << 0 << int(Qt::Key_Minus) << none << "-" << "12" << "-12";
        row("comma") << "12" << 2 << 0 << int(Qt::Key_Comma) << none << "," << "12" << "12,";
        row("space") << "12" << 2 << 0 << int(Qt::Key_Space) << none << " " << "12" << "12 ";
        row("wide digit") << "12" << 2 << 0 << int(Qt::Key_unknown) << none << "５" << "12" << "12５";
        row("han") << "12" << 2 << 0 << int(Qt::Key_unknown) << none << "元" << "12" << "12元";
        row("first point") << "12" << 2 << 0 << int(Qt::Key_Period) << none << "." << "12." << "12.";
        row("second point at end") << "1.5" << 3 << 0 << int(Qt::Key_Period) << none << "." << "1.5" << "1.5.";
        row("second point at start") << "1.5" << 0 << 0 << int(Qt::Key_Period) << none << "." << "1.5" << ".1.5";
        // A typed character replaces the selection: only the text that stays beside it counts.
        row("point over everything") << "1.5" << 0 << 3 << int(Qt::Key_Period) << none << "." << "." << ".";
        row("point over the point") << "1.5" << 1 << 1 << int(Qt::Key_Period) << none << "." << "1.5" << "1.5";
        row("point over a selected tail") << "9.9" << 1 << 2 << int(Qt::Key_Period) << none << "." << "9." << "9.";
        row("point over digits") << "12.5" << 0 << 2 << int(Qt::Key_Period) << none << "." << "12.5" << "..5";
        row("backspace") << "12.5" << 4 << 0 << int(Qt::Key_Backspace) << none << "\b" << "12." << "12.";
        row("delete") << "12.5" << 0 << 0 << int(Qt::Key_Delete) << none << "\x7f" << "2.5" << "2.5";
        // A paste that leaves a number goes in; one that would not is refused in the received-box test.
        row("ctrl+v") << "12" << 2 << 0 << int(Qt::Key_V) << ctrl << "\x16" << "1299" << "1299";
        row("ctrl+v, qtest text") << "12" << 2 << 0 << int(Qt::Key_V) << ctrl << "v" << "1299" << "1299";
        row("shift+insert") << "12" << 2 << 0 << int(Qt::Key_Insert) << int(Qt::ShiftModifier) << "" << "1299" << "1299";
        row("ctrl+x") << "12.5" << 0 << 2 << int(Qt::Key_X) << ctrl << "\x18" << "12.5" << ".5";
        // clang-format on
    }
}

void TestUiToolkit::numberFilter()
{
    QFETCH(Target, target);
    QFETCH(QString, initial);
    QFETCH(int, selectFrom);
    QFETCH(int, selectLength);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, keyText);
    QFETCH(QString, expected);
    QFETCH(QString, unfiltered);

    for (const bool filtered : {true, false}) {
        QGuiApplication::clipboard()->setText(QStringLiteral("99"));
        Box box = makeBox(target, filtered);
        box.edit->setText(initial);
        if (selectLength > 0)
            box.edit->setSelection(selectFrom, selectLength);
        else
            box.edit->setCursorPosition(selectFrom);
        QTest::sendKeyEvent(QTest::Click, box.receiver, Qt::Key(key), keyText, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(box.edit->text(), filtered ? expected : unfiltered);
        if (filtered)
            QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("99"));
    }
}

void TestUiToolkit::numberFilterInputMethod_data()
{
    QTest::addColumn<Target>("target");
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QString>("commit");
    QTest::addColumn<QString>("expected");

    for (const auto& [name, target] : AllTargets) {
        QTest::addRow("%s: digits", name) << target << ""
                                          << "123"
                                          << "123";
        QTest::addRow("%s: mixed", name) << target << ""
                                         << "1元2.3.4"
                                         << "12.34";
        QTest::addRow("%s: han only", name) << target << "5"
                                            << "五"
                                            << "5";
        QTest::addRow("%s: point into a number with one", name) << target << "1.5"
                                                                << ".6"
                                                                << "1.56";
    }
}

void TestUiToolkit::numberFilterInputMethod()
{
    QFETCH(Target, target);
    QFETCH(QString, initial);
    QFETCH(QString, commit);
    QFETCH(QString, expected);

    Box box = makeBox(target, true);
    box.edit->setText(initial);
    QInputMethodEvent event;
    event.setCommitString(commit);
    QApplication::sendEvent(box.receiver, &event);
    QCOMPARE(box.edit->text(), expected);
}

void TestUiToolkit::numberFilterLeavesEnterAlone()
{
    Box box = makeBox(Target::LineEdit, true);
    QSignalSpy enter(box.edit, &QLineEdit::returnPressed);
    box.edit->setText(QStringLiteral("3.5"));
    QTest::keyClick(box.edit, Qt::Key_Return);
    QTest::keyClick(box.edit, Qt::Key_Home);
    QTest::keyClick(box.edit, Qt::Key_Right);
    QTest::keyClick(box.edit, Qt::Key_8);
    QCOMPARE(enter.count(), 1);
    QCOMPARE(box.edit->text(), QStringLiteral("38.5"));
}

void TestUiToolkit::comboPick_data()
{
    QTest::addColumn<bool>("editable");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("expected");

    const QStringList banana = {"click:香蕉", "change:香蕉"};
    for (const bool editable : {false, true}) {
        const char* kind = editable ? "editable" : "list only";
        QTest::addRow("%s: mouse", kind) << editable << "mouse" << banana;
        QTest::addRow("%s: arrow down", kind) << editable << "down" << banana;
        QTest::addRow("%s: arrow up at the top", kind) << editable << "up" << QStringList();
    }
    QTest::addRow("list only: letter") << false << "letter" << QStringList{"click:Cherry", "change:Cherry"};
}

void TestUiToolkit::comboPick()
{
    QFETCH(bool, editable);
    QFETCH(QString, how);
    QFETCH(QStringList, expected);

    ComboWindow form(editable);
    if (how == "mouse") {
        form.box->showPopup();
        QAbstractItemView* view = form.box->view();
        QTRY_VERIFY(view->isVisible());
        const QPoint item = view->visualRect(view->model()->index(1, 0)).center();
        QTest::mouseMove(view->viewport(), item);
        QTest::qWait(QApplication::doubleClickInterval() + 50); // a release right after opening is ignored
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item);
        QTRY_VERIFY(!view->isVisible());
    } else if (how == "down" || how == "up") {
        QTest::keyClick(form.box, how == "down" ? Qt::Key_Down : Qt::Key_Up);
    } else {
        QTest::keyClick(form.box, Qt::Key_C);
    }
    QCOMPARE(form.log, expected);
}

void TestUiToolkit::comboTyping_data()
{
    QTest::addColumn<Target>("target");
    QTest::newRow("to the combo box") << Target::Combo;
    QTest::newRow("to its line edit") << Target::ComboLineEdit;
}

void TestUiToolkit::comboTyping()
{
    QFETCH(Target, target);

    ComboWindow form(true);
    form.box->setCurrentIndex(-1);
    QWidget* receiver = target == Target::Combo ? static_cast<QWidget*>(form.box) : form.box->lineEdit();
    QTest::keyClicks(receiver, "xy");
    QTest::keyClick(receiver, Qt::Key_Backspace);
    QTest::keyClick(receiver, Qt::Key_Left); // moves, changes nothing
    QCOMPARE(form.log, QStringList({"change:x", "change:xy", "change:x"}));
}

void TestUiToolkit::comboCommitIsNoPick_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("commit");
    QTest::addColumn<QString>("rewritten"); // the box spells the item its own way: one more change

    QTest::newRow("enter") << "Cherry"
                           << "enter"
                           << "";
    QTest::newRow("leaving") << "Cherry"
                             << "leave"
                             << "";
    QTest::newRow("enter, other case") << "cherry"
                                       << "enter"
                                       << "Cherry";
}

void TestUiToolkit::comboCommitIsNoPick()
{
    QFETCH(QString, typed);
    QFETCH(QString, commit);
    QFETCH(QString, rewritten);

    ComboWindow form(true);
    form.box->setCurrentIndex(-1);
    QTest::keyClicks(form.box, typed);
    if (commit == "enter") {
        QTest::keyClick(form.box, Qt::Key_Return);
    } else {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(form.box, &out);
    }
    QCOMPARE(form.box->currentIndex(), 2); // the box did take the item
    QCOMPARE(form.box->count(), 3);
    QStringList expected;
    for (int i = 1; i <= typed.size(); ++i)
        expected << "change:" + typed.left(i);
    if (!rewritten.isEmpty())
        expected << "change:" + rewritten;
    QCOMPARE(form.log, expected);
}

void TestUiToolkit::comboClickErrorStopsChange()
{
    QWidget window;
    window.setObjectName(QStringLiteral("TSaleForm"));
    auto* box = new QComboBox(&window);
    box->addItems({QStringLiteral("a"), QStringLiteral("b")});
    int changes = 0;
    ui::wireCombo(
        box, &window, [] { throw core::Error(QStringLiteral("没有这个商品")); }, [&] { ++changes; });
    ui::MessageRecorder recorder;
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(recorder.texts(), QStringList{"没有这个商品"});
    QCOMPARE(handledBy(recorder), QStringList{"TSaleForm"});
    QCOMPARE(changes, 0);
}

void TestUiToolkit::keyRelease_data()
{
    comboTyping_data();
    QTest::newRow("line edit") << Target::LineEdit;
}

void TestUiToolkit::keyRelease()
{
    QFETCH(Target, target);

    Box box = makeBox(target, false);
    QStringList seen;
    ui::onKeyRelease(box.top.get(), box.top.get(), [&] { seen << box.edit->text(); });
    QTest::keyClicks(box.receiver, "12");
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_3, Qt::NoModifier, QStringLiteral("3"), true);
    QApplication::sendEvent(box.receiver, &repeat);
    QTest::keyClick(box.receiver, Qt::Key_Backspace);
    QCOMPARE(seen, QStringList({"1", "12", "1"}));
}

void TestUiToolkit::guardReports_data()
{
    QTest::addColumn<std::function<void()>>("handler");
    QTest::addColumn<QString>("expected");

    QTest::newRow("store error") << std::function<void()>([] { throw core::Error(QStringLiteral("库存不足 <b>")); })
                                 << "库存不足 <b>";
    QTest::newRow("std exception") << std::function<void()>([] { throw std::runtime_error("disk full"); })
                                   << "disk full";
    QTest::newRow("anything") << std::function<void()>([] { throw 42; }) << "发生未知错误。";
    QTest::newRow("nothing") << std::function<void()>([] {}) << QString();
}

void TestUiToolkit::guardReports()
{
    QFETCH(std::function<void()>, handler);
    QFETCH(QString, expected);
    const QStringList texts = expected.isNull() ? QStringList() : QStringList{expected};

    Owner window;
    window.setObjectName(QStringLiteral("TMainForm"));
    auto* button = new QPushButton(&window);
    ui::MessageRecorder recorder;
    QCOMPARE(ui::runGuarded(button, handler), expected.isNull());
    ui::connectGuarded(button, &QPushButton::clicked, &window, handler);
    button->click();
    QCOMPARE(recorder.texts(), texts + texts);
    for (const ui::RecordedMessage& m : recorder.messages()) {
        QCOMPARE(m.ownerName, QStringLiteral("TMainForm"));
        QVERIFY(m.isErrorReport);
        QCOMPARE(m.style, ui::MessageStyle::Error);
    }
}

void TestUiToolkit::guardPassesSignalArguments()
{
    Owner window;
    auto* edit = new QLineEdit(&window);
    QStringList lambdaGot;
    int noArgumentCalls = 0;
    ui::connectGuarded(edit, &QLineEdit::textEdited, &window, &Owner::take);
    ui::connectGuarded(edit, &QLineEdit::textEdited, &window, [&](const QString& t) { lambdaGot << t; });
    ui::connectGuarded(edit, &QLineEdit::textEdited, &window, [&] { ++noArgumentCalls; });
    QTest::keyClicks(edit, "ab");
    QCOMPARE(window.taken, QStringList({"a", "ab"}));
    QCOMPARE(lambdaGot, window.taken);
    QCOMPARE(noArgumentCalls, 2);
}

void TestUiToolkit::guardOutlivesItsOwner()
{
    auto* window = new Owner;
    window->setObjectName(QStringLiteral("TGone"));
    QPushButton button;
    ui::connectGuarded(&button, &QPushButton::clicked, window, [window] {
        delete window;
        throw core::Error(QStringLiteral("窗口已关闭"));
    });
    ui::MessageRecorder recorder;
    button.click();
    QCOMPARE(recorder.texts(), QStringList{"窗口已关闭"});
    QCOMPARE(handledBy(recorder), QStringList{QString()});
    button.click(); // the connection went with its owner
    QCOMPARE(recorder.messages().size(), 1);
}

void TestUiToolkit::recordedMessages()
{
    QWidget window;
    window.setObjectName(QStringLiteral("TLoginForm"));
    auto* child = new QLineEdit(&window);
    ui::MessageRecorder outer;
    outer.setNextAnswers({false, true});
    QVERIFY(ui::message(child, "a", ui::MessageStyle::Plain)); // only OK: takes no answer
    QVERIFY(!ui::message(child, "b", ui::MessageStyle::WarningOkCancel));
    {
        ui::MessageRecorder inner;
        ui::reportError(nullptr, "c");
        QCOMPARE(inner.texts(), QStringList{"c"});
        QCOMPARE(inner.messages().first().isErrorReport, true);
    }
    QVERIFY(ui::message(&window, "d", ui::MessageStyle::WarningOkCancel));
    QVERIFY(ui::message(&window, "e", ui::MessageStyle::WarningOkCancel)); // queue empty: OK
    QCOMPARE(outer.texts(), QStringList({"a", "b", "d", "e"}));
    QCOMPARE(handledBy(outer), QStringList(4, "TLoginForm"));
    QVERIFY(!outer.messages().at(1).isErrorReport);
}

void TestUiToolkit::realMessageBox_data()
{
    QTest::addColumn<int>("style"); // -1: reportError
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("hasCancel");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("expected");

    QTest::newRow("plain") << int(ui::MessageStyle::Plain) << int(QMessageBox::NoIcon) << false << int(Qt::Key_Return)
                           << true;
    QTest::newRow("error, escape") << int(ui::MessageStyle::Error) << int(QMessageBox::Critical) << false
                                   << int(Qt::Key_Escape) << true;
    QTest::newRow("warning") << int(ui::MessageStyle::Warning) << int(QMessageBox::Warning) << false
                             << int(Qt::Key_Return) << true;
    QTest::newRow("ok/cancel, enter") << int(ui::MessageStyle::WarningOkCancel) << int(QMessageBox::Warning) << true
                                      << int(Qt::Key_Return) << true;
    QTest::newRow("ok/cancel, escape") << int(ui::MessageStyle::WarningOkCancel) << int(QMessageBox::Warning) << true
                                       << int(Qt::Key_Escape) << false;
    QTest::newRow("error report") << -1 << int(QMessageBox::Critical) << false << int(Qt::Key_Return) << true;
}

void TestUiToolkit::realMessageBox()
{
    QFETCH(int, style);
    QFETCH(int, icon);
    QFETCH(bool, hasCancel);
    QFETCH(int, key);
    QFETCH(bool, expected);

    QWidget owner;
    owner.show();
    const QString text = QStringLiteral("<i>单号</i> 不存在");
    QString title; // stays null unless a box came up
    whenModalShown([&](QWidget* modal) {
        auto* seen = qobject_cast<QMessageBox*>(modal);
        if (!seen)
            return;
        title = seen->windowTitle();
        QCOMPARE(seen->text(), text);
        QCOMPARE(seen->textFormat(), Qt::PlainText);
        QCOMPARE(int(seen->icon()), icon);
        QCOMPARE(seen->button(QMessageBox::Cancel) != nullptr, hasCancel);
        QCOMPARE(seen->parentWidget(), &owner);
        QCOMPARE(seen->windowModality(), Qt::WindowModal);
        QTest::keyClick(seen, Qt::Key(key));
    });
    bool answer = true;
    if (style < 0)
        ui::reportError(&owner, text);
    else
        answer = ui::message(&owner, text, ui::MessageStyle(style));
    QCOMPARE(title, QStringLiteral("提示"));
    QCOMPARE(answer, expected);
}

void TestUiToolkit::modalSeam()
{
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("TQueryForm"));
    whenModalShown([](QWidget* modal) {
        if (auto* shown = qobject_cast<QDialog*>(modal))
            shown->done(7);
    });
    QCOMPARE(ui::showModal(&dialog), 7); // the real one blocks until the dialog ends
    QCOMPARE(ui::showModal(nullptr), int(QDialog::Rejected));

    ui::ModalRecorder recorder;
    recorder.setNextResults({QDialog::Rejected});
    QCOMPARE(ui::showModal(&dialog), int(QDialog::Rejected));
    QVERIFY(dialog.isVisible());
    QDialog unnamed;
    QCOMPARE(ui::showModal(&unnamed), int(QDialog::Accepted));
    QCOMPARE(recorder.shown(), QStringList({"TQueryForm", "QDialog"}));
    QCOMPARE(recorder.dialogs().first().data(), &dialog);
}

void TestUiToolkit::otherSeams()
{
    const QString realDesktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    {
        ui::DesktopFolderOverride outer(QStringLiteral("/tmp/a"));
        {
            ui::DesktopFolderOverride inner(QStringLiteral("/tmp/b"));
            QCOMPARE(ui::desktopFolder(), QStringLiteral("/tmp/b"));
        }
        QCOMPARE(ui::desktopFolder(), QStringLiteral("/tmp/a"));

        ui::OpenRecorder opened;
        ui::openWithDesktop(QStringLiteral("help.chm"));
        QCOMPARE(opened.opened(), QStringList{QDir::current().absoluteFilePath("help.chm")});

        ui::SaveNameOverride save({QStringLiteral("/tmp/x.xls")});
        QCOMPARE(ui::askSaveFileName(nullptr), QStringLiteral("/tmp/x.xls"));
        QCOMPARE(ui::askSaveFileName(nullptr), QString()); // a cancelled dialog
        QCOMPARE(save.asked(), 2);
    }
    QCOMPARE(ui::desktopFolder(), realDesktop);
}

void TestUiToolkit::fonts_data()
{
    QTest::addColumn<QFont>("font");
    QTest::addColumn<QString>("family");    // what the font resolves to
    QTest::addColumn<QString>("hanFamily"); // where 收银员 is drawn from

    const QString sans = QStringLiteral("Noto Sans CJK SC");
    const QString serif = QStringLiteral("Noto Serif CJK SC");
    QTest::newRow("宋体") << QFont("宋体") << serif << serif;
    QTest::newRow("黑体") << QFont("黑体") << sans << sans;
    QTest::newRow("方正兰亭刊黑_GBK") << QFont("方正兰亭刊黑_GBK") << sans << sans;
    QTest::newRow("MS Sans Serif") << QFont("MS Sans Serif") << "DejaVu Sans" << sans;
    QTest::newRow("Arial") << QFont("Arial") << "DejaVu Sans" << sans;
    QTest::newRow("songFont") << ui::songFont(15, true) << serif << serif;
    QTest::newRow("heiFont") << ui::heiFont(20) << sans << sans;
}

void TestUiToolkit::fonts()
{
    QFETCH(QFont, font);
    QFETCH(QString, family);
    QFETCH(QString, hanFamily);

    if (family == "DejaVu Sans" && QFontDatabase::families().contains("Liberation Sans"))
        family = QStringLiteral("Liberation Sans");
    QCOMPARE(QFontInfo(font).family(), family);
    QTextLayout layout(QStringLiteral("收银员"), font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs.first().rawFont().familyName().toLower(), hanFamily.toLower());
    QVERIFY(!runs.first().glyphIndexes().contains(0));
    if (font.pixelSize() > 0)
        QCOMPARE(QFontInfo(font).pixelSize(), font.pixelSize());
}

void TestUiToolkit::windowGeometry_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QSize>("client");

    QTest::newRow("main window") << int(ui::ControlBox | ui::Minimise | ui::Close) << QSize(800, 560);
    QTest::newRow("login") << int(ui::ControlBox) << QSize(300, 180);
    QTest::newRow("dialog") << int(ui::Close) << QSize(420, 300);
}

void TestUiToolkit::windowGeometry()
{
    QFETCH(int, buttons);
    QFETCH(QSize, client);
    const ui::TitleButtons wanted(buttons);

    ui::SkinnedWindow window;
    window.setupSkin(QStringLiteral("窗口"), client, wanted);
    window.clientArea()->resize(10, 10); // as setupUi does
    window.show();
    QCOMPARE(window.clientArea()->size(), client);
    QCOMPARE(window.clientArea()->pos(), QPoint(0, window.titleBar()->height()));
    QCOMPARE(window.size(), QSize(client.width(), window.titleBar()->height() + client.height()));
    QVERIFY(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(window.findChild<QWidget*>("titleControlBox") != nullptr, wanted.testFlag(ui::ControlBox));
    QCOMPARE(window.findChild<QWidget*>("titleMinimise") != nullptr, wanted.testFlag(ui::Minimise));
    QCOMPARE(window.findChild<QWidget*>("titleClose") != nullptr, wanted.testFlag(ui::Close));

    const QRegion mask = window.mask();
    const int right = client.width() - 1;
    const int bottom = window.height() - 1;
    for (const QPoint cut : {QPoint(0, 0), QPoint(right, 0), QPoint(2, 1)})
        QVERIFY2(!mask.contains(cut), qPrintable(QStringLiteral("corner (%1,%2)").arg(cut.x()).arg(cut.y())));
    for (const QPoint kept : {QPoint(11, 0), QPoint(0, 11), QPoint(0, bottom), QPoint(right, bottom)})
        QVERIFY(mask.contains(kept));
}

void TestUiToolkit::windowCaption()
{
    ui::SkinnedWindow window;
    window.setupSkin(QStringLiteral("销售小票打印"), QSize(200, 100), ui::Close);
    QCOMPARE(window.windowTitle(), QStringLiteral("销售小票打印"));
    window.setCaption(QStringLiteral("商品信息"));
    QCOMPARE(window.caption(), QStringLiteral("商品信息"));
    QCOMPARE(window.windowTitle(), QStringLiteral("商品信息"));
    QCOMPARE(window.findChild<QLabel*>("titleCaption")->text(), QStringLiteral("商品信息"));
}

void TestUiToolkit::closedOncePerClose_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("escape"); // -1: as the buttons decide
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("closes");

    const int withClose = ui::ControlBox | ui::Close;
    QTest::newRow("close()") << withClose << -1 << "close" << true;
    QTest::newRow("reject()") << withClose << -1 << "reject" << true;
    QTest::newRow("accept()") << withClose << -1 << "accept" << true;
    QTest::newRow("hide()") << withClose << -1 << "hide" << true;
    QTest::newRow("close button") << withClose << -1 << "button" << true;
    QTest::newRow("esc, close button") << withClose << -1 << "esc" << true;
    QTest::newRow("esc, no close button") << int(ui::ControlBox) << -1 << "esc" << false;
    QTest::newRow("esc allowed") << int(ui::ControlBox) << 1 << "esc" << true;
    QTest::newRow("esc refused") << withClose << 0 << "esc" << false;
}

void TestUiToolkit::closedOncePerClose()
{
    QFETCH(int, buttons);
    QFETCH(int, escape);
    QFETCH(QString, how);
    QFETCH(bool, closes);

    ui::SkinnedWindow window;
    if (escape >= 0)
        window.setEscapeCloses(escape == 1);
    window.setupSkin(QStringLiteral("登录"), QSize(300, 200), ui::TitleButtons(buttons));
    QSignalSpy closed(&window, &ui::SkinnedWindow::closed);
    for (int round = 1; round <= 2; ++round) {
        window.show();
        if (how == "close")
            window.close();
        else if (how == "reject")
            window.reject();
        else if (how == "accept")
            window.accept();
        else if (how == "hide")
            window.hide();
        else if (how == "button")
            QTest::mouseClick(window.findChild<QWidget*>("titleClose"), Qt::LeftButton);
        else
            QTest::keyClick(&window, Qt::Key_Escape);
        QCOMPARE(window.isVisible(), !closes);
        QCOMPARE(closed.count(), closes ? round : round - 1);
        window.close(); // closes what is still open; a closed window is not closed again
        QCOMPARE(closed.count(), round);
    }
}

void TestUiToolkit::dragMovesWindow_data()
{
    QTest::addColumn<QString>("grab");
    QTest::addColumn<bool>("moves");
    QTest::newRow("bar") << "titleBar" << true;
    QTest::newRow("caption") << "titleCaption" << true;
    QTest::newRow("close button") << "titleClose" << false;
}

void TestUiToolkit::dragMovesWindow()
{
    QFETCH(QString, grab);
    QFETCH(bool, moves);

    ui::SkinnedWindow window;
    window.setupSkin(QStringLiteral("拖动"), QSize(400, 200), ui::ControlBox | ui::Close);
    window.move(100, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The mouse goes where the desktop would send it: past widgets transparent to it.
    QWidget* grabbed = window.findChild<QWidget*>(grab);
    QWidget* target = grabbed->testAttribute(Qt::WA_TransparentForMouseEvents) ? window.titleBar() : grabbed;
    const QPoint start = grabbed->mapTo(target, grabbed->rect().center());
    QTest::mousePress(target, Qt::LeftButton, {}, start);
    QTest::mouseMove(target, start + QPoint(30, 25));
    QTest::mouseRelease(target, Qt::LeftButton, {}, start + QPoint(30, 25));
    QCOMPARE(window.pos(), moves ? QPoint(130, 125) : QPoint(100, 100));
    QVERIFY(window.isVisible());
}

void TestUiToolkit::centreOnScreen()
{
    ui::SkinnedWindow window;
    window.setupSkin(QStringLiteral("居中"), QSize(301, 201), ui::Close);
    window.centreOnScreen();
    const QPoint centre = window.screen()->availableGeometry().center();
    QVERIFY((window.geometry().center() - centre).manhattanLength() <= 1);
}

QTEST_MAIN(TestUiToolkit)
#include "test_ui_toolkit.moc"
