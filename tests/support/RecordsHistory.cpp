#include "support/RecordsHistory.h"

#include "support/TestDatabase.h"

namespace testsupport {

QString sqlText(const QString& text)
{
    QString inner = text;
    inner.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

HistoryLine lineOf(const QString& number, const QString& goods)
{
    HistoryLine line;
    line.number = number;
    line.goods = goods;
    return line;
}

namespace {

QString saleInsert(const HistorySale& sale)
{
    return QStringLiteral("INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) VALUES (%1, %2, %3, %4, %5, %6);")
        .arg(sale.number == QLatin1String("NULL") ? sale.number : sqlText(sale.number), sqlText(sale.time),
             sale.quantity, sale.amount, sale.discounted, sqlText(sale.cashier));
}

QString lineInsert(const HistoryLine& line)
{
    return QStringLiteral("INSERT INTO xsmx (单号, 时间, 客户, 电话, 品名, 单价, 数量, 金额, 折后) "
                          "VALUES (%1, '2026-12-09 10:00:00', %2, %3, %4, %5, %6, %7, %8);")
        .arg(line.number == QLatin1String("NULL") ? line.number : sqlText(line.number), sqlText(line.customer),
             sqlText(line.phone), sqlText(line.goods), line.price, line.quantity, line.amount, line.discounted);
}

} // namespace

void addSale(const TestDatabase& db, const HistorySale& sale)
{
    db.exec(saleInsert(sale));
}

void addLine(const TestDatabase& db, const HistoryLine& line)
{
    db.exec(lineInsert(line));
}

void addHistory(const TestDatabase& db, const QList<HistorySale>& sales, const QList<HistoryLine>& lines)
{
    QString sql = QStringLiteral("BEGIN;");
    for (const HistorySale& sale : sales)
        sql += saleInsert(sale);
    for (const HistoryLine& line : lines)
        sql += lineInsert(line);
    db.exec(sql + QStringLiteral("COMMIT;"));
}

void addGeneratedSales(const TestDatabase& db, int count)
{
    db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < %1) "
                           "INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) "
                           "SELECT CAST(20260101000000 + i AS TEXT), datetime(1767225600 + i, 'unixepoch'), 1, 2, 3, "
                           "'admin' FROM n;")
                .arg(count));
}

QStringList lineRows(const TestDatabase& db, const QString& columns)
{
    return db.rows(QStringLiteral("SELECT %1 FROM xsmx ORDER BY rowid").arg(columns));
}

} // namespace testsupport
