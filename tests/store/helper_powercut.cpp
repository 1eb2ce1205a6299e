// Print runs, and with "backup" the day's copies between them, with "return" a return of one
// piece of each sale after it, or with "close" a shift handover and a day close after every
// fourth, on data.mdb in the working directory, under the power-cut VFS.
// Arguments: print|backup|return|close CUT_AT TEAR(0|1) SEED FULL|NORMAL.
// Each sale whose print run returned is said on stdout ("sold NUMBER") before the next begins,
// each recorded return ("returned NUMBER OF_SALE") and each close ("closed Z_NUMBER");
// a run that is not cut ends with "events N", the writes and syncs it made.
#include "printing/Dy58Unit.h"
#include "printing/Dy76Unit.h"
#include "printing/PrintRun.h"
#include "records/Returns.h"
#include "shifts/DayClose.h"
#include "shifts/Shift.h"
#include "store/SaleReturns.h"
#include "support/PrintCapture.h"
#include "store/Backup.h"
#include "support/PowerCutVfs.h"
#include "support/PrintingSale.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

namespace {

constexpr int Sales = 8;

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

// One piece of the sale's first line back, in cash, by an administrator.
QString returnOnePiece(store::Connection& connection, const QString& number, int sale)
{
    const store::SaleOnRecord onRecord = store::readSaleOnRecord(connection, number);
    records::ReturnRequest request;
    request.saleNumber = number;
    request.quantities.insert(onRecord.lines.value(0).rowid, 1);
    request.returnedBy = {QStringLiteral("admin"), QStringLiteral("管理员")};
    request.at = QDateTime(QDate(2026, 12, 9), QTime(11, sale));
    return records::recordReturn(connection, request).number;
}

// The shift handed over with its cash counted, then the day closed; slips are not printed.
qint64 handOverAndClose(store::Connection& connection, int sale)
{
    const QDateTime at(QDate(2026, 12, 9), QTime(12, sale));
    const core::LoggedInUser admin{QStringLiteral("admin"), QStringLiteral("管理员")};
    shifts::handOver(connection, admin.name, QDateTime(QDate(2026, 12, 9), QTime(9, 0)), 10000, 10000, at, nullptr);
    return shifts::closeBusinessDay(connection, admin, at.addSecs(1), nullptr).number;
}

void say(const QString& text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6)
        return 2;
    const QString mode = QString::fromLatin1(argv[1]);
    testsupport::powercut::install(QByteArray(argv[2]).toLongLong(), QByteArray(argv[3]) == "1",
                                   QByteArray(argv[4]).toUInt());
    QApplication app(argc, argv);
    ui::installFontSubstitutions();
    const QString jobs = QDir::current().absoluteFilePath(QStringLiteral("jobs"));
    QDir().mkpath(jobs);
    printing::PrintCapture capture(jobs);
    TDy58Form dy58;
    TDy76Form dy76;
    testsupport::PrintingMain main;
    if (QByteArray(argv[5]) == "NORMAL")
        main.connection.execute(QStringLiteral("PRAGMA synchronous = NORMAL"));
    const QString database = store::Connection::databasePath();
    for (int sale = 1; sale <= Sales; ++sale) {
        const QString number = QStringLiteral("202612091000%1").arg(sale, 2, 10, QLatin1Char('0'));
        main.saleLines.requery(store::sql::SelectXsxx);
        for (int line = 1; line <= 3; ++line)
            addLine(main.saleLines, number, line);
        main.saleLines.first();
        printing::SaleToPrint toPrint = testsupport::sampleSale();
        toPrint.number = number;
        printing::printAndRecord(toPrint, dy58, dy76, main.connection, main.saleLines, main.history, main.historyLines);
        say(QStringLiteral("sold ") + number);
        capture.clear();
        if (mode == QLatin1String("return"))
            say(QStringLiteral("returned %1 %2").arg(returnOnePiece(main.connection, number, sale), number));
        if (mode == QLatin1String("close") && sale % 4 == 0)
            say(QStringLiteral("closed %1").arg(handOverAndClose(main.connection, sale)));
        if (mode == QLatin1String("backup") && sale % 2 == 0) {
            const store::backup::DailyResult result = store::backup::makeDailyCopies(
                database, QString(), QDateTime(QDate(2026, 12, 1).addDays(sale), QTime(8, 0)));
            say(QStringLiteral("copy %1 %2").arg(int(result.here.kind)).arg(result.here.detail));
        }
    }
    say(QStringLiteral("events %1").arg(testsupport::powercut::eventsSoFar()));
    return 0;
}
