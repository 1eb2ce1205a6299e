#include "printing/PrintRun.h"

#include "core/Error.h"
#include "printing/Dy58Unit.h"
#include "printing/Dy76Unit.h"
#include "printing/PaymentBlock.h"
#include "printing/PrintHandOff.h"
#include "printing/ReceiptLayouts.h"
#include "printing/RemarkLines.h"
#include "sales/Checkout.h"
#include "store/Catalogue.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/ValueCheck.h"
#include "ui/Seams.h"

#include <QDateTime>
#include <utility>

namespace printing {

namespace {

constexpr double RemarkLineUnits = 17;
constexpr double SaleLineUnits = 25;

// A history row to append: columns with their texts, in the order they are set.
using HistoryRow = QList<std::pair<QString, QString>>;

struct SaleRecord
{
    HistoryRow sale;            // xstj
    QList<HistoryRow> lines;    // xsmx, one per xsxx row
    QList<HistoryRow> payments; // xsfk, in fen
};

ReceiptLayoutForm* formFor(const QString& layout, TDy58Form& dy58, TDy76Form& dy76)
{
    if (layout == QLatin1String("58"))
        return &dy58;
    if (layout == QLatin1String("76"))
        return &dy76;
    return nullptr;
}

// The phone line is only on report 3, so the phone switch alone also picks it.
int reportFor(bool customer, bool phone)
{
    if (phone)
        return 3;
    return customer ? 2 : 1;
}

// K: room for the title and summary bands and the margins.
double fixedAllowance(PaperWidth width, bool phone)
{
    if (width == PaperWidth::Mm58)
        return phone ? 320 : 300;
    return phone ? 319 : 296;
}

void openIfClosed(store::Dataset& dataset)
{
    if (!dataset.isOpen())
        dataset.open();
}

SaleRecord gatherRecord(const SaleToPrint& sale, store::Dataset& saleLines)
{
    SaleRecord record;
    record.sale = {{QStringLiteral("单号"), sale.number},        {QStringLiteral("时间"), sale.time},
                   {QStringLiteral("数量"), sale.totalQuantity}, {QStringLiteral("金额"), sale.totalAmount},
                   {QStringLiteral("折后"), sale.totalDue},      {QStringLiteral("收银员"), sale.cashier}};
    const QStringList copied = {QStringLiteral("品名"), QStringLiteral("单价"), QStringLiteral("数量"),
                                QStringLiteral("金额"), QStringLiteral("折后")};
    for (saleLines.first(); !saleLines.eof(); saleLines.next()) {
        HistoryRow line = {{QStringLiteral("单号"), sale.number},
                           {QStringLiteral("时间"), sale.time},
                           {QStringLiteral("客户"), sale.customerName},
                           {QStringLiteral("电话"), sale.phoneNumber}};
        for (const QString& column : copied)
            line.append({column, saleLines.field(column)});
        record.lines.append(line);
    }
    for (const sales::Payment& payment : sale.payments) {
        HistoryRow row = {{QStringLiteral("单号"), sale.number},
                          {QStringLiteral("方式"), sales::methodName(payment.method)},
                          {QStringLiteral("金额"), QString::number(payment.amount)}};
        // Received and change mean something for cash only; others keep NULL there.
        if (payment.method == sales::PayMethod::Cash)
            row << std::pair(QStringLiteral("实收"), QString::number(payment.received))
                << std::pair(QStringLiteral("找零"), QString::number(payment.change));
        record.payments.append(row);
    }
    return record;
}

// The same rules the store applies when the row is posted, checked before the receipt prints:
// a receipt must never be printed for a sale that cannot be recorded.
void requireRecordable(const HistoryRow& row, store::Dataset& target)
{
    const QString table = target.statement().table;
    for (const auto& [column, text] : row) {
        const std::optional<store::ValueRefusal> refusal = store::checkValue(table, column, text).refusal;
        if (!refusal)
            continue;
        if (refusal->reason != store::ValueRefusal::Reason::TooLong)
            throw core::Error(QStringLiteral("“%1”不是有效的数字，不能记入销售记录的“%2”。小票没有打印，本单保持不变。")
                                  .arg(core::excerptForMessage(text), column));
        throw core::Error(
            QStringLiteral("“%1”的内容太长（%2 个字符），销售记录中最多 %3 个字符。小票没有打印，本单保持不变。")
                .arg(column)
                .arg(refusal->characters)
                .arg(refusal->width));
    }
}

void requireRecordable(const SaleRecord& record, store::Dataset& history, store::Dataset& historyLines,
                       store::Dataset& payments)
{
    requireRecordable(record.sale, history);
    for (const HistoryRow& line : record.lines)
        requireRecordable(line, historyLines);
    for (const HistoryRow& payment : record.payments)
        requireRecordable(payment, payments);
}

void writeLabelMap(ReceiptLayoutForm& form, const SaleToPrint& sale)
{
    for (const LabelMapRow& row : labelMap()) {
        for (int r = 0; r < ReceiptReports; ++r) {
            if (!row.names[r])
                continue;
            report::Label* label = form.quickRep(r + 1).label(QString::fromLatin1(row.names[r]));
            if (!label)
                throw core::Error(QStringLiteral("小票格式中没有“%1”").arg(QString::fromLatin1(row.names[r])));
            label->setText(sale.*row.value);
        }
    }
    const QStringList paymentLines = sales::receiptPaymentLines(sale.payments);
    for (int r = 1; r <= ReceiptReports; ++r)
        form.paymentBlock(r).showLines(paymentLines);
    for (int r = 1; r <= ReceiptReports; ++r)
        form.barcode(r).setText(sale.barcodeNumber.isEmpty() ? sale.number : sale.barcodeNumber);
}

// Heights from the remark lines R and the sale lines N, and the bar code's room. The paper of the report to be printed is
// lengthened when it is too short for what it prints (many lines on 76 mm, whose detail band is
// higher than the 25 allowed per line), so the totals and the remark are never cut off.
void sizeReports(ReceiptLayoutForm& form, const SaleToPrint& sale, int saleLineCount)
{
    const int remarkLineTotal = remarkLineCount(sale.remark);
    const double allowance = fixedAllowance(form.paperWidth(), sale.phone);
    for (int r = 1; r <= ReceiptReports; ++r) {
        form.remarkBlock(r).setHeight(RemarkLineUnits * remarkLineTotal);
        form.quickRep(r).setPageLength(RemarkLineUnits * remarkLineTotal + allowance + SaleLineUnits * saleLineCount +
                                       ReceiptBarcodeRoom);
    }
    const int chosen = reportFor(sale.customer, sale.phone);
    report::Report& receipt = form.quickRep(chosen);
    const double fitted = form.fittedLength(chosen);
    if (fitted > receipt.pageLength())
        receipt.setPageLength(fitted);
}

void prepareReceipt(ReceiptLayoutForm& form, const SaleToPrint& sale, int saleLineCount)
{
    form.FormCreate();
    writeLabelMap(form, sale);
    sizeReports(form, sale, saleLineCount);
    form.refreshPreview();
}

void appendRow(store::Dataset& target, const HistoryRow& row)
{
    target.append();
    for (const auto& [column, text] : row)
        target.setField(column, text);
    target.post();
}

void emptySale(store::Dataset& saleLines)
{
    while (saleLines.recordCount() > 0) {
        saleLines.first();
        saleLines.deleteCurrent();
    }
}

} // namespace

QString printAndRecord(const SaleToPrint& sale, TDy58Form& dy58, TDy76Form& dy76, store::Connection& mainConnection,
                       store::Dataset& saleLines, store::Dataset& history, store::Dataset& historyLines)
{
    ReceiptLayoutForm* form = formFor(sale.layout, dy58, dy76);
    const int copies = copiesOf(sale.copies);
    const bool printing = form && copies > 0;

    // Everything that could refuse the sale is asked before the receipt prints.
    saleLines.requery(store::sql::SelectXsxx);
    openIfClosed(history);
    openIfClosed(historyLines);
    store::Dataset payments(mainConnection, store::sql::SelectXsfk);
    payments.open();
    const SaleRecord record = gatherRecord(sale, saleLines);
    requireRecordable(record, history, historyLines, payments);
    if (printing)
        requirePrinter();
    if (form)
        prepareReceipt(*form, sale, int(record.lines.size()));

    // The history is written and the sale emptied in one transaction that commits only once the
    // receipt has printed: a failure anywhere leaves the sale as it was and no trace in the history.
    store::Transaction transaction(mainConnection);
    appendRow(history, record.sale);
    for (const HistoryRow& line : record.lines)
        appendRow(historyLines, line);
    for (const HistoryRow& payment : record.payments)
        appendRow(payments, payment);
    emptySale(saleLines);
    HandedJobs jobs;
    if (printing)
        jobs = form->printReceipt(reportFor(sale.customer, sale.phone), copies, QStringLiteral("小票 ") + sale.number);
    try {
        transaction.commit();
    } catch (const core::Error& error) {
        if (!printing)
            throw;
        // The cashier holds a receipt the history does not know of.
        throw core::Error(QStringLiteral("小票已打印，但这笔销售没有记入销售记录，仍留在当前销售中。") +
                          error.message());
    }
    // Recorded: a receipt held up in the queue prints once the printer is back.
    return waitForJobs(jobs, jobWaitMs());
}

void showPreview(const SaleToPrint& sale, TDy58Form& dy58, TDy76Form& dy76)
{
    const int page = reportFor(sale.customer, sale.phone);
    dy58.choosePage(page);
    dy76.choosePage(page);
    ReceiptLayoutForm* form = formFor(sale.layout, dy58, dy76);
    if (!form)
        return;
    // The values, remark and paper the next print run would use; nothing is printed or stored.
    form->FormCreate();
    prepareReceipt(*form, sale, form->ADODataSet1.recordCount());
    form->previewReceipt(page);
}

QString nextReceiptNumber(const QString& previous, const QDateTime& now)
{
    const QString format = QStringLiteral("yyyyMMddHHmmss");
    const QString current = now.toString(format);
    const QDateTime last = QDateTime::fromString(previous, format);
    if (previous.size() != current.size() || !last.isValid() || previous < current)
        return current;
    const QString next = last.addSecs(1).toString(format);
    return next.size() == current.size() ? next : current;
}

QString printReceiptOnly(const SaleToPrint& sale, int saleLineCount, TDy58Form& dy58, TDy76Form& dy76)
{
    ReceiptLayoutForm* form = formFor(sale.layout, dy58, dy76);
    const int copies = copiesOf(sale.copies);
    if (!form || copies == 0)
        return {};
    requirePrinter();
    prepareReceipt(*form, sale, saleLineCount);
    const HandedJobs jobs =
        form->printReceipt(reportFor(sale.customer, sale.phone), copies, QStringLiteral("小票 ") + sale.number);
    return waitForJobs(jobs, jobWaitMs());
}

int remarkLineCount(const QString& remark)
{
    return int(remarkLines(remark).size());
}

int copiesOf(const QString& copies)
{
    if (copies == QLatin1String("1"))
        return 1;
    if (copies == QLatin1String("2"))
        return 2;
    return 0;
}

} // namespace printing
