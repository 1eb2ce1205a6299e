// Runs print runs in a loop on data.mdb in the working directory until it is killed: each sale
// is three lines entered into xsxx one by one (75.00 in all), then printed (to PDF files) and
// recorded with its payments: in cash, or split between two methods.
#include "printing/Dy58Unit.h"
#include "printing/Dy76Unit.h"
#include "printing/PrintRun.h"
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
    store::Dataset& saleLines = main.saleLines;
    // The test times its kill from here: how long start-up takes depends on the machine's load.
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    // A sale left by the previous, killed run is finished first, as a cashier would.
    for (qint64 sale = QDateTime::currentMSecsSinceEpoch();; ++sale) {
        const QString number = QString::number(sale);
        saleLines.requery(store::sql::SelectXsxx);
        for (int line = saleLines.recordCount() + 1; line <= 3; ++line)
            addLine(saleLines, saleLines.recordCount() ? saleLines.field(QStringLiteral("单号")) : number, line);
        saleLines.first();
        printing::SaleToPrint toPrint = testsupport::sampleSale();
        toPrint.layout = (sale % 2) ? QStringLiteral("58") : QStringLiteral("76");
        toPrint.number = saleLines.field(QStringLiteral("单号"));
        if (sale % 2)
            toPrint.payments = {{sales::PayMethod::Cash, 7500, 10000, 2500}};
        else
            toPrint.payments = {{sales::PayMethod::WeChat, 5000}, {sales::PayMethod::Card, 2500}};
        printing::printAndRecord(toPrint, dy58, dy76, main.connection, saleLines, main.history, main.historyLines);
        capture.clear();
        QDir(jobs).removeRecursively();
        QDir().mkpath(jobs);
    }
}
