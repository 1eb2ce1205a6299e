#include "shell/GoodsTotalsFill.h"

#include "core/Error.h"
#include "store/Connection.h"
#include "store/DayTotals.h"

#include <QDebug>

namespace shell {

namespace {

void fillUntilDoneOrStopped(const std::atomic_bool& stop)
{
    try {
        store::Connection connection(QStringLiteral("GoodsTotalsFill"));
        connection.open();
        while (!stop && store::fillPendingGoods(connection, store::BackgroundFillLines))
            QThread::msleep(20); // lets the till's own writes in between the slices
    } catch (const core::Error& error) {
        // The lines stay marked: the next start, or a report, sums them.
        qWarning().noquote() << error.message();
    }
}

} // namespace

GoodsTotalsFill::~GoodsTotalsFill()
{
    atExit();
}

void GoodsTotalsFill::atStart()
{
    if (m_running)
        return;
    m_stop = false;
    m_running.reset(QThread::create([this] { fillUntilDoneOrStopped(m_stop); }));
    m_running->start(QThread::LowPriority);
}

void GoodsTotalsFill::atExit()
{
    if (!m_running)
        return;
    m_stop = true;
    m_running->wait();
    m_running.reset();
}

} // namespace shell
