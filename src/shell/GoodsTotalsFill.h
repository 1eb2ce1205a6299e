#pragma once

#include <QThread>
#include <atomic>
#include <memory>

namespace shell {

// Sums the lines an upgrade left out of the goods totals, a slice at a time on a thread of its
// own while the cashier works: each slice is one short transaction, so a print run waits at most
// for one. An exit stops it after the slice in hand; the next start goes on from there, and a
// report that needs the totals first finishes them itself.
class GoodsTotalsFill
{
public:
    GoodsTotalsFill() = default;
    ~GoodsTotalsFill(); // stops a fill still running
    GoodsTotalsFill(const GoodsTotalsFill&) = delete;
    GoodsTotalsFill& operator=(const GoodsTotalsFill&) = delete;

    void atStart(); // nothing to do on a file whose lines are all counted
    void atExit();

private:
    std::unique_ptr<QThread> m_running;
    std::atomic_bool m_stop{false};
};

} // namespace shell
