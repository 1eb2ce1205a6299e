#include "store/Catalogue.h"

#include <QHash>

namespace store {

using Match = Statement::Match;

QString Statement::text(const QString& argument) const
{
    if (!distinctColumn.isEmpty())
        return QStringLiteral("Select Distinct %1 From %2").arg(distinctColumn, table);
    QString sql = QStringLiteral("select * from %1").arg(table);
    if (match == Match::Contains)
        sql += QStringLiteral(" where %1 like \"%%2%\"").arg(filterColumn, argument);
    else if (match == Match::Equals)
        sql += QStringLiteral(" where %1 = \"%2\"").arg(filterColumn, argument);
    if (!orderColumn.isEmpty())
        sql += QStringLiteral(" order by %1 asc").arg(orderColumn);
    return sql;
}

namespace {

Statement all(const char* table)
{
    Statement s;
    s.table = QString::fromUtf8(table);
    return s;
}

Statement distinct(const char* table, const char* column)
{
    Statement s = all(table);
    s.distinctColumn = QString::fromUtf8(column);
    return s;
}

Statement filtered(const char* table, const char* column, Match match)
{
    Statement s = all(table);
    s.filterColumn = QString::fromUtf8(column);
    s.match = match;
    return s;
}

Statement ordered(const char* table, const char* column)
{
    Statement s = all(table);
    s.orderColumn = QString::fromUtf8(column);
    return s;
}

} // namespace

namespace sql {

const Statement SelectSpxx = all("spxx");
const Statement DistinctGoodsNames = distinct("spxx", "品名");
const Statement GoodsByName = filtered("spxx", "品名", Match::Equals);
const Statement SelectXsxx = all("xsxx");
const Statement SelectDynr = all("dynr");
const Statement SelectXstj = all("xstj");
const Statement XstjByTime = ordered("xstj", "时间");
const Statement XstjByNumber = filtered("xstj", "单号", Match::Contains);
const Statement XstjByCashier = filtered("xstj", "收银员", Match::Contains);
const Statement XstjOfSale = filtered("xstj", "单号", Match::Equals);
const Statement DistinctReceiptNumbers = distinct("xstj", "单号");
const Statement SelectXsmx = all("xsmx");
const Statement XsmxOfSale = filtered("xsmx", "单号", Match::Equals);
const Statement SelectXsfk = all("xsfk");
const Statement XsfkOfSale = filtered("xsfk", "单号", Match::Equals);
const Statement SelectId = all("id");
const Statement SelectUsername = all("username");
const Statement DistinctUserNames = distinct("username", "用户名");
const Statement UserByName = filtered("username", "用户名", Match::Equals);

// The entries of a period read one by one: those dated in its edges, [from, :first_edge_end) and [:last_edge_start, until),
// and those recorded after the period before it had ended (rowid beyond its last row then; NULL
// for none) but dated before from, such as a forgotten sale typed in with its own time: no entry
// falls between two periods. Its whole days between the edges, 日期 in [:days_from, :days_until), are read from the
// per-day totals (rtj, rfk, rsp) instead; a period read entry by entry has them empty. Every part
// is an index range, of xstj_时间, of the rowid (the "+" keeps it off the time index, which would
// read every earlier entry) or of a totals table. Named parameters, as each stands in several
// places (Catalogue.h).
namespace {

QString periodEntries(const char* alias)
{
    return QStringLiteral("%1.rowid IN (SELECT rowid FROM xstj WHERE 时间 >= :from AND 时间 < :first_edge_end UNION ALL "
                          "SELECT rowid FROM xstj WHERE 时间 >= :last_edge_start AND 时间 < :until UNION ALL "
                          "SELECT rowid FROM xstj WHERE rowid > :after_row AND +时间 < :from)")
        .arg(QLatin1String(alias));
}

const QString WholeDays = QStringLiteral("日期 >= :days_from AND 日期 < :days_until");
const QString OfCashier = QStringLiteral("(:cashier = '' OR 收银员 = :cashier)");

// What an entry brings in fen: a sale without payment rows was paid in cash, its 折后 (received as
// due, no change); amounts kept in yuan are rounded to fen as sales::fenOf rounds them (half away
// from zero).
const QString EntryFen = QStringLiteral("CAST(round(coalesce(t.折后, 0) * 100) AS INTEGER)");

} // namespace

const QString PeriodCounts =
    QStringLiteral("SELECT total(sales), total(returns) FROM ("
                   "SELECT 原单号 IS NULL AS sales, 原单号 IS NOT NULL AS returns FROM xstj AS t WHERE %1 AND %2 "
                   "UNION ALL SELECT CASE WHEN 退货 = 0 THEN 笔数 END, CASE WHEN 退货 <> 0 THEN 笔数 END FROM rtj "
                   "WHERE %3 AND %2)")
        .arg(periodEntries("t"), OfCashier, WholeDays);
// rfk sums the whole days' sales and returns together: the returns, few and found by their own
// time index, are taken out of the sales and counted apart. An entry counts once a payment row.
const QString PeriodPayments =
    QStringLiteral(
        "WITH day_returns AS (SELECT coalesce(f.方式, '现金') AS method, coalesce(f.金额, %4) AS fen "
        "FROM xstj AS t INDEXED BY xstj_退货时间 LEFT JOIN xsfk AS f ON f.单号 = t.单号 "
        "WHERE t.原单号 IS NOT NULL AND t.时间 >= :days_from AND t.时间 < :days_until AND (:cashier = '' OR t.收银员 = :cashier)) "
        "SELECT kind, method, total(n), sum(fen), sum(received), sum(change) FROM ("
        "SELECT t.原单号 IS NOT NULL AS kind, coalesce(f.方式, '现金') AS method, 1 AS n, coalesce(f.金额, %4) AS fen, "
        "CASE WHEN f.rowid IS NULL THEN %4 ELSE coalesce(f.实收, 0) END AS received, coalesce(f.找零, 0) AS change "
        "FROM xstj AS t LEFT JOIN xsfk AS f ON f.单号 = t.单号 WHERE %1 AND (:cashier = '' OR t.收银员 = :cashier) "
        "UNION ALL SELECT 0, 方式, 笔数, 金额, NULL, NULL FROM rfk WHERE %3 AND %2 "
        "UNION ALL SELECT 0, method, -1, -fen, NULL, NULL FROM day_returns "
        "UNION ALL SELECT 1, method, 1, fen, NULL, NULL FROM day_returns) "
        "GROUP BY 1, 2 HAVING total(n) <> 0 "
        "ORDER BY 1, CASE method WHEN '现金' THEN 1 WHEN '微信' THEN 2 WHEN '支付宝' THEN 3 ELSE 4 END")
        .arg(periodEntries("t"), OfCashier, WholeDays, EntryFen);

namespace {

// The first (or last) sale of the edges and that of the whole days, walked to along the time
// index; the earlier (or later) of them.
QString periodEndSale(const char* order)
{
    return QStringLiteral("SELECT 单号 FROM (SELECT 单号, 时间, rowid AS r FROM xstj AS t WHERE %1 AND 原单号 IS NULL "
                          "UNION ALL SELECT * FROM (SELECT 单号, 时间, rowid FROM xstj WHERE 时间 >= :days_from AND 时间 < :days_until "
                          "AND 原单号 IS NULL ORDER BY 时间 %2, rowid %2 LIMIT 1)) ORDER BY 时间 %2, r %2 LIMIT 1")
        .arg(periodEntries("t"), QLatin1String(order));
}

} // namespace

const QString PeriodFirstSale = periodEndSale("ASC");
const QString PeriodLastSale = periodEndSale("DESC");
const QString PeriodCashiers =
    QStringLiteral("SELECT name, total(n), sum(fen) FROM ("
                   "SELECT coalesce(收银员, '') AS name, 原单号 IS NULL AS n, %2 AS fen FROM xstj AS t WHERE %1 "
                   "UNION ALL SELECT coalesce(收银员, ''), CASE WHEN 退货 = 0 THEN 笔数 ELSE 0 END, "
                   "CAST(round(折后 * 100) AS INTEGER) FROM rtj WHERE %3) GROUP BY 1 ORDER BY 1")
        .arg(periodEntries("t"), EntryFen, WholeDays);
const QString PeriodTopGoods =
    QStringLiteral("SELECT name, total(quantity), sum(fen) AS fen FROM ("
                   "SELECT coalesce(m.品名, '') AS name, m.数量 AS quantity, "
                   "CAST(round(coalesce(m.折后, 0) * 100) AS INTEGER) AS fen "
                   "FROM xstj AS t JOIN xsmx AS m ON m.单号 = t.单号 AND m.时间 IS t.时间 WHERE %1 "
                   "UNION ALL SELECT coalesce(品名, ''), 数量, 折后 FROM rsp WHERE %2) "
                   "GROUP BY 1 ORDER BY fen DESC, 1 LIMIT 10")
        .arg(periodEntries("t"), WholeDays);
const QString LastHistoryRow = QStringLiteral("SELECT max(rowid) FROM xstj");
const QString ShiftsEnded = QStringLiteral(
    "SELECT 收银员, 开始, 结束, 笔数, 收款, 退款, 备用金, 应有现金, 实点现金, 差额, 末行 FROM jb "
    "WHERE 结束 IS NOT NULL AND 结束 >= ? AND 结束 < ? ORDER BY 结束, ID");
const QString OpenShift = QStringLiteral(
    "SELECT ID, 开始, 备用金 FROM jb WHERE 收银员 = ? AND 结束 IS NULL ORDER BY ID DESC LIMIT 1");
const QString LastHandover = QStringLiteral(
    "SELECT 结束, 末行 FROM jb WHERE 收银员 = ? AND 结束 IS NOT NULL ORDER BY 结束 DESC, ID DESC LIMIT 1");
const QString InsertOpenShift = QStringLiteral("INSERT INTO jb (收银员, 开始, 备用金) VALUES (?, ?, ?)");
const QString UpdateShiftFloat = QStringLiteral("UPDATE jb SET 备用金 = ? WHERE ID = ?");
const QString CloseShift = QStringLiteral(
    "UPDATE jb SET 结束 = ?, 笔数 = ?, 收款 = ?, 退款 = ?, 备用金 = ?, 应有现金 = ?, 实点现金 = ?, 差额 = ?, "
    "末行 = ? WHERE ID = ?");
const QString InsertShift = QStringLiteral(
    "INSERT INTO jb (收银员, 开始, 结束, 笔数, 收款, 退款, 备用金, 应有现金, 实点现金, 差额, 末行) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
const QString LastDayCloseEnd = QStringLiteral("SELECT 结束, 末行 FROM rj ORDER BY Z号 DESC LIMIT 1");
const QString InsertDayClose = QStringLiteral(
    "INSERT INTO rj (开始, 结束, 末行, 操作员, 笔数, 金额, 报表) VALUES (?, ?, ?, ?, ?, ?, ?)");
const QString SetDayCloseReport = QStringLiteral("UPDATE rj SET 报表 = ? WHERE Z号 = ?");
const QString DayCloses = QStringLiteral("SELECT Z号, 开始, 结束, 操作员, 笔数, 金额, 末行 FROM rj ORDER BY Z号 DESC");
const QString DayCloseByNumber = QStringLiteral(
    "SELECT Z号, 开始, 结束, 操作员, 笔数, 金额, 末行, 报表 FROM rj WHERE Z号 = ?");

const QString ReportGoods = QStringLiteral(
    "SELECT %1 AS period, coalesce(品名, ''), total(数量), sum(折后) AS fen FROM rsp WHERE 日期 >= ? AND 日期 < ? "
    "GROUP BY 1, 2 ORDER BY 1, fen DESC, 2");
const QString ReportCashiers = QStringLiteral(
    "SELECT %1 AS period, coalesce(收银员, ''), total(CASE WHEN 退货 = 0 THEN 笔数 END), "
    "total(CASE WHEN 退货 <> 0 THEN 笔数 END), total(数量), CAST(round(total(折后) * 100) AS INTEGER) AS fen "
    "FROM rtj WHERE 日期 >= ? AND 日期 < ? GROUP BY 1, 2 ORDER BY 1, fen DESC, 2");
const QString ReportPayments = QStringLiteral(
    "SELECT %1 AS period, 方式, total(笔数), sum(金额) FROM rfk WHERE 日期 >= ? AND 日期 < ? GROUP BY 1, 2 "
    "ORDER BY 1, CASE 方式 WHEN '现金' THEN 1 WHEN '微信' THEN 2 WHEN '支付宝' THEN 3 ELSE 4 END");

QString reportPeriod(ReportStep step, const QString& dayColumn)
{
    switch (step) {
    case ReportStep::Week:
        return QStringLiteral("date(%1, '-6 days', 'weekday 1')").arg(dayColumn);
    case ReportStep::Month:
        return QStringLiteral("substr(%1, 1, 7)").arg(dayColumn);
    case ReportStep::Day:
        break;
    }
    return dayColumn;
}

// From the sums of the sale's returns, found by the xstj_原单号 index, so the state costs one index
// look-up per row shown. A return that takes the last of a sale takes exactly what was left, so a
// wholly returned sale's quantity nets to zero.
const ComputedColumn SaleState{
    QStringLiteral("状态"),
    QStringLiteral("CASE WHEN xstj.原单号 IS NOT NULL THEN '退货单' ELSE "
                   "(SELECT CASE WHEN count(*) = 0 THEN '' "
                   "WHEN abs(coalesce(xstj.数量, 0) + total(r.数量)) < 0.000001 THEN '已退货' ELSE '部分退货' END "
                   "FROM xstj AS r WHERE r.原单号 = xstj.单号 AND r.原单号 IS NOT NULL) END")};

// A sold line's returns are the lines of the sale's returns that name it: xstj_原单号, then xsmx_单号.
const ComputedColumn LineState{
    QStringLiteral("状态"),
    QStringLiteral("CASE WHEN xsmx.原行 IS NOT NULL THEN '退货单' ELSE "
                   "(SELECT CASE WHEN count(*) = 0 THEN '' "
                   "WHEN abs(coalesce(xsmx.数量, 0) + total(m.数量)) < 0.000001 THEN '已退货' ELSE '部分退货' END "
                   "FROM xsmx AS m WHERE m.原行 = xsmx.rowid AND m.单号 IN "
                   "(SELECT r.单号 FROM xstj AS r WHERE r.原单号 = xsmx.单号 AND r.原单号 IS NOT NULL)) END")};

} // namespace sql

namespace {

// One payment is its method; a split lists each with its amount in yuan ("现金 20.00+微信 18.38"),
// a refund's negative. No rows: a sale paid before payments were kept, in cash. One indexed
// lookup per row read, so a list of millions costs no more than the rows it shows.
const ComputedColumn XstjPaidBy{
    QStringLiteral("付款方式"),
    QStringLiteral("coalesce((SELECT CASE WHEN count(*) = 1 THEN min(方式) ELSE group_concat(方式 || ' ' || "
                   "CASE WHEN 金额 < 0 THEN '-' ELSE '' END || (abs(金额) / 100) || '.' || "
                   "printf('%02d', abs(金额) % 100), '+') END "
                   "FROM (SELECT 方式, 金额 FROM xsfk WHERE xsfk.单号 = xstj.单号 ORDER BY xsfk.rowid)), '现金')")};

} // namespace

std::span<const ComputedColumn> computedColumns(const QString& table)
{
    static const ComputedColumn xstj[] = {XstjPaidBy, sql::SaleState};
    if (table == QLatin1String("xstj"))
        return xstj;
    if (table == QLatin1String("xsmx"))
        return {&sql::LineState, 1};
    return {};
}

namespace {

constexpr ColumnRule Number{true, 0};

constexpr ColumnRule text(int width)
{
    return {false, width};
}

// As db/schema.sql declares the tables, one a line, columns in their order: REAL and INTEGER
// columns hold a double, TEXT columns are checked for their width. A test holds this table to the
// file made from the schema and to a file brought up by the upgrade steps.
// clang-format off
const TableRules Schema[] = {
    {"spxx", {{"品名", text(255)}, {"单价", Number}, {"条码", text(32)}}},
    {"xsxx", {{"ID", Number}, {"单号", text(50)}, {"时间", text(50)}, {"客户", text(255)}, {"电话", text(255)}, {"品名", text(255)}, {"单价", Number}, {"数量", Number}, {"金额", Number}, {"折后", Number}, {"备注", text(255)}}},
    {"dynr", {{"ID", Number}, {"店名", text(255)}, {"备注", text(255)}}},
    {"xstj", {{"单号", text(50)}, {"时间", text(50)}, {"数量", Number}, {"金额", Number}, {"折后", Number}, {"收银员", text(50)}, {"原单号", text(50)}, {"授权人", text(50)}}},
    {"xsmx", {{"单号", text(50)}, {"时间", text(50)}, {"客户", text(255)}, {"电话", text(255)}, {"品名", text(255)}, {"单价", Number}, {"数量", Number}, {"金额", Number}, {"折后", Number}, {"原行", Number}}},
    {"xsfk", {{"单号", text(50)}, {"方式", text(0)}, {"金额", Number}, {"实收", Number}, {"找零", Number}}},
    {"id", {{"pos", text(50)}, {"print", text(50)}, {"客户", text(50)}, {"电话", text(50)}}},
    {"username", {{"用户名", text(50)}, {"密码", text(255)}, {"权限", text(50)}}},
    {"xtsz", {{"项目", text(50)}, {"值", text(255)}}},
    {"jb", {{"ID", Number}, {"收银员", text(50)}, {"开始", text(50)}, {"结束", text(50)}, {"笔数", Number}, {"收款", Number}, {"退款", Number}, {"备用金", Number}, {"应有现金", Number}, {"实点现金", Number}, {"差额", Number}, {"末行", Number}}},
    {"rj", {{"Z号", Number}, {"开始", text(50)}, {"结束", text(50)}, {"末行", Number}, {"操作员", text(50)}, {"笔数", Number}, {"金额", Number}, {"报表", text(0)}}},
    {"rtj", {{"日期", text(10)}, {"收银员", text(50)}, {"退货", Number}, {"笔数", Number}, {"数量", Number}, {"金额", Number}, {"折后", Number}}},
    {"rfk", {{"日期", text(10)}, {"收银员", text(50)}, {"方式", text(0)}, {"笔数", Number}, {"金额", Number}}},
    {"rsp", {{"日期", text(10)}, {"品名", text(255)}, {"退货", Number}, {"行数", Number}, {"数量", Number}, {"折后", Number}}},
};
// clang-format on

QHash<QString, ColumnRule> rulesByName()
{
    QHash<QString, ColumnRule> rules;
    for (const TableRules& table : Schema)
        for (const NamedRule& column : table.columns)
            rules.insert(QString::fromUtf8(table.table) + QLatin1Char('.') + QString::fromUtf8(column.column),
                         column.rule);
    return rules;
}

} // namespace

std::span<const TableRules> schemaTables()
{
    return Schema;
}

ColumnRule columnRule(const QString& table, const QString& column)
{
    static const QHash<QString, ColumnRule> rules = rulesByName();
    return rules.value(table + QLatin1Char('.') + column);
}

int columnWidth(const QString& table, const QString& column)
{
    return columnRule(table, column).width;
}

} // namespace store
