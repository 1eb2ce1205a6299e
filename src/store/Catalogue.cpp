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
    {"rtj", {{"日期", text(10)}, {"收银员", text(50)}, {"退货", Number}, {"笔数", Number}, {"数量", Number}, {"金额", Number}, {"折后", Number}}},
    {"rfk", {{"日期", text(10)}, {"收银员", text(50)}, {"方式", text(0)}, {"笔数", Number}, {"金额", Number}}},
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
