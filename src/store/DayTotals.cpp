#include "store/DayTotals.h"

#include "store/Connection.h"
#include "store/Query.h"

#include <QSqlDatabase>
#include <algorithm>
#include <cmath>

namespace store {

namespace {

// Adding to a day's row through a view: the one place a row is made, added to and, once it
// counts nothing, removed. A key may be NULL (a sale without time or cashier), hence IS.
const char* const AddingViews[] = {
    "CREATE VIEW rtj_add AS SELECT 日期, 收银员, 退货, 笔数, 数量, 金额, 折后 FROM rtj",
    "CREATE TRIGGER rtj_add_row INSTEAD OF INSERT ON rtj_add BEGIN "
    "INSERT INTO rtj SELECT NEW.日期, NEW.收银员, NEW.退货, 0, 0, 0, 0 WHERE NOT EXISTS (SELECT 1 FROM rtj WHERE "
    "日期 IS NEW.日期 AND 收银员 IS NEW.收银员 AND 退货 = NEW.退货); "
    "UPDATE rtj SET 笔数 = 笔数 + NEW.笔数, 数量 = 数量 + NEW.数量, 金额 = 金额 + NEW.金额, 折后 = 折后 + NEW.折后 "
    "WHERE 日期 IS NEW.日期 AND 收银员 IS NEW.收银员 AND 退货 = NEW.退货; "
    "DELETE FROM rtj WHERE 日期 IS NEW.日期 AND 收银员 IS NEW.收银员 AND 退货 = NEW.退货 AND 笔数 = 0; END",
    "CREATE VIEW rfk_add AS SELECT 日期, 收银员, 方式, 笔数, 金额 FROM rfk",
    "CREATE TRIGGER rfk_add_row INSTEAD OF INSERT ON rfk_add BEGIN "
    "INSERT INTO rfk SELECT NEW.日期, NEW.收银员, NEW.方式, 0, 0 WHERE NOT EXISTS (SELECT 1 FROM rfk WHERE "
    "日期 IS NEW.日期 AND 收银员 IS NEW.收银员 AND 方式 = NEW.方式); "
    "UPDATE rfk SET 笔数 = 笔数 + NEW.笔数, 金额 = 金额 + NEW.金额 "
    "WHERE 日期 IS NEW.日期 AND 收银员 IS NEW.收银员 AND 方式 = NEW.方式; "
    "DELETE FROM rfk WHERE 日期 IS NEW.日期 AND 收银员 IS NEW.收银员 AND 方式 = NEW.方式 AND 笔数 = 0; END",
};

// What one history entry (ROW: NEW or OLD) adds to the totals, times SIGN: its own sums, and its
// payments, or its 折后 in cash when its number has none.
QString entryCounts(const QString& row, const QString& sign)
{
    const QString day = QStringLiteral("substr(%1.时间, 1, 10)").arg(row);
    return QStringLiteral(
               "INSERT INTO rtj_add VALUES (%1, %2.收银员, %2.原单号 IS NOT NULL, %3 1, %3 coalesce(%2.数量, 0), "
               "%3 coalesce(%2.金额, 0), %3 coalesce(%2.折后, 0)); "
               "INSERT INTO rfk_add SELECT %1, %2.收银员, 方式, %3 1, %3 金额 FROM xsfk WHERE 单号 = %2.单号; "
               "INSERT INTO rfk_add SELECT %1, %2.收银员, '现金', %3 1, %3 CAST(round(coalesce(%2.折后, 0) * 100) AS "
               "INTEGER) WHERE NOT EXISTS (SELECT 1 FROM xsfk WHERE 单号 = %2.单号); ")
        .arg(day, row, sign);
}

// What one payment row (ROW) adds, times SIGN, to each entry of its number.
QString paymentCounts(const QString& row, const QString& sign)
{
    return QStringLiteral("INSERT INTO rfk_add SELECT substr(时间, 1, 10), 收银员, %1.方式, %2 1, %2 %1.金额 FROM xstj "
                          "WHERE 单号 = %1.单号; ")
        .arg(row, sign);
}

// The cash an entry of the number counted as while it had no payments: given back (SIGN +) or
// taken away (SIGN -) when WHEN holds.
QString cashInstead(const QString& number, const QString& sign, const QString& when)
{
    return QStringLiteral("INSERT INTO rfk_add SELECT substr(时间, 1, 10), 收银员, '现金', %2 1, %2 CAST(round(coalesce("
                          "折后, 0) * 100) AS INTEGER) FROM xstj WHERE 单号 = %1 AND %3; ")
        .arg(number, sign, when);
}

QStringList keepingTriggers()
{
    const QString none = QStringLiteral("NOT EXISTS (SELECT 1 FROM xsfk WHERE 单号 = %1)");
    const QString onlyOne = QStringLiteral("(SELECT count(*) FROM xsfk WHERE 单号 = %1) = 1");
    const QString moved = QStringLiteral("OLD.单号 <> NEW.单号 AND ");
    const QString Plus = QStringLiteral("+");
    return {
        QStringLiteral("CREATE TRIGGER xstj_totals_insert AFTER INSERT ON xstj BEGIN %1END")
            .arg(entryCounts(QStringLiteral("NEW"), Plus)),
        QStringLiteral("CREATE TRIGGER xstj_totals_delete AFTER DELETE ON xstj BEGIN %1END")
            .arg(entryCounts(QStringLiteral("OLD"), QStringLiteral("-"))),
        QStringLiteral("CREATE TRIGGER xstj_totals_update AFTER UPDATE OF 单号, 时间, 数量, 金额, 折后, 收银员, 原单号 "
                       "ON xstj BEGIN %1%2END")
            .arg(entryCounts(QStringLiteral("OLD"), QStringLiteral("-")), entryCounts(QStringLiteral("NEW"), Plus)),
        // The first payment of a number replaces the cash its entries counted as; the last one
        // gone brings it back.
        QStringLiteral("CREATE TRIGGER xsfk_totals_insert AFTER INSERT ON xsfk BEGIN %1%2END")
            .arg(cashInstead(QStringLiteral("NEW.单号"), QStringLiteral("-"), onlyOne.arg(QStringLiteral("NEW.单号"))),
                 paymentCounts(QStringLiteral("NEW"), Plus)),
        QStringLiteral("CREATE TRIGGER xsfk_totals_delete AFTER DELETE ON xsfk BEGIN %1%2END")
            .arg(paymentCounts(QStringLiteral("OLD"), QStringLiteral("-")),
                 cashInstead(QStringLiteral("OLD.单号"), Plus, none.arg(QStringLiteral("OLD.单号")))),
        QStringLiteral("CREATE TRIGGER xsfk_totals_update AFTER UPDATE OF 单号, 方式, 金额 ON xsfk BEGIN %1%2%3%4END")
            .arg(paymentCounts(QStringLiteral("OLD"), QStringLiteral("-")),
                 cashInstead(QStringLiteral("OLD.单号"), Plus, moved + none.arg(QStringLiteral("OLD.单号"))),
                 cashInstead(QStringLiteral("NEW.单号"), QStringLiteral("-"),
                             moved + onlyOne.arg(QStringLiteral("NEW.单号"))),
                 paymentCounts(QStringLiteral("NEW"), Plus)),
    };
}

// The goods sold per day (rsp): one row a day, goods and kind (退货 1 for return lines), added
// to through its view as rtj is; amounts in fen, as each line's 折后 rounds.
const char* const GoodsTable[] = {
    "CREATE TABLE rsp (日期 TEXT CHECK (length(日期) <= 10), 品名 TEXT CHECK (length(品名) <= 255), "
    "退货 INTEGER NOT NULL, 行数 INTEGER NOT NULL, 数量 REAL NOT NULL, 折后 INTEGER NOT NULL) STRICT",
    "CREATE UNIQUE INDEX rsp_日期 ON rsp (日期, 品名, 退货)",
    "CREATE VIEW rsp_add AS SELECT 日期, 品名, 退货, 行数, 数量, 折后 FROM rsp",
    "CREATE TRIGGER rsp_add_row INSTEAD OF INSERT ON rsp_add BEGIN "
    "INSERT INTO rsp SELECT NEW.日期, NEW.品名, NEW.退货, 0, 0, 0 WHERE NOT EXISTS (SELECT 1 FROM rsp WHERE "
    "日期 IS NEW.日期 AND 品名 IS NEW.品名 AND 退货 = NEW.退货); "
    "UPDATE rsp SET 行数 = 行数 + NEW.行数, 数量 = 数量 + NEW.数量, 折后 = 折后 + NEW.折后 "
    "WHERE 日期 IS NEW.日期 AND 品名 IS NEW.品名 AND 退货 = NEW.退货; "
    "DELETE FROM rsp WHERE 日期 IS NEW.日期 AND 品名 IS NEW.品名 AND 退货 = NEW.退货 AND 行数 = 0; END",
};

// What one history line (ROW: NEW or OLD) adds to the goods totals, times SIGN.
QString lineCounts(const QString& row, const QString& sign)
{
    return QStringLiteral("INSERT INTO rsp_add VALUES (substr(%1.时间, 1, 10), %1.品名, %1.原行 IS NOT NULL, %2 1, "
                          "%2 coalesce(%1.数量, 0), %2 CAST(round(coalesce(%1.折后, 0) * 100) AS INTEGER)); ")
        .arg(row, sign);
}

QStringList goodsKeepingTriggers()
{
    return {
        QStringLiteral("CREATE TRIGGER xsmx_totals_insert AFTER INSERT ON xsmx BEGIN %1END")
            .arg(lineCounts(QStringLiteral("NEW"), QStringLiteral("+"))),
        QStringLiteral("CREATE TRIGGER xsmx_totals_delete AFTER DELETE ON xsmx BEGIN %1END")
            .arg(lineCounts(QStringLiteral("OLD"), QStringLiteral("-"))),
        QStringLiteral("CREATE TRIGGER xsmx_totals_update AFTER UPDATE OF 时间, 品名, 数量, 折后, 原行 ON xsmx BEGIN %1%2END")
            .arg(lineCounts(QStringLiteral("OLD"), QStringLiteral("-")),
                 lineCounts(QStringLiteral("NEW"), QStringLiteral("+"))),
    };
}

// The lines' own sums, keyed as rsp's rows: what the table is filled with and checked against.
// `where` (with a trailing space) picks the lines.
QString historyGoods(const QString& where = {})
{
    return QStringLiteral("SELECT substr(时间, 1, 10), 品名, 原行 IS NOT NULL, count(*), total(数量), "
                          "sum(CAST(round(coalesce(折后, 0) * 100) AS INTEGER)) FROM xsmx %1GROUP BY 1, 2, 3")
        .arg(where);
}

QString goodsFilling()
{
    return QStringLiteral("INSERT INTO rsp %1").arg(historyGoods());
}

// The lines not yet in rsp, as "first last" rowids in xtsz; no row when every line is counted.
const QString PendingKey = QStringLiteral("商品汇总待补");

// Every line there is when the goods totals arrive is left for fillPendingGoods: summing
// millions of lines inside the upgrade would hold the start for many seconds. Lines written
// from here on are counted by the triggers.
QString pendingMarking()
{
    return QStringLiteral("INSERT OR REPLACE INTO xtsz (项目, 值) SELECT '%1', min(rowid) || ' ' || max(rowid) FROM xsmx "
                          "HAVING count(*) > 0")
        .arg(PendingKey);
}

std::optional<PendingGoodsLines> readPending(const QSqlDatabase& db)
{
    Query query(db, QStringLiteral("SELECT 值 FROM xtsz WHERE 项目 = ?"), QStringLiteral("读取商品汇总进度"));
    query.bind(PendingKey).run();
    if (!query.next()) {
        query.requireNoError();
        return std::nullopt;
    }
    const QStringList ends = query.value(0).toString().split(QLatin1Char(' '));
    bool firstRead = false;
    bool lastRead = false;
    const PendingGoodsLines pending{ends.value(0).toLongLong(&firstRead), ends.value(1).toLongLong(&lastRead)};
    // A mark that cannot be read says nothing of what was summed: first > last, and the fill
    // then sums the whole history again.
    if (ends.size() != 2 || !firstRead || !lastRead)
        return PendingGoodsLines{1, 0};
    return pending;
}

void forgetPending(Connection& connection, const QString& doing)
{
    Query(connection.database(), QStringLiteral("DELETE FROM xtsz WHERE 项目 = ?"), doing).bind(PendingKey).run();
}

// Every line summed again, inside the caller's transaction: nothing is left pending.
void sumAllGoodsAgain(Connection& connection, const QString& doing)
{
    connection.execute(QStringLiteral("DELETE FROM rsp"), doing);
    connection.execute(goodsFilling(), doing);
    forgetPending(connection, doing);
}

// One sorted pass over the history, cash counted as if no entry had payment rows; the entries
// that have them (reached from xsfk, few in an old shop) are then taken back out of the cash.
// Probing xsfk once per entry instead costs a second in 2,000,000.
const char* const Filling[] = {
    "CREATE TEMP TABLE rtj_fill AS SELECT substr(时间, 1, 10) AS 日期, 收银员, 原单号 IS NOT NULL AS 退货, "
    "count(*) AS 笔数, total(数量) AS 数量, total(金额) AS 金额, total(折后) AS 折后, "
    "total(CAST(round(coalesce(折后, 0) * 100) AS INTEGER)) AS 现金, count(*) AS 现金笔数 FROM xstj GROUP BY 1, 2, 3",
    "CREATE TEMP TABLE rtj_paid AS SELECT substr(t.时间, 1, 10) AS 日期, t.收银员 AS 收银员, "
    "t.原单号 IS NOT NULL AS 退货, count(*) AS 笔数, total(CAST(round(coalesce(t.折后, 0) * 100) AS INTEGER)) AS 现金 "
    "FROM (SELECT DISTINCT 单号 FROM xsfk) AS p JOIN xstj AS t ON t.单号 = p.单号 GROUP BY 1, 2, 3",
    "UPDATE rtj_fill SET 现金 = rtj_fill.现金 - p.现金, 现金笔数 = rtj_fill.现金笔数 - p.笔数 FROM rtj_paid AS p "
    "WHERE p.日期 IS rtj_fill.日期 AND p.收银员 IS rtj_fill.收银员 AND p.退货 = rtj_fill.退货",
    "INSERT INTO rtj SELECT 日期, 收银员, 退货, 笔数, 数量, 金额, 折后 FROM rtj_fill",
    "INSERT INTO rfk SELECT 日期, 收银员, 方式, sum(笔数), sum(金额) FROM (SELECT 日期, 收银员, '现金' AS 方式, "
    "现金笔数 AS 笔数, CAST(现金 AS INTEGER) AS 金额 FROM rtj_fill WHERE 现金笔数 > 0 UNION ALL SELECT "
    "substr(t.时间, 1, 10), t.收银员, f.方式, 1, f.金额 FROM xstj AS t JOIN xsfk AS f ON f.单号 = t.单号) "
    "GROUP BY 1, 2, 3",
    "DROP TABLE rtj_paid",
    "DROP TABLE rtj_fill",
};

QStringList fillingStatements()
{
    QStringList statements;
    for (const char* statement : Filling)
        statements << QString::fromUtf8(statement);
    return statements;
}

// The history's own sums, keyed as the totals' rows.
const char* const HistoryEntries =
    "SELECT substr(时间, 1, 10), 收银员, 原单号 IS NOT NULL, count(*), total(数量), total(金额), total(折后) "
    "FROM xstj GROUP BY 1, 2, 3";
const char* const HistoryPayments =
    "SELECT 日期, 收银员, 方式, count(*), sum(金额) FROM (SELECT substr(t.时间, 1, 10) AS 日期, t.收银员 AS 收银员, "
    "f.方式 AS 方式, f.金额 AS 金额 FROM xstj AS t JOIN xsfk AS f ON f.单号 = t.单号 UNION ALL SELECT "
    "substr(时间, 1, 10), 收银员, '现金', CAST(round(coalesce(折后, 0) * 100) AS INTEGER) FROM xstj AS t "
    "WHERE NOT EXISTS (SELECT 1 FROM xsfk AS f WHERE f.单号 = t.单号)) GROUP BY 1, 2, 3";

using Rows = QHash<QString, QList<double>>;

// Rows keyed by their first three columns (NULL told from empty text), the other columns as numbers.
Rows rowsOf(Connection& connection, const QString& sql, int columns)
{
    Query query(connection.openedDatabase(), sql, QStringLiteral("核对每日汇总"));
    query.run();
    Rows rows;
    while (query.next()) {
        QString key;
        for (int i = 0; i < 3; ++i)
            key += (query.value(i).isNull() ? QStringLiteral("∅") : QStringLiteral("“%1”").arg(query.value(i).toString())) +
                   QLatin1Char(' ');
        QList<double> values;
        for (int i = 3; i < columns; ++i)
            values << query.value(i).toDouble();
        rows.insert(key.trimmed(), values);
    }
    query.requireNoError();
    return rows;
}

// Sums of REAL amounts kept by adding and taking away drift in their last digits.
bool near(double a, double b)
{
    return std::abs(a - b) <= 1e-6 * std::max(1.0, std::abs(a));
}

void compare(const QString& table, const Rows& history, const Rows& kept, QStringList& differences)
{
    for (auto it = history.constBegin(); it != history.constEnd(); ++it) {
        const QList<double> have = kept.value(it.key());
        bool same = have.size() == it.value().size();
        for (int i = 0; same && i < have.size(); ++i)
            same = near(have.at(i), it.value().at(i));
        if (!same)
            differences << QStringLiteral("%1 %2").arg(table, it.key());
    }
    for (auto it = kept.constBegin(); it != kept.constEnd(); ++it)
        if (!history.contains(it.key()))
            differences << QStringLiteral("%1 %2").arg(table, it.key());
}

bool keptForList(const Statement& statement)
{
    if (statement.table != QLatin1String("xstj") || !statement.distinctColumn.isEmpty())
        return false;
    return statement.match == Statement::Match::None ||
           (statement.match == Statement::Match::Contains && statement.filterColumn == QStringLiteral("收银员"));
}

} // namespace

QStringList dayTotalsStatements()
{
    QStringList statements = {
        QStringLiteral("CREATE TABLE rtj (日期 TEXT CHECK (length(日期) <= 10), 收银员 TEXT CHECK (length(收银员) <= 50), "
                       "退货 INTEGER NOT NULL, 笔数 INTEGER NOT NULL, 数量 REAL NOT NULL, 金额 REAL NOT NULL, "
                       "折后 REAL NOT NULL) STRICT"),
        QStringLiteral("CREATE UNIQUE INDEX rtj_日期 ON rtj (日期, 收银员, 退货)"),
        QStringLiteral("CREATE TABLE rfk (日期 TEXT CHECK (length(日期) <= 10), 收银员 TEXT CHECK (length(收银员) <= 50), "
                       "方式 TEXT NOT NULL CHECK (方式 IN ('现金', '微信', '支付宝', '银行卡')), 笔数 INTEGER NOT NULL, "
                       "金额 INTEGER NOT NULL) STRICT"),
        QStringLiteral("CREATE UNIQUE INDEX rfk_日期 ON rfk (日期, 收银员, 方式)"),
    };
    for (const char* statement : AddingViews)
        statements << QString::fromUtf8(statement);
    statements << keepingTriggers() << fillingStatements();
    return statements;
}

QStringList goodsTotalsStatements()
{
    QStringList statements;
    for (const char* statement : GoodsTable)
        statements << QString::fromUtf8(statement);
    return statements << goodsKeepingTriggers() << pendingMarking();
}

void rebuildDayTotals(Connection& connection)
{
    connection.openedDatabase();
    Transaction transaction(connection);
    const QString doing = QStringLiteral("重算每日汇总");
    connection.execute(QStringLiteral("DELETE FROM rtj"), doing);
    connection.execute(QStringLiteral("DELETE FROM rfk"), doing);
    for (const QString& statement : fillingStatements())
        connection.execute(statement, doing);
    sumAllGoodsAgain(connection, doing);
    transaction.commit();
}

std::optional<PendingGoodsLines> pendingGoodsLines(Connection& connection)
{
    return readPending(connection.openedDatabase());
}

bool fillPendingGoods(Connection& connection, qint64 lines)
{
    connection.openedDatabase();
    const QString doing = QStringLiteral("补算每日商品汇总");
    // Read inside the write lock: another filler may have moved the mark meanwhile.
    Transaction transaction(connection);
    const std::optional<PendingGoodsLines> pending = readPending(connection.database());
    if (!pending) {
        transaction.commit();
        return false;
    }
    if (pending->first > pending->last) {
        sumAllGoodsAgain(connection, doing);
        transaction.commit();
        return false;
    }
    const qint64 upTo = pending->last - pending->first < lines ? pending->last : pending->first + (lines - 1);
    Query(connection.database(),
          QStringLiteral("INSERT INTO rsp_add %1").arg(historyGoods(QStringLiteral("WHERE rowid BETWEEN ? AND ? "))), doing)
        .bind(pending->first)
        .bind(upTo)
        .run();
    const bool more = upTo < pending->last;
    if (more)
        Query(connection.database(), QStringLiteral("UPDATE xtsz SET 值 = ? WHERE 项目 = ?"), doing)
            .bind(QStringLiteral("%1 %2").arg(upTo + 1).arg(pending->last))
            .bind(PendingKey)
            .run();
    else
        forgetPending(connection, doing);
    transaction.commit();
    return more;
}

QStringList dayTotalsDisagreements(Connection& connection)
{
    QStringList differences;
    compare(QStringLiteral("rtj"), rowsOf(connection, QString::fromUtf8(HistoryEntries), 7),
            rowsOf(connection, QStringLiteral("SELECT 日期, 收银员, 退货, 笔数, 数量, 金额, 折后 FROM rtj"), 7),
            differences);
    compare(QStringLiteral("rfk"), rowsOf(connection, QString::fromUtf8(HistoryPayments), 5),
            rowsOf(connection, QStringLiteral("SELECT 日期, 收银员, 方式, 笔数, 金额 FROM rfk"), 5), differences);
    // Lines still waiting for the fill are not in rsp yet, and rightly so.
    const std::optional<PendingGoodsLines> pending = readPending(connection.openedDatabase());
    const QString counted = pending ? QStringLiteral("WHERE rowid NOT BETWEEN %1 AND %2 ").arg(pending->first).arg(pending->last)
                                    : QString();
    compare(QStringLiteral("rsp"), rowsOf(connection, historyGoods(counted), 6),
            rowsOf(connection, QStringLiteral("SELECT 日期, 品名, 退货, 行数, 数量, 折后 FROM rsp"), 6), differences);
    differences.sort();
    return differences;
}

bool repairDayTotals(Connection& connection)
{
    if (dayTotalsDisagreements(connection).isEmpty())
        return false;
    rebuildDayTotals(connection);
    return true;
}

std::optional<ListTotals> listTotals(Connection& connection, const Statement& statement, const QString& argument,
                                     qint64 upToRowid)
{
    if (!keptForList(statement))
        return std::nullopt;
    const QSqlDatabase db = connection.openedDatabase();
    const bool byCashier = statement.match == Statement::Match::Contains;
    const QString doing = QStringLiteral("合计“%1”").arg(statement.text(argument));
    const QString cashierFilter = byCashier ? QStringLiteral(" AND instr(收银员, ?) > 0") : QString();
    ListTotals totals;
    Query kept(db, QStringLiteral("SELECT total(笔数), total(数量), total(金额), total(折后) FROM rtj WHERE 1%1").arg(cashierFilter),
               doing);
    if (byCashier)
        kept.bind(argument);
    kept.runToFirstRow();
    // The rows recorded since the list was opened, taken back off the totals.
    Query later(db,
                QStringLiteral("SELECT count(*), total(数量), total(金额), total(折后) FROM xstj WHERE rowid > ?%1")
                    .arg(cashierFilter),
                doing);
    later.bind(upToRowid);
    if (byCashier)
        later.bind(argument);
    later.runToFirstRow();
    totals.count = static_cast<qint64>(std::llround(kept.value(0).toDouble())) - later.value(0).toLongLong();
    const QStringList summed = {QStringLiteral("数量"), QStringLiteral("金额"), QStringLiteral("折后")};
    for (int i = 0; i < summed.size(); ++i)
        totals.sums.insert(summed.at(i), kept.value(i + 1).toDouble() - later.value(i + 1).toDouble());
    if (byCashier) {
        Query names(db, QStringLiteral("SELECT DISTINCT 收银员 FROM rtj WHERE instr(收银员, ?) > 0 ORDER BY 收银员"), doing);
        names.bind(argument).run();
        QStringList cashiers;
        while (names.next())
            cashiers << names.value(0).toString();
        names.requireNoError();
        totals.cashiers = cashiers;
    }
    return totals;
}

namespace {

QString reportStatement(ReportView view, sql::ReportStep step)
{
    switch (view) {
    case ReportView::Goods:
        return sql::ReportGoods.arg(sql::reportPeriod(step, QStringLiteral("日期")));
    case ReportView::Cashiers:
        return sql::ReportCashiers.arg(sql::reportPeriod(step, QStringLiteral("日期")));
    case ReportView::Payments:
        break;
    }
    return sql::ReportPayments.arg(sql::reportPeriod(step, QStringLiteral("日期")));
}

} // namespace

QList<ReportRow> reportRows(Connection& connection, ReportView view, sql::ReportStep step, const QDate& first,
                            const QDate& last)
{
    const QString dayFormat = QStringLiteral("yyyy-MM-dd");
    Query query(connection.openedDatabase(), reportStatement(view, step), QStringLiteral("读取营业报表"));
    query.bind(first.toString(dayFormat)).bind(last.addDays(1).toString(dayFormat));
    query.run();
    QList<ReportRow> rows;
    while (query.next()) {
        ReportRow row{query.value(0).toString(), query.value(1).toString(), {}, 0};
        const int lastFigure = view == ReportView::Goods ? 2 : view == ReportView::Cashiers ? 4 : 2;
        for (int column = 2; column <= lastFigure; ++column)
            row.figures << query.value(column).toDouble();
        row.fen = query.value(lastFigure + 1).toLongLong();
        rows << row;
    }
    query.requireNoError();
    return rows;
}

} // namespace store
