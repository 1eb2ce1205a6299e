#pragma once

#include "support/DesktopRecorders.h"
#include "support/TestDatabase.h"
#include "ui/Messages.h"

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

class Forms;
class QComboBox;
class QLineEdit;
class QPushButton;
class TLoginForm;
class TMainForm;

namespace testsupport {

// A fresh data.mdb, a desktop folder of its own, every dialog and message recorded instead of
// shown, and the program's windows created on it as at start-up (prepare runs on the file
// first). Destroyed in reverse, windows first.
class ShellFixture
{
public:
    explicit ShellFixture(const std::function<void(TestDatabase&)>& prepare = {});
    ~ShellFixture();
    ShellFixture(const ShellFixture&) = delete;
    ShellFixture& operator=(const ShellFixture&) = delete;

    TMainForm& main() const;

    // Shows the main window as the start does, then logs in through a real TLoginForm:
    // picks the user, types the password, presses "确定". True when the login was confirmed.
    bool logIn(const QString& user = QStringLiteral("admin"), const QString& password = QString());

    TestDatabase db;
    QTemporaryDir desktop;
    ui::DesktopFolderOverride desktopFolder;
    ui::MessageRecorder messages;
    std::optional<ui::ModalRecorder> modals; // reset it to run a dialog's own modal loop
    ui::OpenRecorder opened;
    std::unique_ptr<Forms> forms;
};

// The login window's controls, found by their object names.
struct LoginControls
{
    QComboBox* ComboBox1;      // users
    QLineEdit* Edit1;          // password
    QPushButton* SpeedButton1; // 确定
    QPushButton* SpeedButton2; // 关闭
};
LoginControls loginControls(const TLoginForm& login);

// The same login on any Forms (a second start of the program on the same data.mdb, say).
bool logIn(Forms& forms, const QString& user, const QString& password);

// Types text into the widget key by key, as a cashier would (each key pressed and released).
// Letters, digits and signs only: the test library types nothing outside Latin-1.
void typeInto(QWidget* widget, const QString& text);
// Empties the box, then types text into it.
void retype(QLineEdit* box, const QString& text);
void retype(QComboBox* box, const QString& text);

// SQL giving a stored number as the program writes it: 3, not sqlite's 3.0.
QString storedNumber(const QString& column);
// The lines of the sale being entered, one "品名|单价|数量|金额|折后" row each.
QStringList saleLineTexts(const ShellFixture& shell);

} // namespace testsupport
