#pragma once

#include "settings/QxsmUnit.h"
#include "settings/SptjUnit.h"
#include "settings/SpxgUnit.h"
#include "settings/XtUnit.h"
#include "settings/YhtjUnit.h"
#include "settings/YhxgUnit.h"
#include "support/DesktopRecorders.h"
#include "ui/Messages.h"

#include <QList>
#include <QStringList>
#include <memory>

namespace testsupport {

// The settings window and its five dialogs, made in the program's order on the data.mdb of
// the working directory, with the dialogs handed over by the start-up's own code. It also keeps
// a log of the signals meant for the main window, in the order they came.
struct SettingsForms
{
    SettingsForms();
    ~SettingsForms();

    void loginAsOrdinaryUser() const; // the settings window's rights as the login gives "普通用户"
    // Moves the settings window's users or goods dataset to the first row whose name is
    // given, as a click in its grid would; false when no row has it.
    bool selectUser(const QString& name) const;
    bool selectGoods(const QString& name) const;

    std::unique_ptr<TXtForm> xt;
    std::unique_ptr<TYhtjForm> yhtj;
    std::unique_ptr<TYhxgForm> yhxg;
    std::unique_ptr<TSptjForm> sptj;
    std::unique_ptr<TSpxgForm> spxg;
    std::unique_ptr<TQxsmForm> qxsm;

    // "XtForm.goodsChanged", "YhtjForm.usersChanged", "XtForm.printContentSaved:<name>|<remark>", ...
    QStringList signalLog;
};

// The styles of the recorded messages, in order.
QList<ui::MessageStyle> messageStyles(const ui::MessageRecorder& recorder);

} // namespace testsupport
