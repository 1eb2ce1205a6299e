#pragma once

#include "core/LoggedInUser.h"

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

class QWidget;
class TMainForm;
class TXtForm;
class TYhtjForm;
class TYhxgForm;
class TSptjForm;
class TSpxgForm;
class TXstjForm;
class TXsmxForm;
class TXscxForm;
class TQxsmForm;
class TDy58Form;
class TDy76Form;
class TThForm;
class TJbForm;
class TRjForm;
class TBbForm;

namespace shell {
class ClosingSlipHandOff;
class ReturnSlipHandOff;
}

// Owns every window of the program. The constructor creates them once, in the fixed order,
// each opening its own connection; they live until Forms goes and are destroyed in reverse.
// Forms introduces them to one another and carries their news (signals) to the window that acts.
class Forms
{
public:
    Forms(); // throws core::Error when a window cannot open the database
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    // Shows the main window, then runs the login gate: true only for a confirmed login.
    bool start();
    void showMainWindow();
    bool runLoginGate();

    // What the login window runs at its creation before its user list: the desktop entry and
    // emptying the sale left unprinted by an earlier run.
    std::function<void()> loginFirstSteps();
    // A confirmed login's outcome, applied to the windows: the cashier, the status bar, the rights.
    void applyLogin(const core::LoggedInUser& user);
    const core::LoggedInUser& loggedInUser() const { return m_loggedIn; }

    TMainForm* MainForm = nullptr;
    // The settings window and the dialogs it opens.
    TXtForm* XtForm = nullptr;
    TYhtjForm* YhtjForm = nullptr;
    TYhxgForm* YhxgForm = nullptr;
    TSptjForm* SptjForm = nullptr;
    TSpxgForm* SpxgForm = nullptr;
    TQxsmForm* QxsmForm = nullptr;
    // The sales statistics and the two windows it opens.
    TXstjForm* XstjForm = nullptr;
    TXsmxForm* XsmxForm = nullptr;
    TXscxForm* XscxForm = nullptr;
    // The receipt layouts the print run and the preview fill.
    TDy58Form* Dy58Form = nullptr;
    TDy76Form* Dy76Form = nullptr;
    // Returns, asked for from the statistics and detail windows.
    TThForm* ThForm = nullptr;
    // The shift handover, asked for from the main window, and the day close, from the statistics.
    TJbForm* JbForm = nullptr;
    TRjForm* RjForm = nullptr;
    // The business reports, asked for from the statistics.
    TBbForm* BbForm = nullptr;

private:
    template <typename Window, typename... Arguments> Window* create(Arguments&&... arguments);
    void introduceWindows();
    void connectNews();
    void connectReturns();
    void connectClosings();
    void applyRights(bool administrator);

    std::vector<std::unique_ptr<QWidget>> m_windows; // in creation order
    std::unique_ptr<QObject> m_helpKey;
    std::unique_ptr<shell::ReturnSlipHandOff> m_returnSlips;
    std::unique_ptr<shell::ClosingSlipHandOff> m_closingSlips;
    core::LoggedInUser m_loggedIn;
};

// How a window is handed the dialogs it opens, which are created after it and hold it. Forms
// introduces its windows with these, and so do the tests that make a few windows alone.
void introduceSettingsDialogs(TXtForm& settings, TYhtjForm& yhtj, TYhxgForm& yhxg, TSptjForm& sptj, TSpxgForm& spxg,
                              TQxsmForm& qxsm);
void introduceRecordsDialogs(TXstjForm& statistics, TXsmxForm& detail, TXscxForm& query);
void introduceReceiptForms(TMainForm& main, TDy58Form& dy58, TDy76Form& dy76);
