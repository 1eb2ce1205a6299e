#include "store/Upgrades.h"

#include "core/Error.h"
#include "store/Backup.h"
#include "store/Connection.h"
#include "store/DayTotals.h"
#include "store/Query.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace store {

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Version 2: barcodes in the goods catalogue, unique where given, and the program's own settings
// (one value a name) for what later steps and windows need to keep.
UpgradeStep barcodesAndSettings()
{
    return {2,
            QStringLiteral("商品条码和系统设置"),
            {
                QStringLiteral("ALTER TABLE spxx ADD COLUMN 条码 TEXT CHECK (length(条码) <= 32)"),
                QStringLiteral("CREATE UNIQUE INDEX spxx_条码 ON spxx (条码) WHERE 条码 IS NOT NULL AND 条码 <> ''"),
                QStringLiteral("CREATE TABLE xtsz (项目 TEXT PRIMARY KEY CHECK (length(项目) <= 50), "
                               "值 TEXT CHECK (length(值) <= 255)) STRICT"),
            }};
}

// Version 3: how each sale was paid (one row a payment, in fen; a split has two), and returns as
// history entries of their own, tied to the sale and line they take back. Sales from before this
// step have no payment rows and count as cash.
UpgradeStep paymentsAndReturns()
{
    return {3,
            QStringLiteral("付款方式和退货"),
            {
                QStringLiteral("CREATE TABLE xsfk (单号 TEXT NOT NULL CHECK (length(单号) <= 50), "
                               "方式 TEXT NOT NULL CHECK (方式 IN ('现金', '微信', '支付宝', '银行卡')), "
                               "金额 INTEGER NOT NULL, 实收 INTEGER, 找零 INTEGER) STRICT"),
                QStringLiteral("CREATE INDEX xsfk_单号 ON xsfk (单号)"),
                QStringLiteral("ALTER TABLE xstj ADD COLUMN 原单号 TEXT CHECK (length(原单号) <= 50)"),
                QStringLiteral("ALTER TABLE xstj ADD COLUMN 授权人 TEXT CHECK (length(授权人) <= 50)"),
                QStringLiteral("CREATE INDEX xstj_原单号 ON xstj (原单号) WHERE 原单号 IS NOT NULL"),
                QStringLiteral("ALTER TABLE xsmx ADD COLUMN 原行 INTEGER"),
            }};
}

// Version 4: shift handovers (one row a shift; the open shift of a cashier has no 结束 yet) and
// day closes, each with its numbered report kept as it was printed, and the last history row each
// had seen. Money in fen.
UpgradeStep shiftsAndDayCloses()
{
    return {4,
            QStringLiteral("交班和日结"),
            {
                QStringLiteral("CREATE TABLE jb (ID INTEGER PRIMARY KEY AUTOINCREMENT, "
                               "收银员 TEXT NOT NULL CHECK (length(收银员) <= 50), "
                               "开始 TEXT NOT NULL CHECK (length(开始) <= 50), 结束 TEXT CHECK (length(结束) <= 50), "
                               "笔数 INTEGER, 收款 INTEGER, 退款 INTEGER, 备用金 INTEGER NOT NULL DEFAULT 0, "
                               "应有现金 INTEGER, 实点现金 INTEGER, 差额 INTEGER, 末行 INTEGER) STRICT"),
                QStringLiteral("CREATE INDEX jb_收银员 ON jb (收银员)"),
                QStringLiteral("CREATE TABLE rj (Z号 INTEGER PRIMARY KEY AUTOINCREMENT, "
                               "开始 TEXT NOT NULL CHECK (length(开始) <= 50), 结束 TEXT NOT NULL CHECK (length(结束) <= 50), "
                               "末行 INTEGER, 操作员 TEXT CHECK (length(操作员) <= 50), 笔数 INTEGER, 金额 INTEGER, "
                               "报表 TEXT NOT NULL) STRICT"),
            }};
}

// Version 5: the history summed per day and cashier, kept by triggers from here on and filled
// from the history in this same step (store/DayTotals), so the statistics window and the reports
// read a few thousand rows instead of every sale.
UpgradeStep dayTotals()
{
    return {5, QStringLiteral("每日汇总"), dayTotalsStatements()};
}

// Version 6: the goods sold per day, kept by triggers on the lines and filled from them here, so a
// report by goods over years reads a row a day and goods, not every line ever sold.
UpgradeStep goodsTotals()
{
    return {6, QStringLiteral("每日商品汇总"), goodsTotalsStatements()};
}

// Version 7: the returns by time, so a day close takes the returns of the days it reads from the
// totals out of their payments without reading the days' sales; it holds what that reads of them.
UpgradeStep returnsByTime()
{
    return {7,
            QStringLiteral("退货按时间索引"),
            {QStringLiteral("CREATE INDEX xstj_退货时间 ON xstj (时间, 单号, 收银员, 折后, 原单号) "
                            "WHERE 原单号 IS NOT NULL")}};
}

void requireWritable(Connection& connection, const QString& file)
{
    if (!QFileInfo(file).isWritable() || !QFileInfo(QFileInfo(file).absolutePath()).isWritable())
        throw Error(QStringLiteral("数据库文件 %1 是只读的，无法升级").arg(shown(file)));
    (void)connection;
}

} // namespace

const std::vector<UpgradeStep>& upgradeSteps()
{
    static const std::vector<UpgradeStep> steps = {barcodesAndSettings(), paymentsAndReturns(), shiftsAndDayCloses(),
                                                   dayTotals(), goodsTotals(), returnsByTime()};
    return steps;
}

int newestSchemaVersion()
{
    return upgradeSteps().empty() ? 1 : upgradeSteps().back().version;
}

int schemaVersionOf(Connection& connection)
{
    if (!connection.isOpen())
        connection.open();
    Query query(connection.database(), QStringLiteral("PRAGMA user_version"),
                QStringLiteral("读取数据库文件 %1").arg(shown(Connection::databasePath())));
    query.runToFirstRow();
    return query.value(0).toInt();
}

int applyStepsAfter(int from, const std::function<void(const QString& statement, const QString& doing)>& execute)
{
    int reached = from;
    for (const UpgradeStep& step : upgradeSteps()) {
        if (step.version <= from)
            continue;
        for (const QString& statement : step.statements)
            execute(statement, QStringLiteral("升级到版本 %1（%2）").arg(step.version).arg(step.what));
        reached = step.version;
    }
    return reached;
}

namespace {

// The steps and the version they reach, inside the caller's transaction: a file is never marked
// newer than it is.
void writeStepsAfter(Connection& connection, int from)
{
    const int reached = applyStepsAfter(
        from, [&](const QString& statement, const QString& doing) { connection.execute(statement, doing); });
    connection.execute(QStringLiteral("PRAGMA user_version = %1").arg(reached),
                       QStringLiteral("升级到版本 %1").arg(reached));
}

} // namespace

void runUpgradeSteps(Connection& connection, int from)
{
    Transaction transaction(connection);
    writeStepsAfter(connection, from);
    transaction.commit();
}

QString upgradeDatabase(Connection& connection, const QDateTime& now)
{
    const int version = schemaVersionOf(connection);
    const int newest = newestSchemaVersion();
    if (version >= newest || version < 1)
        return {};
    const QString file = Connection::databasePath();
    try {
        requireWritable(connection, file);
        // The steps run while the copy is made and checked on another thread (the connection keeps
        // the file in WAL mode, so the copy reads it as it was), and commit only once it passed.
        // The totals' fills sort millions of rows: SQLite may sort with a helper thread.
        connection.execute(QStringLiteral("PRAGMA threads = 2"), QStringLiteral("升级"));
        std::optional<Transaction> steps;
        const QString copy = backup::makeKeptCopy(file, QStringLiteral("v%1").arg(newest), now, [&] {
            steps.emplace(connection);
            writeStepsAfter(connection, version);
        });
        steps->commit();
        return copy;
    } catch (const Error& error) {
        throw Error(QStringLiteral("无法把数据库文件 %1 从版本 %2 升级到版本 %3，文件保持原样：%4")
                        .arg(shown(file))
                        .arg(version)
                        .arg(newest)
                        .arg(error.message()));
    }
}

} // namespace store
