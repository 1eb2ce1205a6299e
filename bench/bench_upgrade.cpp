// Brings the data.mdb of the working directory to the newest schema, as the start does (checked
// copy, then the steps), and reports the time: quorvel_bench_upgrade LABEL -> upgrade_ms_LABEL.
#include "BenchSupport.h"
#include "core/Error.h"
#include "store/Connection.h"
#include "store/Upgrades.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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
    } catch (const core::Error& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
