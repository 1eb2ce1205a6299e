// Figures of the real windows on whatever data.mdb the working directory holds.
// Usage: quorvel_bench_windows start|ops|export LABEL
//   start   creating every window, showing the main window and the login window
//   ops     adding a sale line, a ten-line print run to PDF, opening the statistics window,
//           a cashier search and a sale's detail
//   export  exporting every sale of the history (run it on a 100,000-sale file)
#include "BenchSupport.h"
#include "printing/PrintSeam.h"
#include "records/SalesExport.h"
#include "records/XscxUnit.h"
#include "records/XstjUnit.h"
#include "shell/Forms.h"
#include "shell/MainUnit.h"
#include "store/Catalogue.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "ui/Fonts.h"
#include "ui/Messages.h"
#include "ui/Seams.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

void settle()
{
    QCoreApplication::processEvents();
}

void enterLine(TMainForm& main, int i)
{
    main.ComboBox1->setEditText(QStringLiteral("测试商品%1").arg(i % 7));
    main.Edit3->setText(QStringLiteral("3.5"));
    main.Edit4->setText(QStringLiteral("2"));
    main.ComboBox2->setEditText(QStringLiteral("9.5"));
    main.Edit3KeyUp();
    main.SpeedButton2Click();
}

int benchStart(const QString& label, QElapsedTimer& sinceMain)
{
    ui::ModalRecorder modal; // the login window shows without waiting for a cashier
    ui::MessageRecorder messages;
    Forms forms;
    forms.showMainWindow();
    forms.runLoginGate();
    settle();
    bench::report(QStringLiteral("start_ms_%1").arg(label), static_cast<double>(sinceMain.nsecsElapsed()) / 1e6, "ms");
    bench::report(QStringLiteral("start_peak_rss_%1").arg(label), bench::peakRssMb(), "MB");
    return 0;
}

int benchOps(const QString& label)
{
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    QTemporaryDir pdfs;
    printing::PrintCapture capture(pdfs.path());
    Forms forms;
    forms.showMainWindow();
    TMainForm& main = *forms.MainForm;
    int line = 0;
    const double add = bench::medianMs(30, [&] { enterLine(main, line++); });
    bench::report(QStringLiteral("add_line_ms_%1").arg(label), add, "ms");

    main.ComboBox5->setEditText(QStringLiteral("58"));
    main.ComboBox3->setEditText(QStringLiteral("1"));
    std::vector<double> prints;
    for (int run = 0; run < 5; ++run) {
        while (main.ADOQuery2.recordCount() < 10)
            enterLine(main, line++);
        prints.push_back(bench::medianMs(1, [&] { main.PrintCurrentSale(); }));
        capture.clear();
    }
    std::sort(prints.begin(), prints.end());
    bench::report(QStringLiteral("print_run_ms_%1").arg(label), prints[prints.size() / 2], "ms");

    TXstjForm& stats = *forms.XstjForm;
    const double open = bench::medianMs(3, [&] {
        stats.OpenFromMain();
        settle();
        stats.hide();
    });
    bench::report(QStringLiteral("stats_open_ms_%1").arg(label), open, "ms");

    stats.OpenFromMain();
    TXscxForm& query = *forms.XscxForm;
    const double search = bench::medianMs(3, [&] {
        query.ComboBox1->setEditText(QString());
        query.ComboBox2->setEditText(QStringLiteral("张"));
        query.SpeedButton1Click();
        settle();
    });
    bench::report(QStringLiteral("stats_search_ms_%1").arg(label), search, "ms");

    const double detail = bench::medianMs(9, [&] {
        stats.DBGridEh1DblClick();
        settle();
    });
    bench::report(QStringLiteral("detail_open_ms_%1").arg(label), detail, "ms");
    return 0;
}

int benchExport(const QString& label)
{
    ui::MessageRecorder messages;
    store::Connection connection(QStringLiteral("bench"));
    store::Dataset list(connection, store::sql::SelectXstj);
    list.open();
    QTemporaryDir folder;
    const double before = bench::peakRssMb();
    QElapsedTimer timer;
    timer.start();
    records::exportSales(list, folder.filePath(QStringLiteral("销售.xls")), nullptr);
    bench::report(QStringLiteral("export_%1_s").arg(label), static_cast<double>(timer.nsecsElapsed()) / 1e9, "s");
    bench::report(QStringLiteral("export_%1_rows").arg(label), list.recordCount(), "rows");
    bench::report(QStringLiteral("export_start_rss_mb"), before, "MB");
    bench::report(QStringLiteral("export_peak_rss_mb"), bench::peakRssMb(), "MB");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    ui::installFontSubstitutions();
    const QString mode = argc > 1 ? QString::fromUtf8(argv[1]) : QString();
    const QString label = argc > 2 ? QString::fromUtf8(argv[2]) : QStringLiteral("run");
    if (mode == QLatin1String("start"))
        return benchStart(label, sinceMain);
    if (mode == QLatin1String("ops"))
        return benchOps(label);
    if (mode == QLatin1String("export"))
        return benchExport(label);
    return 2;
}
