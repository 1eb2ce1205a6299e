#include "support/DayTotalsCheck.h"

#include "support/TestDatabase.h"

#include <QRegularExpression>
#include <QStringList>

namespace testsupport {

namespace {

// Sums kept by adding and taking away may differ from a fresh sum in their last bits.
const char* const HistoryEntries =
    "SELECT substr(时间, 1, 10), 收银员, 原单号 IS NOT NULL, count(*), round(total(数量), 6), round(total(金额), 6), "
    "round(total(折后), 6) FROM xstj GROUP BY 1, 2, 3";
const char* const KeptEntries = "SELECT 日期, 收银员, 退货, 笔数, round(数量, 6), round(金额, 6), round(折后, 6) FROM rtj";
// An entry whose number has no payment rows was paid its 折后 in cash.
const char* const HistoryPayments =
    "SELECT substr(t.时间, 1, 10), t.收银员, coalesce(f.方式, '现金'), count(*), "
    "sum(coalesce(f.金额, CAST(round(coalesce(t.折后, 0) * 100) AS INTEGER))) "
    "FROM xstj AS t LEFT JOIN xsfk AS f ON f.单号 = t.单号 GROUP BY 1, 2, 3";
const char* const KeptPayments = "SELECT 日期, 收银员, 方式, 笔数, 金额 FROM rfk";

QStringList oneSided(const TestDatabase& db, const char* from, const char* without, const QString& label)
{
    QStringList rows = db.rows(QStringLiteral("%1 EXCEPT %2").arg(QString::fromUtf8(from), QString::fromUtf8(without)));
    return rows.replaceInStrings(QRegularExpression(QStringLiteral("^")), label);
}

} // namespace

QString dayTotalsMismatch(const TestDatabase& db)
{
    const QStringList differences = oneSided(db, HistoryEntries, KeptEntries, QStringLiteral("history rtj "))
                                    + oneSided(db, KeptEntries, HistoryEntries, QStringLiteral("kept rtj "))
                                    + oneSided(db, HistoryPayments, KeptPayments, QStringLiteral("history rfk "))
                                    + oneSided(db, KeptPayments, HistoryPayments, QStringLiteral("kept rfk "));
    return differences.mid(0, 6).join(QStringLiteral("; "));
}

} // namespace testsupport
