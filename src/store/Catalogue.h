#pragma once

#include <QString>
#include <initializer_list>
#include <span>

namespace store {

// A statement of the catalogue. User text never enters the SQL: a filtered statement
// binds its argument, matched literally (Contains: anywhere in the column; Equals: exactly).
struct Statement
{
    enum class Match
    {
        None,
        Contains,
        Equals
    };

    QString table;
    QString distinctColumn; // "Select Distinct <col> From <table>"
    QString filterColumn;
    Match match = Match::None;
    QString orderColumn; // ascending

    // The statement as the user would read it, with the argument shown in place.
    QString text(const QString& argument = {}) const;
    bool operator==(const Statement& other) const = default;
};

// A column every dataset of a table shows after the table's own, worked out for each row read from
// other tables (never written): xstj's 付款方式 (how the sale was paid) and 状态, xsmx's 状态 (returned or not). Read-only text.
struct ComputedColumn
{
    QString name;
    QString expression; // SQL over the row's table, which is not aliased
};

namespace sql {

extern const Statement SelectSpxx;         // select * from spxx
extern const Statement DistinctGoodsNames; // Select Distinct 品名 From spxx
extern const Statement GoodsByName;        // select * from spxx where 品名 = ?
extern const Statement SelectXsxx;         // select * from xsxx
extern const Statement SelectDynr;         // select * from dynr
extern const Statement SelectXstj;         // select * from xstj
extern const Statement XstjByTime;         // select * from xstj order by 时间 asc
extern const Statement XstjByNumber;       // select * from xstj where 单号 contains ?
extern const Statement XstjByCashier;      // select * from xstj where 收银员 contains ?
extern const Statement XstjOfSale;         // select * from xstj where 单号 = ?
extern const Statement DistinctReceiptNumbers; // Select Distinct 单号 From xstj
extern const Statement SelectXsmx;         // select * from xsmx
extern const Statement XsmxOfSale;         // select * from xsmx where 单号 = ?
extern const Statement SelectXsfk;         // select * from xsfk
extern const Statement XsfkOfSale;         // select * from xsfk where 单号 = ?
extern const Statement SelectId;           // select * from id
extern const Statement SelectUsername;     // select * from username
extern const Statement DistinctUserNames;  // Select Distinct 用户名 From username
extern const Statement UserByName;         // select * from username where 用户名 = ?

// The shift handover and the day close read the history of a period: its edges entry by entry,
// its whole days (if read so) from the per-day totals. Bound by name: :from and :until, the
// edges' inner ends :first_edge_end and :last_edge_start, :after_row the last xstj rowid when the
// previous period ended (NULL: none), :days_from and :days_until the whole days, and (where it
// stands) :cashier, "" for every cashier. Each reads index ranges, never the whole history
// (store/Closings binds them).
extern const QString PeriodCounts;     // sales, returns
extern const QString PeriodPayments;   // is return, method, entries, fen, cash received, change (of the edges)
extern const QString PeriodFirstSale;  // 单号 of the first sale
extern const QString PeriodLastSale;   // 单号 of the last sale
extern const QString PeriodCashiers;   // cashier, sales, net fen (no cashier argument)
extern const QString PeriodTopGoods;   // goods, quantity, net fen, the ten highest (no cashier argument)
extern const QString LastHistoryRow;   // the largest xstj rowid
extern const QString ShiftsEnded;      // jb rows whose 结束 falls in [from, until)
extern const QString OpenShift;        // ID, 开始, 备用金 of the cashier's open shift
extern const QString LastHandover;     // 结束, 末行 of the cashier's latest handover
extern const QString InsertOpenShift;  // 收银员, 开始, 备用金
extern const QString UpdateShiftFloat; // 备用金, ID
extern const QString CloseShift;       // 结束 .. 差额, ID
extern const QString InsertShift;      // 收银员, 开始, 结束 .. 差额
extern const QString LastDayCloseEnd;  // 结束, 末行 of the newest close
extern const QString InsertDayClose;   // 开始, 结束, 末行, 操作员, 笔数, 金额, 报表
extern const QString SetDayCloseReport; // 报表, Z号
extern const QString DayCloses;        // Z号, 开始, 结束, 操作员, 笔数, 金额, 末行, newest first
extern const QString DayCloseByNumber; // Z号, 开始, 结束, 操作员, 笔数, 金额, 末行, 报表 of Z号 = ?

// The business reports over the days [first, until) (bound as "yyyy-MM-dd"),
// one row a period and name; %1 is the period a day falls in (reportPeriod). Amounts in fen, a
// return's negative, so each figure is net. Each reads its per-day totals (rsp, rtj, rfk).
extern const QString ReportGoods;    // period, goods, quantity, fen
extern const QString ReportCashiers; // period, cashier, sales, returns, quantity, fen
extern const QString ReportPayments; // period, method, entries, fen
enum class ReportStep
{
    Day,
    Week,
    Month
};
// The period of the day `dayColumn` ("yyyy-MM-dd") as SQL: the day, the Monday of its week, "yyyy-MM".
QString reportPeriod(ReportStep step, const QString& dayColumn);

// 状态 of a history entry: "退货单" for a return, "已退货" / "部分退货" for a sale with returns.
extern const ComputedColumn SaleState; // over xstj
extern const ComputedColumn LineState; // over xsmx

} // namespace sql

// What a column holds, as db/schema.sql declares it: a number (REAL or INTEGER, kept as a double)
// or a text of at most `width` characters (0: no limit known). Unknown names are unlimited text.
struct ColumnRule
{
    bool isNumber = false;
    int width = 0;
};
ColumnRule columnRule(const QString& table, const QString& column);

struct NamedRule
{
    const char* column;
    ColumnRule rule;
};

struct TableRules
{
    const char* table;
    std::initializer_list<NamedRule> columns;
};

// Every table the program uses, with its columns in order: the one description of the schema in
// the code, which start-up checks the file against.
std::span<const TableRules> schemaTables();

std::span<const ComputedColumn> computedColumns(const QString& table);

// Widest text a text column takes; 0 for number columns and unknown names.
int columnWidth(const QString& table, const QString& column);

} // namespace store
