#pragma once

#include <QObject>
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

// Owns every window of the program. The constructor creates them once, in the fixed order,
// each opening its own connection; they live until Forms goes and are destroyed in reverse.
// Windows reach one another through these members.
class Forms
{
public:
    Forms(); // throws store::Error when a window cannot open the database
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    // Shows the main window, then runs the login gate: true only for a confirmed login.
    bool start();
    void showMainWindow();
    bool runLoginGate();

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

private:
    template <typename Window, typename... Arguments> Window* create(Arguments&&... arguments);
    void introduceWindows();
    void connectNews();

    std::vector<std::unique_ptr<QWidget>> m_windows; // in creation order
    std::unique_ptr<QObject> m_helpKey;
};

// How a window is handed the dialogs it opens, which are created after it and hold it. Forms
// introduces its windows with these, and so do the tests that make a few windows alone.
void introduceSettingsDialogs(TXtForm& settings, TYhtjForm& yhtj, TYhxgForm& yhxg, TSptjForm& sptj, TSpxgForm& spxg,
                              TQxsmForm& qxsm);
void introduceRecordsDialogs(TXstjForm& statistics, TXsmxForm& detail, TXscxForm& query);
