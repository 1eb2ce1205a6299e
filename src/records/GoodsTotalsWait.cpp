#include "records/GoodsTotalsWait.h"

#include "store/DayTotals.h"

#include <QProgressDialog>

namespace records {

namespace {

constexpr qint64 SliceLines = 200000;
constexpr int Steps = 1000;

int stepsDone(const store::PendingGoodsLines& atStart, const std::optional<store::PendingGoodsLines>& now)
{
    if (!now || atStart.last <= atStart.first)
        return Steps;
    return int(double(now->first - atStart.first) / double(atStart.last - atStart.first) * Steps);
}

} // namespace

void finishGoodsTotals(QWidget* owner, store::Connection& connection)
{
    const std::optional<store::PendingGoodsLines> atStart = store::pendingGoodsLines(connection);
    if (!atStart)
        return;
    QProgressDialog progress(QStringLiteral("正在整理历史销售的商品汇总，升级后只需一次，请稍候……"), QString(), 0, Steps,
                             owner);
    progress.setWindowTitle(QStringLiteral("商品汇总"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(300);
    progress.setValue(0);
    while (store::fillPendingGoods(connection, SliceLines))
        progress.setValue(stepsDone(*atStart, store::pendingGoodsLines(connection)));
    progress.setValue(Steps);
}

} // namespace records
