#pragma once

#include "printing/PrintRun.h"
#include "report/Elements.h"
#include "store/Catalogue.h"
#include "store/Connection.h"
#include "store/Dataset.h"

#include <QStringList>

namespace testsupport {

class TestDatabase;

// The main window's side of a print run: its connection and the three datasets it hands over,
// opened as the main window opens them (xsmx only when first written).
struct PrintingMain
{
    PrintingMain();

    store::Connection connection{QStringLiteral("MainForm")};
    store::Dataset saleLines{connection, store::sql::SelectXsxx};
    store::Dataset history{connection, store::sql::SelectXstj};
    store::Dataset historyLines{connection, store::sql::SelectXsmx};
};

// One line of the sale being entered, written to xsxx as the sale entry writes it; an empty
// number text stores NULL.
struct SaleLine
{
    QString name;
    QString price;
    QString quantity;
    QString amount;
    QString afterDiscount;
};
void addSaleLines(const TestDatabase& db, const QString& number, const QString& time, const QList<SaleLine>& lines);

// A sale as the main window gathers it: 58 mm, one copy, no customer or phone line.
printing::SaleToPrint sampleSale();

// The texts a captured page holds, in drawing order, and those of one element.
QStringList textsOf(const QList<report::DrawnText>& drawn);
QStringList textsOf(const QList<report::DrawnText>& drawn, const QString& element);

} // namespace testsupport
