#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace testsupport {

class TestDatabase;

// Sales history rows written straight into data.mdb, as the print run leaves them. Number
// arguments are SQL literals ("12.5", "NULL"); texts are quoted here.
struct HistorySale
{
    QString number;
    QString time = QStringLiteral("2026-12-09 10:00:00");
    QString quantity = QStringLiteral("1");
    QString amount = QStringLiteral("1");
    QString discounted = QStringLiteral("1");
    QString cashier = QStringLiteral("admin");
};

struct HistoryLine
{
    QString number;
    QString goods;
    QString quantity = QStringLiteral("1");
    QString amount = QStringLiteral("1");
    QString discounted = QStringLiteral("1");
    QString price = QStringLiteral("1");
    QString customer;
    QString phone;
};

HistoryLine lineOf(const QString& number, const QString& goods);

QString sqlText(const QString& text); // 'text' with quotes doubled

void addSale(const TestDatabase& db, const HistorySale& sale);
void addLine(const TestDatabase& db, const HistoryLine& line);
// Many rows in one transaction: each commit of its own waits for the disk.
void addHistory(const TestDatabase& db, const QList<HistorySale>& sales, const QList<HistoryLine>& lines = {});

// n sales numbered 20260101000000 + i at one-second steps, cashier "admin", 1/2/3 each; one
// statement, so even millions of rows take seconds.
void addGeneratedSales(const TestDatabase& db, int count);

// Columns of xsmx rows, ordered by rowid, joined with '|'.
QStringList lineRows(const TestDatabase& db, const QString& columns = QStringLiteral("单号, 品名"));

} // namespace testsupport
