// Figures of the real windows on whatever data.mdb the working directory holds.
// Usage: quorvel_bench_windows start|ops|export LABEL
//   start   creating every window, showing the main window and the login window
//   ops     adding a sale line, a ten-line print run to PDF and to a raw (ESC/POS) CUPS queue,
//           opening the statistics window,
//           a cashier search and a sale's detail
//   scan    with a 100,000-goods catalogue (added once): Enter on a scanned code to the line,
//           a new line and a repeat, and a typed line beside them
//   export  exporting every sale of the history (run it on a 100,000-sale file)
#include "BenchSupport.h"
#include "printing/PrintHandOff.h"
#include "records/SalesExport.h"
#include "records/XscxUnit.h"
#include "records/XstjUnit.h"
#include "shell/Forms.h"
#include "shell/MainUnit.h"
#include "store/Catalogue.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/Query.h"
#include "support/Controls.h"
#include "support/DesktopRecorders.h"
#include "support/PrintCapture.h"
#include "ui/Fonts.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

void settle()
{
    QCoreApplication::processEvents();
}

// The main window's sale-entry boxes, found once so that the figures time the window, not the search.
struct EntryBoxes
{
    explicit EntryBoxes(const TMainForm& main)
        : goods(testsupport::control<QComboBox>(main, "ComboBox1")),
          price(testsupport::control<QLineEdit>(main, "Edit3")),
          quantity(testsupport::control<QLineEdit>(main, "Edit4")),
          discount(testsupport::control<QComboBox>(main, "ComboBox2"))
    {
    }

    QComboBox* goods;
    QLineEdit* price;
    QLineEdit* quantity;
    QComboBox* discount;
};

void enterLine(TMainForm& main, const EntryBoxes& boxes, int i)
{
    boxes.goods->setEditText(QStringLiteral("测试商品%1").arg(i % 7));
    boxes.price->setText(QStringLiteral("3.5"));
    boxes.quantity->setText(QStringLiteral("2"));
    boxes.discount->setEditText(QStringLiteral("9.5"));
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

// A network receipt printer on this machine: takes each job on a local port and keeps its size.
class JobSink
{
public:
    JobSink()
    {
        m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (m_listener < 0 || bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            listen(m_listener, 8) != 0 || getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] {
            while (!m_stop) {
                pollfd entry{m_listener, POLLIN, 0};
                if (poll(&entry, 1, 100) <= 0)
                    continue;
                const int connection = accept(m_listener, nullptr, nullptr);
                if (connection < 0)
                    continue;
                qint64 bytes = 0;
                char buffer[65536];
                for (ssize_t got; (got = read(connection, buffer, sizeof(buffer))) > 0;)
                    bytes += got;
                close(connection);
                if (bytes > 0)
                    m_lastJobBytes = bytes;
            }
        });
    }
    ~JobSink()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_listener >= 0)
            close(m_listener);
    }
    int port() const { return m_port; }
    qint64 lastJobBytes() const { return m_lastJobBytes; }

private:
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_lastJobBytes{0};
    std::thread m_thread;
};

int runLpadmin(const QStringList& arguments)
{
    QProcess lpadmin;
    lpadmin.start(QStringLiteral("/usr/sbin/lpadmin"), arguments);
    lpadmin.waitForFinished(30000);
    return lpadmin.exitStatus() == QProcess::NormalExit ? lpadmin.exitCode() : -1;
}

// F5 to the ESC/POS job handed to CUPS, on a raw queue made the default printer for this process.
void benchEscPos(TMainForm& main, const EntryBoxes& boxes, int& line, const QString& label)
{
    JobSink sink;
    const QString queue = QStringLiteral("quorvel_bench_%1").arg(QCoreApplication::applicationPid());
    const QString device = QStringLiteral("socket://127.0.0.1:%1").arg(sink.port());
    if (sink.port() == 0 || runLpadmin({"-p", queue, "-E", "-v", device, "-m", "raw"}) != 0) {
        std::fprintf(stderr, "no CUPS queue for the ESC/POS figures\n");
        return;
    }
    qputenv("PRINTER", queue.toUtf8());
    qunsetenv("LPDEST");
    const int wait = printing::jobWaitMs();
    printing::setJobWaitMs(0); // measured to the hand-over, not the printer's work
    std::vector<double> prints;
    for (int run = 0; run < 5; ++run) {
        while (main.ADOQuery2.recordCount() < 10)
            enterLine(main, boxes, line++);
        prints.push_back(bench::medianMs(1, [&] { main.PrintCurrentSale(); }));
    }
    printing::setJobWaitMs(wait);
    std::sort(prints.begin(), prints.end());
    bench::report(QStringLiteral("print_escpos_ms_%1").arg(label), prints[prints.size() / 2], "ms");
    QElapsedTimer arrival;
    arrival.start();
    while (sink.lastJobBytes() == 0 && arrival.elapsed() < 30000)
        QThread::msleep(50);
    bench::report(QStringLiteral("escpos_job_kb_%1").arg(label), double(sink.lastJobBytes()) / 1024, "kB");
    runLpadmin({"-x", queue});
    qunsetenv("PRINTER");
}

int benchOps(const QString& label)
{
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    QTemporaryDir pdfs;
    auto capture = std::make_unique<printing::PrintCapture>(pdfs.path());
    Forms forms;
    forms.showMainWindow();
    TMainForm& main = *forms.MainForm;
    const EntryBoxes boxes(main);
    int line = 0;
    const double add = bench::medianMs(30, [&] { enterLine(main, boxes, line++); });
    bench::report(QStringLiteral("add_line_ms_%1").arg(label), add, "ms");

    testsupport::control<QComboBox>(main, "ComboBox5")->setEditText(QStringLiteral("58"));
    testsupport::control<QComboBox>(main, "ComboBox3")->setEditText(QStringLiteral("1"));
    std::vector<double> prints;
    for (int run = 0; run < 5; ++run) {
        while (main.ADOQuery2.recordCount() < 10)
            enterLine(main, boxes, line++);
        prints.push_back(bench::medianMs(1, [&] { main.PrintCurrentSale(); }));
        capture->clear();
    }
    std::sort(prints.begin(), prints.end());
    bench::report(QStringLiteral("print_run_ms_%1").arg(label), prints[prints.size() / 2], "ms");
    capture.reset();
    benchEscPos(main, boxes, line, label);

    TXstjForm& stats = *forms.XstjForm;
    const double open = bench::medianMs(3, [&] {
        stats.OpenFromMain();
        settle();
        stats.hide();
    });
    bench::report(QStringLiteral("stats_open_ms_%1").arg(label), open, "ms");

    stats.OpenFromMain();
    TXscxForm& query = *forms.XscxForm;
    QComboBox* number = testsupport::control<QComboBox>(query, "ComboBox1");
    QComboBox* cashier = testsupport::control<QComboBox>(query, "ComboBox2");
    const double search = bench::medianMs(3, [&] {
        number->setEditText(QString());
        cashier->setEditText(QStringLiteral("张"));
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

// EAN-13 with its check digit: weights 1 and 3 from the left.
QString retailCode(int i)
{
    const QString body = QStringLiteral("690%1").arg(i, 9, 10, QLatin1Char('0'));
    int sum = 0;
    for (int k = 0; k < 12; ++k)
        sum += body[k].digitValue() * (k % 2 ? 3 : 1);
    return body + QString::number((10 - sum % 10) % 10);
}

constexpr int CatalogueSize = 100000;

void fillCatalogue()
{
    store::Connection connection(QStringLiteral("catalogue"));
    connection.open();
    store::Query count(connection.database(), QStringLiteral("SELECT count(*) FROM spxx WHERE 条码 IS NOT NULL"),
                       QStringLiteral("数商品"));
    count.runToFirstRow();
    if (count.value(0).toInt() >= CatalogueSize)
        return;
    count.finish();
    store::Transaction transaction(connection);
    store::Query insert(connection.database(), QStringLiteral("INSERT INTO spxx (品名, 单价, 条码) VALUES (?, ?, ?)"),
                        QStringLiteral("添加商品"));
    for (int i = 0; i < CatalogueSize; ++i) {
        insert.bind(QStringLiteral("扫码商品%1").arg(i)).bind(1 + (i % 500) / 10.0).bind(retailCode(i));
        insert.run();
    }
    transaction.commit();
}

void scanInto(TMainForm& main, QComboBox* goods, const QString& code)
{
    goods->setEditText(code);
    main.EntryEnterPressed(goods);
    settle();
}

int benchScan(const QString& label)
{
    fillCatalogue();
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    Forms forms;
    forms.showMainWindow();
    TMainForm& main = *forms.MainForm;
    const EntryBoxes boxes(main);
    int next = 0;
    const double fresh =
        bench::medianMs(30, [&] { scanInto(main, boxes.goods, retailCode((next++ * 3331) % CatalogueSize)); });
    bench::report(QStringLiteral("scan_line_ms_%1").arg(label), fresh, "ms");
    const double repeat = bench::medianMs(30, [&] { scanInto(main, boxes.goods, retailCode(0)); });
    bench::report(QStringLiteral("scan_repeat_ms_%1").arg(label), repeat, "ms");
    int line = 0;
    const double typed = bench::medianMs(30, [&] { enterLine(main, boxes, line++); });
    bench::report(QStringLiteral("add_line_100k_goods_ms_%1").arg(label), typed, "ms");
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
    if (mode == QLatin1String("scan"))
        return benchScan(label);
    if (mode == QLatin1String("export"))
        return benchExport(label);
    return 2;
}
