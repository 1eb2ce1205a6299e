#include "records/Returns.h"

#include "core/Error.h"
#include "store/Catalogue.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/Numbers.h"
#include "store/Passwords.h"

#include <cmath>
#include <cstdlib>

namespace records {

namespace {

// Quantities are REAL: a line's returns add up to its quantity within this.
constexpr double Tolerance = 1e-9;
// A sale's recorded total quantity is its lines' sum as the counter showed it (two decimals).
constexpr double ShownQuantityRounding = 0.01;
constexpr long double LargestQuantity = 1e12L;

const QString Administrator = QStringLiteral("管理员");

QString lineName(const store::SaleOnRecord& sale, int index)
{
    return QStringLiteral("第 %1 行“%2”").arg(index + 1).arg(core::excerptForMessage(sale.lines.at(index).goods));
}

QString quantityText(double quantity)
{
    return store::formatNumber(quantity);
}

sales::Fen share(sales::Fen whole, double part, double of)
{
    if (of <= 0)
        return 0;
    return static_cast<sales::Fen>(std::llround(static_cast<long double>(whole) * part / of));
}

// The totals of the return that takes the last of the sale: what the sale's record has left, when
// that differs from its lines' parts by rounding only (a record made otherwise keeps the parts).
void takeTheRestOfTheSale(const store::SaleOnRecord& sale, ReturnPlan& plan)
{
    const sales::Fen amountLeft = sales::fenOf(sale.amount) - sales::fenOf(sale.returnedAmount);
    const sales::Fen dueLeft = sales::fenOf(sale.afterDiscount) - sales::fenOf(sale.returnedAfterDiscount);
    const double quantityLeft = sale.quantity - sale.returnedQuantity;
    const sales::Fen rounding = plan.parts.size();
    ReturnPart& last = plan.parts.last();
    if (std::llabs(amountLeft - plan.amount) <= rounding) {
        last.amount += amountLeft - plan.amount;
        plan.amount = amountLeft;
    }
    if (std::llabs(dueLeft - plan.afterDiscount) <= rounding) {
        last.afterDiscount += dueLeft - plan.afterDiscount;
        plan.afterDiscount = dueLeft;
    }
    if (std::abs(quantityLeft - plan.quantity) <= ShownQuantityRounding * double(sale.lines.size()))
        plan.quantity = quantityLeft;
}

store::ReturnRows rowsOf(const store::SaleOnRecord& sale, const ReturnPlan& plan, const ReturnRequest& request,
                         const QString& number, const QString& authorisedBy)
{
    store::ReturnRows rows;
    rows.number = number;
    rows.time = request.at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    rows.cashier = request.returnedBy.name;
    rows.originalNumber = sale.number;
    rows.authorisedBy = authorisedBy;
    rows.quantity = -plan.quantity;
    rows.amount = sales::yuanOf(-plan.amount);
    rows.afterDiscount = sales::yuanOf(-plan.afterDiscount);
    for (const ReturnPart& part : plan.parts) {
        const store::SoldLine& sold = sale.lines.at(part.line);
        rows.lines.append({.soldRow = sold.rowid,
                           .customer = sold.customer,
                           .phone = sold.phone,
                           .goods = sold.goods,
                           .unitPrice = sold.unitPrice,
                           .quantity = -part.quantity,
                           .amount = sales::yuanOf(-part.amount),
                           .afterDiscount = sales::yuanOf(-part.afterDiscount)});
    }
    rows.refundMethod = sales::methodName(request.method);
    rows.refundFen = -plan.afterDiscount;
    return rows;
}

QString freeReturnNumber(store::Connection& connection, QDateTime at)
{
    QString number = returnNumberAt(at);
    while (store::receiptNumberTaken(connection, number)) {
        at = at.addSecs(1);
        number = returnNumberAt(at);
    }
    return number;
}

QString authorisation(store::Connection& connection, const ReturnRequest& request)
{
    if (request.returnedBy.isAdministrator())
        return {};
    if (!administratorConfirms(connection, request.authoriserName, request.authoriserPassword))
        throw core::Error(QStringLiteral("管理员用户名或密码错误，不能退货！"));
    return request.authoriserName;
}

} // namespace

double remainingOf(const store::SoldLine& line)
{
    const double left = line.quantity - line.returnedQuantity;
    return left > Tolerance ? left : 0;
}

QString whyNotReturnable(const store::SaleOnRecord& sale)
{
    const QString number = core::excerptForMessage(sale.number);
    if (sale.entries == 0)
        return QStringLiteral("销售记录中没有单号为“%1”的销售，无法退货。").arg(number);
    if (!sale.originalNumber.isEmpty())
        return QStringLiteral("“%1”是退货单，不能再退货。").arg(number);
    if (sale.entries > 1)
        return QStringLiteral("单号“%1”有 %2 笔销售，分不清退的是哪一笔，无法退货。").arg(number).arg(sale.entries);
    for (const store::SoldLine& line : sale.lines)
        if (remainingOf(line) > 0)
            return {};
    return QStringLiteral("单号“%1”的销售已全部退货，没有可退的商品。").arg(number);
}

std::optional<double> quantityOf(const QString& text)
{
    long double value = 0;
    if (!store::tryParseNumber(text.trimmed(), &value) || !std::isfinite(static_cast<double>(value)) || value < 0 ||
        value > LargestQuantity)
        return std::nullopt;
    return static_cast<double>(value);
}

ReturnPlan planReturn(const store::SaleOnRecord& sale, const QList<double>& quantities)
{
    ReturnPlan plan;
    plan.takesTheRest = true;
    for (int i = 0; i < sale.lines.size(); ++i) {
        const store::SoldLine& line = sale.lines.at(i);
        const double wanted = i < quantities.size() ? quantities.at(i) : 0;
        const double left = remainingOf(line);
        if (!std::isfinite(wanted) || wanted < 0)
            throw core::Error(QStringLiteral("%1的退货数量无效。").arg(lineName(sale, i)));
        if (wanted > left + Tolerance)
            throw core::Error(QStringLiteral("%1最多还能退 %2，不能退 %3。")
                                  .arg(lineName(sale, i), quantityText(left), quantityText(wanted)));
        if (wanted <= Tolerance) {
            if (left > 0)
                plan.takesTheRest = false;
            continue;
        }
        ReturnPart part;
        part.line = i;
        const sales::Fen amountLeft = sales::fenOf(line.amount) - sales::fenOf(line.returnedAmount);
        const sales::Fen dueLeft = sales::fenOf(line.afterDiscount) - sales::fenOf(line.returnedAfterDiscount);
        if (wanted >= left - Tolerance) {
            part.quantity = left;
            part.amount = amountLeft;
            part.afterDiscount = dueLeft;
        } else {
            part.quantity = wanted;
            part.amount = share(sales::fenOf(line.amount), wanted, line.quantity);
            part.afterDiscount = share(sales::fenOf(line.afterDiscount), wanted, line.quantity);
            plan.takesTheRest = false;
        }
        plan.quantity += part.quantity;
        plan.amount += part.amount;
        plan.afterDiscount += part.afterDiscount;
        plan.parts.append(part);
    }
    if (plan.parts.isEmpty())
        throw core::Error(QStringLiteral("没有填写退货数量，请至少退一件商品。"));
    if (plan.takesTheRest)
        takeTheRestOfTheSale(sale, plan);
    return plan;
}

sales::PayMethod defaultRefundMethod(const store::SaleOnRecord& sale)
{
    return sales::methodFromName(sale.firstPaymentMethod).value_or(sales::PayMethod::Cash);
}

QString returnNumberAt(const QDateTime& at)
{
    return QStringLiteral("TH") + at.toString(QStringLiteral("yyyyMMddHHmmss"));
}

bool administratorConfirms(store::Connection& connection, const QString& name, const QString& password)
{
    if (name.isEmpty())
        return false;
    if (!connection.isOpen())
        connection.open();
    store::Dataset user(connection, store::sql::UserByName, name);
    user.open();
    return user.recordCount() > 0 && user.field(QStringLiteral("权限")) == Administrator &&
           store::verifyPassword(password, user.field(QStringLiteral("密码")));
}

RecordedReturn recordReturn(store::Connection& connection, const ReturnRequest& request, SlipHandOff* slip)
{
    if (!connection.isOpen())
        connection.open();
    if (slip)
        slip->ready();
    store::Transaction transaction(connection);
    // Read again inside the transaction: what another window or till returned meanwhile counts.
    const store::SaleOnRecord sale = store::readSaleOnRecord(connection, request.saleNumber);
    if (const QString refusal = whyNotReturnable(sale); !refusal.isEmpty())
        throw core::Error(refusal);
    QList<double> quantities;
    for (const store::SoldLine& line : sale.lines)
        quantities.append(request.quantities.value(line.rowid, 0));
    const ReturnPlan plan = planReturn(sale, quantities);
    const QString authorisedBy = authorisation(connection, request);
    const QString number = freeReturnNumber(connection, request.at);
    const store::ReturnRows rows = rowsOf(sale, plan, request, number, authorisedBy);
    store::insertReturnRows(connection, rows);

    RecordedReturn recorded;
    recorded.number = number;
    recorded.originalNumber = sale.number;
    recorded.time = rows.time;
    recorded.cashier = rows.cashier;
    recorded.authorisedBy = authorisedBy;
    recorded.method = request.method;
    recorded.quantity = plan.quantity;
    recorded.refund = plan.afterDiscount;
    for (const ReturnPart& part : plan.parts)
        recorded.lines.append({sale.lines.at(part.line).goods, part.quantity, part.afterDiscount});
    if (slip)
        slip->print(recorded);
    transaction.commit();
    if (slip)
        recorded.notice = slip->waitForPrinter();
    return recorded;
}

} // namespace records
