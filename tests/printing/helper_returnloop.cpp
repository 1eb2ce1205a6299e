// Runs returns in a loop on data.mdb in the working directory until it is killed: each sale (three
// lines, 1, 2 and 3 × 12.50) is printed and recorded, then taken back in three returns, the last
// taking the rest; each return prints its slip (to PDF files) inside its transaction.
#include "printing/Dy58Unit.h"
#include "printing/Dy76Unit.h"
#include "printing/PrintRun.h"
#include "records/Returns.h"
#include "shell/ReturnSlipHandOff.h"
#include "support/PrintCapture.h"
#include "support/PrintingSale.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <cstdio>

namespace {

void addLine(store::Dataset& lines, const QString& number, int line)
{
    lines.append();
    lines.setField(QStringLiteral("单号"), number);
    lines.setField(QStringLiteral("时间"), QStringLiteral("2026-12-09 10:00:00"));
    lines.setField(QStringLiteral("品名"), QStringLiteral("商品%1").arg(line));
    lines.setField(QStringLiteral("单价"), QStringLiteral("12.5"));
    lines.setField(QStringLiteral("数量"), QStringLiteral("%1").arg(line));
    lines.setField(QStringLiteral("金额"), QStringLiteral("%1").arg(12.5 * line));
    lines.setField(QStringLiteral("折后"), QStringLiteral("%1").arg(12.5 * line));
    lines.post();
}

class SlipToQueue : public records::SlipHandOff
{
public:
    void ready() override {}
    void print(const records::RecordedReturn& recorded) override
    {
        m_jobs = printing::printReturnSlip(shell::slipOf(recorded, QStringLiteral("测试店")), QStringLiteral("58"), 1);
    }
    QString waitForPrinter() override { return printing::waitForJobs(m_jobs, printing::jobWaitMs()); }

private:
    printing::HandedJobs m_jobs;
};

// Line i of the sale (0-based) → quantity to take back now.
void takeBack(store::Connection& connection, const QString& number, const QList<std::pair<int, double>>& parts,
              SlipToQueue& slip)
{
    const store::SaleOnRecord sale = store::readSaleOnRecord(connection, number);
    records::ReturnRequest request;
    request.saleNumber = number;
    for (const auto& [line, quantity] : parts)
        request.quantities.insert(sale.lines.at(line).rowid, quantity);
    request.returnedBy = {QStringLiteral("admin"), QStringLiteral("管理员")};
    request.method = sales::PayMethod::WeChat;
    request.at = QDateTime::currentDateTime();
    records::recordReturn(connection, request, &slip);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ui::installFontSubstitutions();
    const QString jobs = QDir::current().absoluteFilePath(QStringLiteral("jobs"));
    QDir().mkpath(jobs);
    printing::PrintCapture capture(jobs);
    TDy58Form dy58;
    TDy76Form dy76;
    testsupport::PrintingMain main;
    SlipToQueue slip;
    store::Dataset& saleLines = main.saleLines;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    // A sale left by the previous, killed run is finished first; its returns start afresh, on the
    // sale just recorded (one left half-returned stays so).
    for (qint64 sale = QDateTime::currentMSecsSinceEpoch();; ++sale) {
        const QString number = QString::number(sale);
        saleLines.requery(store::sql::SelectXsxx);
        for (int line = saleLines.recordCount() + 1; line <= 3; ++line)
            addLine(saleLines, saleLines.recordCount() ? saleLines.field(QStringLiteral("单号")) : number, line);
        saleLines.first();
        printing::SaleToPrint toPrint = testsupport::sampleSale();
        toPrint.number = saleLines.field(QStringLiteral("单号"));
        toPrint.totalQuantity = QStringLiteral("6");
        toPrint.totalAmount = toPrint.totalDue = toPrint.received = QStringLiteral("75");
        toPrint.change = QStringLiteral("0");
        printing::printAndRecord(toPrint, dy58, dy76, main.connection, saleLines, main.history, main.historyLines);
        takeBack(main.connection, toPrint.number, {{1, 1}, {2, 1}}, slip);
        takeBack(main.connection, toPrint.number, {{2, 1}}, slip);
        takeBack(main.connection, toPrint.number, {{0, 1}, {1, 1}, {2, 1}}, slip);
        capture.clear();
        QDir(jobs).removeRecursively();
        QDir().mkpath(jobs);
    }
}
