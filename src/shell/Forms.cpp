#include "shell/Forms.h"

#include "printing/Dy58Unit.h"
#include "printing/Dy76Unit.h"
#include "records/BbUnit.h"
#include "records/ThUnit.h"
#include "records/XscxUnit.h"
#include "records/XsmxUnit.h"
#include "records/XstjUnit.h"
#include "settings/QxsmUnit.h"
#include "settings/SptjUnit.h"
#include "settings/SpxgUnit.h"
#include "settings/XtUnit.h"
#include "settings/YhtjUnit.h"
#include "settings/YhxgUnit.h"
#include "shifts/JbUnit.h"
#include "shifts/RjUnit.h"
#include "shell/ClosingSlipHandOff.h"
#include "shell/DesktopEntry.h"
#include "shell/LoginUnit.h"
#include "shell/MainUnit.h"
#include "shell/ReturnSlipHandOff.h"
#include "shell/Startup.h"
#include "ui/Guard.h"
#include "ui/Seams.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QKeyEvent>

namespace {

// F1 opens the help from whichever window of the program has the keyboard, dialogs included,
// and from no other program's.
class HelpKey : public QObject
{
public:
    explicit HelpKey(TMainForm* main) : m_main(main) { qApp->installEventFilter(this); }
    ~HelpKey() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return QObject::eventFilter(watched, event);
        if (!key->isAutoRepeat())
            ui::runGuarded(m_main, [this] { m_main->WMHotKey(TMainForm::HelpKey); });
        return true;
    }

private:
    TMainForm* m_main;
};

} // namespace

template <typename Window, typename... Arguments> Window* Forms::create(Arguments&&... arguments)
{
    auto window = std::make_unique<Window>(std::forward<Arguments>(arguments)...);
    Window* created = window.get();
    m_windows.push_back(std::move(window));
    return created;
}

Forms::Forms()
{
    MainForm = create<TMainForm>();
    XtForm = create<TXtForm>();
    YhtjForm = create<TYhtjForm>(XtForm);
    YhxgForm = create<TYhxgForm>(XtForm);
    SptjForm = create<TSptjForm>(XtForm);
    SpxgForm = create<TSpxgForm>(XtForm);
    XstjForm = create<TXstjForm>();
    XsmxForm = create<TXsmxForm>(XstjForm);
    XscxForm = create<TXscxForm>(XstjForm);
    QxsmForm = create<TQxsmForm>();
    Dy58Form = create<TDy58Form>();
    Dy76Form = create<TDy76Form>();
    ThForm = create<TThForm>();
    JbForm = create<TJbForm>();
    RjForm = create<TRjForm>();
    BbForm = create<TBbForm>();
    m_returnSlips = std::make_unique<shell::ReturnSlipHandOff>(*MainForm, *Dy58Form);
    m_closingSlips = std::make_unique<shell::ClosingSlipHandOff>(*MainForm, *Dy58Form);
    introduceWindows();
    connectNews();
    m_helpKey = std::make_unique<HelpKey>(MainForm);
}

Forms::~Forms()
{
    m_helpKey.reset();
    if (ThForm)
        ThForm->setSlipHandOff(nullptr);
    if (JbForm)
        JbForm->setSlipHandOff(nullptr);
    if (RjForm)
        RjForm->setSlipHandOff(nullptr);
    while (!m_windows.empty())
        m_windows.pop_back();
}

void introduceSettingsDialogs(TXtForm& settings, TYhtjForm& yhtj, TYhxgForm& yhxg, TSptjForm& sptj, TSpxgForm& spxg,
                              TQxsmForm& qxsm)
{
    settings.setDialogs(&yhtj, &yhxg, &sptj, &spxg, &qxsm);
}

void introduceRecordsDialogs(TXstjForm& statistics, TXsmxForm& detail, TXscxForm& query)
{
    statistics.setDialogs(&detail, &query);
}

void introduceReceiptForms(TMainForm& main, TDy58Form& dy58, TDy76Form& dy76)
{
    main.setReceiptForms(&dy58, &dy76);
}

void Forms::introduceWindows()
{
    introduceReceiptForms(*MainForm, *Dy58Form, *Dy76Form);
    introduceSettingsDialogs(*XtForm, *YhtjForm, *YhxgForm, *SptjForm, *SpxgForm, *QxsmForm);
    introduceRecordsDialogs(*XstjForm, *XsmxForm, *XscxForm);
    YhxgForm->setLoggedInUser(&m_loggedIn);
    ThForm->setLoggedInUser(&m_loggedIn);
    ThForm->setSlipHandOff(m_returnSlips.get());
    JbForm->setLoggedInUser(&m_loggedIn);
    JbForm->setSlipHandOff(m_closingSlips.get());
    RjForm->setLoggedInUser(&m_loggedIn);
    RjForm->setSlipHandOff(m_closingSlips.get());
}

// What the lower windows announce, the main window carries out at once, inside their handlers.
void Forms::connectNews()
{
    TMainForm* main = MainForm;
    const auto direct = Qt::DirectConnection;
    ui::connectGuarded(XtForm, &TXtForm::goodsChanged, main, &TMainForm::reloadGoodsPickList, direct);
    ui::connectGuarded(XtForm, &TXtForm::usersChanged, main, &TMainForm::reloadCashierPickList, direct);
    ui::connectGuarded(XtForm, &TXtForm::printContentSaved, main, &TMainForm::showPrintContent, direct);
    ui::connectGuarded(XtForm, &TXtForm::printSettingsImported, main, &TMainForm::showStoredPrintSettings, direct);
    ui::connectGuarded(YhtjForm, &TYhtjForm::usersChanged, main, &TMainForm::reloadCashierPickList, direct);
    ui::connectGuarded(SptjForm, &TSptjForm::goodsChanged, main, &TMainForm::reloadGoodsPickList, direct);
    ui::connectGuarded(SpxgForm, &TSpxgForm::goodsChanged, main, &TMainForm::reloadGoodsPickList, direct);
    // A reprint that cannot be made is told over the window it was asked from.
    const auto reprint = [main](const QString& number) { main->ReprintSale(number); };
    ui::connectGuarded(XstjForm, &TXstjForm::reprintRequested, XstjForm, reprint, direct);
    ui::connectGuarded(XsmxForm, &TXsmxForm::reprintRequested, XsmxForm, reprint, direct);
    connectReturns();
    connectClosings();
    // What the main window asks of the others is a step of its own handler: unguarded, so an
    // error stops that handler as a direct call would.
    QObject::connect(main, &TMainForm::settingsRequested, XtForm, &TXtForm::OpenOnUsersTab, direct);
    QObject::connect(main, &TMainForm::statisticsRequested, XstjForm, &TXstjForm::OpenFromMain, direct);
    QObject::connect(main, &TMainForm::settingsRefreshRequested, XtForm, &TXtForm::SettingsRefresh, direct);
    QObject::connect(main, &TMainForm::addGoodsRequested, SptjForm, &TSptjForm::addWithBarcode, direct);
    QObject::connect(XtForm, &TXtForm::restoreRequested, qApp, [] { shell::restartOnRestoredCopy(); });
}

// A return is asked for over the list it was chosen in; once recorded, both lists show it.
void Forms::connectReturns()
{
    const auto direct = Qt::DirectConnection;
    TThForm* returns = ThForm;
    const auto open = [returns](const QString& number) { returns->OpenForSale(number); };
    ui::connectGuarded(XstjForm, &TXstjForm::returnRequested, XstjForm, open, direct);
    ui::connectGuarded(XsmxForm, &TXsmxForm::returnRequested, XsmxForm, open, direct);
    ui::connectGuarded(ThForm, &TThForm::returnRecorded, XstjForm, &TXstjForm::showReturnRecorded, direct);
    ui::connectGuarded(ThForm, &TThForm::returnRecorded, XsmxForm, &TXsmxForm::showReturnRecorded, direct);
}

// The handover is told over the main window, the day close over the statistics it is asked from.
void Forms::connectClosings()
{
    const auto direct = Qt::DirectConnection;
    TJbForm* handover = JbForm;
    TRjForm* dayClose = RjForm;
    ui::connectGuarded(MainForm, &TMainForm::handoverRequested, MainForm, [handover] { handover->OpenForShift(); },
                       direct);
    ui::connectGuarded(XstjForm, &TXstjForm::dayCloseRequested, XstjForm, [dayClose] { dayClose->OpenDayClose(); },
                       direct);
    TBbForm* reports = BbForm;
    ui::connectGuarded(XstjForm, &TXstjForm::reportsRequested, XstjForm, [reports] { reports->OpenReports(); },
                       direct);
}

bool Forms::start()
{
    showMainWindow();
    return runLoginGate();
}

void Forms::showMainWindow()
{
    MainForm->show();
}

bool Forms::runLoginGate()
{
    TLoginForm login(loginFirstSteps());
    const int shown = ui::showModal(&login);
    // Only the confirm operation sets OK; a dialog shown without blocking never has.
    const bool confirmed = shown == QDialog::Accepted && login.result() == QDialog::Accepted;
    if (confirmed)
        applyLogin(login.outcome());
    return confirmed;
}

std::function<void()> Forms::loginFirstSteps()
{
    return [this] {
        shell::writeDesktopEntry(ui::desktopFolder(), QCoreApplication::applicationFilePath(), QDir::currentPath());
        MainForm->discardUnprintedSale();
    };
}

void Forms::applyLogin(const core::LoggedInUser& user)
{
    m_loggedIn = user;
    JbForm->setLoggedInAt(QDateTime::currentDateTime());
    MainForm->showLoggedIn(user);
    // Any other right leaves every control as designed.
    if (user.isAdministrator())
        applyRights(true);
    if (user.isOrdinaryUser())
        applyRights(false);
}

void Forms::applyRights(bool administrator)
{
    MainForm->applyRights(administrator);
    XtForm->applyRights(administrator);
    XstjForm->applyRights(administrator);
}
