#pragma once

#include "store/Catalogue.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace store {

class Connection;

// The history summed per calendar day (the first ten characters of 时间) and cashier: rtj holds
// the entries (sales and, apart, returns: count, 数量, 金额, 折后), rfk what they were paid by, in
// fen (an entry without xsfk rows was paid in cash, its 折后). Triggers on xstj and xsfk keep them
// in the transaction of every write to the history, whoever makes it, so a list of ten years is
// counted and summed from a few thousand rows.

// The tables, views, triggers and indexes, then their filling from the history: the upgrade step
// that brings them, as db/schema.sql makes them.
QStringList dayTotalsStatements();

// The goods sold per day (rsp: 日期, 品名, 退货, 行数, 数量, 折后 in fen), kept by triggers on xsmx
// as the others are on xstj: the upgrade step that brings them. The lines already there are
// marked as pending, to be summed by fillPendingGoods after the start.
QStringList goodsTotalsStatements();

// The rowids of the lines not yet summed into rsp, both included.
struct PendingGoodsLines
{
    qint64 first = 0;
    qint64 last = 0;
};

// std::nullopt when every line is in rsp: the usual case, and at once for a new file.
std::optional<PendingGoodsLines> pendingGoodsLines(Connection& connection);

// Sums up to `lines` pending lines into rsp, in a transaction of its own that also moves the
// mark, so a power cut loses no work and counts no line twice, and fillers on other connections
// take turns. True while lines remain. While lines are pending, no line may be deleted or changed:
// the triggers would take off what was never added (deleting a sale finishes the fill first).
bool fillPendingGoods(Connection& connection, qint64 lines);

// The slice the fill behind the cashier's back takes: about a tenth of a second, so a print
// run that comes meanwhile waits no longer.
constexpr qint64 BackgroundFillLines = 50000;

// The totals (goods too) summed again from the history, in a transaction of their own.
void rebuildDayTotals(Connection& connection);

// Where the totals differ from the history's own sums (one line a day, cashier and kind; empty
// when they agree). Reads the whole history.
QStringList dayTotalsDisagreements(Connection& connection);

// The check the program runs: the totals rebuilt when they differ from the history. True when
// they were rebuilt.
bool repairDayTotals(Connection& connection);

// A list's count and its number columns' sums, as the totals know them.
struct ListTotals
{
    qint64 count = 0;
    QHash<QString, double> sums; // 数量, 金额, 折后
    // A search by cashier: the cashiers whose names hold the text, in name order.
    std::optional<QStringList> cashiers;
};

// The totals of a list of the history that are kept: the whole history (in any order) and a
// search by cashier; std::nullopt for any other statement. Rows after upToRowid are left out,
// as a dataset's snapshot leaves them.
std::optional<ListTotals> listTotals(Connection& connection, const Statement& statement, const QString& argument,
                                     qint64 upToRowid);

// One row of a business report: a period ("yyyy-MM-dd" for a day or a week's Monday, "yyyy-MM"
// for a month), a name (goods, cashier or payment method), its counts and its net amount in fen.
struct ReportRow
{
    QString period;
    QString name;
    QList<double> figures; // goods: quantity; cashiers: sales, returns, quantity; payments: entries
    qint64 fen = 0;
};

enum class ReportView
{
    Goods,
    Cashiers,
    Payments
};

// The view's rows over the days first to last, both included, by period, each period's highest
// amounts first (payments in their fixed order), read from the per-day totals.
QList<ReportRow> reportRows(Connection& connection, ReportView view, sql::ReportStep step, const QDate& first,
                            const QDate& last);

} // namespace store
