#include "support/SettingsForms.h"

#include "shell/Forms.h"
#include "support/DesktopRecorders.h"

namespace testsupport {

namespace {

bool selectRow(store::Dataset& dataset, const QString& column, const QString& name)
{
    for (int record = 1; record <= dataset.recordCount(); ++record) {
        dataset.moveTo(record);
        if (dataset.field(column) == name)
            return true;
    }
    return false;
}

} // namespace

SettingsForms::SettingsForms()
    : xt(std::make_unique<TXtForm>()), yhtj(std::make_unique<TYhtjForm>(xt.get())),
      yhxg(std::make_unique<TYhxgForm>(xt.get())), sptj(std::make_unique<TSptjForm>(xt.get())),
      spxg(std::make_unique<TSpxgForm>(xt.get())), qxsm(std::make_unique<TQxsmForm>())
{
    introduceSettingsDialogs(*xt, *yhtj, *yhxg, *sptj, *spxg, *qxsm);
    QObject::connect(xt.get(), &TXtForm::goodsChanged, [this] { signalLog << QStringLiteral("XtForm.goodsChanged"); });
    QObject::connect(xt.get(), &TXtForm::usersChanged, [this] { signalLog << QStringLiteral("XtForm.usersChanged"); });
    QObject::connect(xt.get(), &TXtForm::printContentSaved, [this](const QString& name, const QString& remark) {
        signalLog << QStringLiteral("XtForm.printContentSaved:") + name + QLatin1Char('|') + remark;
    });
    QObject::connect(yhtj.get(), &TYhtjForm::usersChanged,
                     [this] { signalLog << QStringLiteral("YhtjForm.usersChanged"); });
    QObject::connect(sptj.get(), &TSptjForm::goodsChanged,
                     [this] { signalLog << QStringLiteral("SptjForm.goodsChanged"); });
    QObject::connect(spxg.get(), &TSpxgForm::goodsChanged,
                     [this] { signalLog << QStringLiteral("SpxgForm.goodsChanged"); });
}

// Dialogs first: they hold the settings window.
SettingsForms::~SettingsForms()
{
    qxsm.reset();
    spxg.reset();
    sptj.reset();
    yhxg.reset();
    yhtj.reset();
    xt.reset();
}

void SettingsForms::loginAsOrdinaryUser() const
{
    xt->applyRights(false);
}

bool SettingsForms::selectUser(const QString& name) const
{
    return selectRow(xt->ADOQuery1, QStringLiteral("用户名"), name);
}

bool SettingsForms::selectGoods(const QString& name) const
{
    return selectRow(xt->ADOQuery2, QStringLiteral("品名"), name);
}

QList<ui::MessageStyle> messageStyles(const ui::MessageRecorder& recorder)
{
    QList<ui::MessageStyle> styles;
    for (const ui::RecordedMessage& message : recorder.messages())
        styles << message.style;
    return styles;
}

} // namespace testsupport
