// Imports the old file named on the command line into data.mdb in the working directory, reads
// every row, says "written" and waits to be killed before it commits.
#include "legacy/LegacyFile.h"
#include "legacy/LegacyImport.h"
#include "store/Connection.h"

#include <QCoreApplication>
#include <cstdio>
#include <thread>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    legacy::LegacyFile file(QString::fromLocal8Bit(argv[1]));
    store::Connection connection(QStringLiteral("helper"));
    connection.open();
    legacy::LegacyImport import(file, connection, {.printContent = true, .printSettings = true});
    while (import.step(std::chrono::milliseconds(50))) {
    }
    std::printf("written %lld\n", static_cast<long long>(import.done()));
    std::fflush(stdout);
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}
