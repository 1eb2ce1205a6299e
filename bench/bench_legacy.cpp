// Imports an old data.mdb (the path given) into data.mdb in the working directory the way the
// import window does, in slices, and reports the time, the longest slice (how long the window
// could not answer) and the memory before and at the peak.
#include "BenchSupport.h"
#include "legacy/LegacyFile.h"
#include "legacy/LegacyImport.h"
#include "store/Connection.h"
#include "core/Error.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: quorvel_bench_legacy OLD.mdb\n");
        return 2;
    }
    try {
        store::Connection connection(QStringLiteral("bench"));
        connection.open();
        bench::report(QStringLiteral("legacy_import_start_rss_mb"), bench::peakRssMb(), "MB");
        QElapsedTimer total;
        total.start();
        legacy::LegacyFile file(QString::fromLocal8Bit(argv[1]));
        const legacy::LegacyPreview preview = legacy::previewOf(file, connection);
        bench::report(QStringLiteral("legacy_preview_ms"), total.nsecsElapsed() / 1e6, "ms");
        legacy::LegacyImport import(file, connection, {true, true});
        double longestSlice = 0;
        bool more = true;
        while (more) {
            QElapsedTimer slice;
            slice.start();
            more = import.step(std::chrono::milliseconds(40));
            longestSlice = std::max(longestSlice, slice.nsecsElapsed() / 1e6);
        }
        const legacy::ImportCounts counts = import.commit();
        bench::report(QStringLiteral("legacy_import_100k_s"), total.nsecsElapsed() / 1e9, "s");
        bench::report(QStringLiteral("legacy_import_longest_slice_ms"), longestSlice, "ms");
        bench::report(QStringLiteral("legacy_import_peak_rss_mb"), bench::peakRssMb(), "MB");
        std::fprintf(stderr, "# %s\n", qPrintable(legacy::describe(counts)));
    } catch (const store::Error& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
