// Brings the data.mdb of the working directory to the newest schema, as the start does (checked
// copy, then the steps), and reports the time: quorvel_bench_upgrade LABEL -> upgrade_ms_LABEL.
// Then sums the lines the upgrade left for the goods totals, in the background fill's slices, as
// the program does after the start: goods_fill_ms_LABEL in all, goods_fill_slice_ms_LABEL the
// longest slice (what a print run may wait for).
#include "BenchSupport.h"
#include "core/Error.h"
#include "store/Connection.h"
#include "store/DayTotals.h"
#include "store/Upgrades.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString label = argc > 1 ? QString::fromUtf8(argv[1]) : QStringLiteral("run");
    store::Connection connection(QStringLiteral("bench"));
    try {
        QElapsedTimer timer;
        timer.start();
        store::upgradeDatabase(connection);
        bench::report(QStringLiteral("upgrade_ms_%1").arg(label), timer.nsecsElapsed() / 1e6, "ms");
        double longest = 0;
        QElapsedTimer all;
        all.start();
        for (bool more = true; more;) {
            QElapsedTimer slice;
            slice.start();
            more = store::fillPendingGoods(connection, store::BackgroundFillLines);
            longest = std::max(longest, slice.nsecsElapsed() / 1e6);
        }
        bench::report(QStringLiteral("goods_fill_ms_%1").arg(label), all.nsecsElapsed() / 1e6, "ms");
        bench::report(QStringLiteral("goods_fill_slice_ms_%1").arg(label), longest, "ms");
    } catch (const core::Error& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
