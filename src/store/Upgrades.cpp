#include "store/Upgrades.h"

#include "core/Error.h"
#include "store/Backup.h"
#include "store/Connection.h"
#include "store/DayTotals.h"
#include "store/Query.h"

#include <QDir>
#include <QFileInfo>

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

// Version 4: the history summed per day and cashier, kept by triggers from here on and filled
// from the history in this same step (store/DayTotals), so the statistics window and the reports
// read a few thousand rows instead of every sale.
UpgradeStep dayTotals()
{
    return {4, QStringLiteral("每日汇总"), dayTotalsStatements()};
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
    static const std::vector<UpgradeStep> steps = {barcodesAndSettings(), paymentsAndReturns(), dayTotals()};
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

void runUpgradeSteps(Connection& connection, int from)
{
    Transaction transaction(connection);
    int reached = from;
    for (const UpgradeStep& step : upgradeSteps()) {
        if (step.version <= from)
            continue;
        for (const QString& statement : step.statements)
            connection.execute(statement, QStringLiteral("升级到版本 %1（%2）").arg(step.version).arg(step.what));
        reached = step.version;
    }
    // The version is written in the same transaction, so a file is never marked newer than it is.
    connection.execute(QStringLiteral("PRAGMA user_version = %1").arg(reached),
                       QStringLiteral("升级到版本 %1").arg(reached));
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
        const QString copy = backup::makeBackupNamed(
            file, backup::folderFor(file),
            now.toString(QStringLiteral("'data-before-v%1-'yyyyMMdd-HHmmss'.mdb'").arg(newest)));
        runUpgradeSteps(connection, version);
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
