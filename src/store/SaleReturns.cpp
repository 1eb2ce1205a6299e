#include "store/SaleReturns.h"

#include "store/Connection.h"
#include "store/Query.h"

#include <QHash>

namespace store {

namespace {

double numberOf(const QVariant& value)
{
    return value.isNull() ? 0 : value.toDouble();
}

QVariant textOrNull(const QString& text)
{
    return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

} // namespace

SaleOnRecord readSaleOnRecord(Connection& connection, const QString& number)
{
    const QSqlDatabase db = connection.openedDatabase();
    const QString doing = QStringLiteral("读取单号“%1”的销售").arg(number);
    SaleOnRecord sale;
    sale.number = number;
    {
        Query entry(db,
                    QStringLiteral("SELECT count(*) OVER (), 原单号, 时间, 收银员, 数量, 金额, 折后 FROM xstj "
                                   "WHERE 单号 = ? ORDER BY rowid LIMIT 1"),
                    doing);
        entry.bind(number).run();
        if (!entry.next())
            return sale;
        sale.entries = entry.value(0).toInt();
        sale.originalNumber = entry.value(1).toString();
        sale.time = entry.value(2).toString();
        sale.cashier = entry.value(3).toString();
        sale.quantity = numberOf(entry.value(4));
        sale.amount = numberOf(entry.value(5));
        sale.afterDiscount = numberOf(entry.value(6));
    }
    {
        Query returned(db,
                       QStringLiteral("SELECT -total(数量), -total(金额), -total(折后) FROM xstj "
                                      "WHERE 原单号 = ? AND 原单号 IS NOT NULL"),
                       doing);
        returned.bind(number).runToFirstRow();
        sale.returnedQuantity = returned.value(0).toDouble();
        sale.returnedAmount = returned.value(1).toDouble();
        sale.returnedAfterDiscount = returned.value(2).toDouble();
    }
    {
        Query paid(db, QStringLiteral("SELECT 方式 FROM xsfk WHERE 单号 = ? ORDER BY rowid LIMIT 1"), doing);
        paid.bind(number).run();
        if (paid.next())
            sale.firstPaymentMethod = paid.value(0).toString();
    }
    QHash<qint64, int> lineAt;
    {
        Query lines(db,
                    QStringLiteral("SELECT rowid, 客户, 电话, 品名, 单价, 数量, 金额, 折后 FROM xsmx "
                                   "WHERE 单号 = ? AND 原行 IS NULL ORDER BY rowid"),
                    doing);
        lines.bind(number).run();
        while (lines.next()) {
            SoldLine line;
            line.rowid = lines.value(0).toLongLong();
            line.customer = lines.value(1).toString();
            line.phone = lines.value(2).toString();
            line.goods = lines.value(3).toString();
            line.unitPrice = lines.value(4);
            line.quantity = numberOf(lines.value(5));
            line.amount = numberOf(lines.value(6));
            line.afterDiscount = numberOf(lines.value(7));
            lineAt.insert(line.rowid, int(sale.lines.size()));
            sale.lines.append(line);
        }
        lines.requireNoError();
    }
    {
        Query returned(db,
                       QStringLiteral("SELECT 原行, -total(数量), -total(金额), -total(折后) FROM xsmx "
                                      "WHERE 单号 IN (SELECT 单号 FROM xstj WHERE 原单号 = ? AND 原单号 IS NOT NULL) "
                                      "AND 原行 IS NOT NULL GROUP BY 原行"),
                       doing);
        returned.bind(number).run();
        while (returned.next()) {
            const auto at = lineAt.constFind(returned.value(0).toLongLong());
            if (at == lineAt.constEnd())
                continue;
            SoldLine& line = sale.lines[*at];
            line.returnedQuantity = returned.value(1).toDouble();
            line.returnedAmount = returned.value(2).toDouble();
            line.returnedAfterDiscount = returned.value(3).toDouble();
        }
        returned.requireNoError();
    }
    return sale;
}

bool receiptNumberTaken(Connection& connection, const QString& number)
{
    Query taken(connection.openedDatabase(), QStringLiteral("SELECT EXISTS (SELECT 1 FROM xstj WHERE 单号 = ?)"),
                QStringLiteral("查找单号“%1”").arg(number));
    taken.bind(number).runToFirstRow();
    return taken.value(0).toBool();
}

int returnsOfSale(Connection& connection, const QString& number)
{
    Query returns(connection.openedDatabase(),
                  QStringLiteral("SELECT count(*) FROM xstj WHERE 原单号 = ? AND 原单号 IS NOT NULL"),
                  QStringLiteral("查找单号“%1”的退货").arg(number));
    returns.bind(number).runToFirstRow();
    return returns.value(0).toInt();
}

void insertReturnRows(Connection& connection, const ReturnRows& rows)
{
    const QSqlDatabase db = connection.openedDatabase();
    connection.requireFileInPlace();
    Query sale(db,
               QStringLiteral("INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员, 原单号, 授权人) "
                              "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
               QStringLiteral("保存到 xstj"));
    sale.bind(rows.number).bind(rows.time).bind(rows.quantity).bind(rows.amount).bind(rows.afterDiscount);
    sale.bind(textOrNull(rows.cashier)).bind(rows.originalNumber).bind(textOrNull(rows.authorisedBy)).run();

    Query line(db,
               QStringLiteral("INSERT INTO xsmx (单号, 时间, 客户, 电话, 品名, 单价, 数量, 金额, 折后, 原行) "
                              "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
               QStringLiteral("保存到 xsmx"));
    for (const ReturnLineRow& row : rows.lines) {
        line.bind(rows.number).bind(rows.time).bind(textOrNull(row.customer)).bind(textOrNull(row.phone));
        line.bind(textOrNull(row.goods));
        line.bind(row.unitPrice);
        line.bind(row.quantity).bind(row.amount).bind(row.afterDiscount).bind(row.soldRow).run();
    }

    Query refund(db, QStringLiteral("INSERT INTO xsfk (单号, 方式, 金额) VALUES (?, ?, ?)"),
                 QStringLiteral("保存到 xsfk"));
    refund.bind(rows.number).bind(rows.refundMethod).bind(rows.refundFen).run();
}

void deletePaymentsOf(Connection& connection, const QString& number)
{
    const QSqlDatabase db = connection.openedDatabase();
    connection.requireFileInPlace();
    Query(db, QStringLiteral("DELETE FROM xsfk WHERE 单号 = ?"), QStringLiteral("删除 xsfk 的记录"))
        .bind(number)
        .run();
}

} // namespace store
