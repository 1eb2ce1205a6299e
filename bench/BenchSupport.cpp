#include "BenchSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

double medianMs(int runs, const std::function<void()>& body)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        body();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double peakRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(status.readAll());
    const auto match = QRegularExpression(QStringLiteral("VmHWM:\\s+(\\d+) kB")).match(text);
    return match.hasMatch() ? match.captured(1).toDouble() / 1024.0 : -1;
}

void report(const QString& name, double value, const QString& unit)
{
    std::printf("%s %.3f %s\n", qPrintable(name), value, qPrintable(unit));
    std::fflush(stdout);
}

} // namespace bench
