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
const Statement SelectId = all("id");
const Statement SelectUsername = all("username");
const Statement DistinctUserNames = distinct("username", "用户名");
const Statement UserByName = filtered("username", "用户名", Match::Equals);

} // namespace sql

int columnWidth(const QString& table, const QString& column)
{
    static const QHash<QString, int> widths = {
        {QStringLiteral("spxx.品名"), 255},    {QStringLiteral("xsxx.单号"), 50},     {QStringLiteral("xsxx.时间"), 50},
        {QStringLiteral("xsxx.客户"), 255},    {QStringLiteral("xsxx.电话"), 255},    {QStringLiteral("xsxx.品名"), 255},
        {QStringLiteral("xsxx.备注"), 255},    {QStringLiteral("dynr.店名"), 255},    {QStringLiteral("dynr.备注"), 255},
        {QStringLiteral("xstj.单号"), 50},     {QStringLiteral("xstj.时间"), 50},     {QStringLiteral("xstj.收银员"), 50},
        {QStringLiteral("xsmx.单号"), 50},     {QStringLiteral("xsmx.时间"), 50},     {QStringLiteral("xsmx.客户"), 255},
        {QStringLiteral("xsmx.电话"), 255},    {QStringLiteral("xsmx.品名"), 255},    {QStringLiteral("id.pos"), 50},
        {QStringLiteral("id.print"), 50},      {QStringLiteral("id.客户"), 50},       {QStringLiteral("id.电话"), 50},
        {QStringLiteral("username.用户名"), 50}, {QStringLiteral("username.密码"), 255}, {QStringLiteral("username.权限"), 50},
    };
    return widths.value(table + QLatin1Char('.') + column, 0);
}

} // namespace store
