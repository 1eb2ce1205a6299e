#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace store {

class Connection;

// A numbered step that brings data.mdb from version - 1 to version. Steps are never changed once
// shipped: a shop's file may stand at any of them. Each statement runs inside the one upgrade
// transaction, so a step that fails leaves the file as it was.
struct UpgradeStep
{
    int version;
    QString what; // said in a failure, e.g. "商品条码"
    QStringList statements;
};

const std::vector<UpgradeStep>& upgradeSteps();
int newestSchemaVersion(); // the version db/schema.sql sets

int schemaVersionOf(Connection& connection);

// Hands each statement of the steps after `from`, in order, to execute(statement, doing), where
// doing names the step for a failure; returns the version reached. The caller holds the one
// transaction and writes the version in it.
int applyStepsAfter(int from, const std::function<void(const QString& statement, const QString& doing)>& execute);

// Runs the steps after `from` up to the newest on the open connection, in one transaction, and
// sets the version. Throws store::Error naming the step that failed; the file is then unchanged.
void runUpgradeSteps(Connection& connection, int from);

// Brings an older data.mdb to the newest version: a checked copy first, in 备份 beside it as
// data-before-vN-YYYYMMDD-HHMMSS.mdb, then the steps. Returns the copy's path, or an empty text
// when the file was already new. A newer file is left to verifyDatabase to refuse. Throws
// store::Error naming the file and the reason; the file is then as it was.
QString upgradeDatabase(Connection& connection, const QDateTime& now = QDateTime::currentDateTime());

} // namespace store
