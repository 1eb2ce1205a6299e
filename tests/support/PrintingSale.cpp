#include "support/PrintingSale.h"

#include "support/TestDatabase.h"

namespace testsupport {

namespace {

QString textLiteral(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

QString numberLiteral(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("NULL") : text;
}

} // namespace

PrintingMain::PrintingMain()
{
    connection.open();
    saleLines.open();
    history.open();
}

void addSaleLines(const TestDatabase& db, const QString& number, const QString& time, const QList<SaleLine>& lines)
{
    for (const SaleLine& line : lines) {
        db.exec(QStringLiteral(
                    "INSERT INTO xsxx (单号, 时间, 品名, 单价, 数量, 金额, 折后) VALUES (%1, %2, %3, %4, %5, %6, %7)")
                    .arg(textLiteral(number), textLiteral(time), textLiteral(line.name), numberLiteral(line.price),
                         numberLiteral(line.quantity), numberLiteral(line.amount), numberLiteral(line.afterDiscount)));
    }
}

printing::SaleToPrint sampleSale()
{
    printing::SaleToPrint sale;
    sale.layout = QStringLiteral("58");
    sale.copies = QStringLiteral("1");
    sale.number = QStringLiteral("20240315093000");
    sale.time = QStringLiteral("2024-03-15 09:30:00");
    sale.cashier = QStringLiteral("admin");
    sale.totalQuantity = QStringLiteral("3");
    sale.totalAmount = QStringLiteral("20");
    sale.totalDue = QStringLiteral("18");
    sale.received = QStringLiteral("20");
    sale.change = QStringLiteral("2");
    return sale;
}

QStringList textsOf(const QList<report::DrawnText>& drawn)
{
    QStringList texts;
    for (const report::DrawnText& text : drawn)
        texts << text.text;
    return texts;
}

QStringList textsOf(const QList<report::DrawnText>& drawn, const QString& element)
{
    QStringList texts;
    for (const report::DrawnText& text : drawn) {
        if (text.element == element)
            texts << text.text;
    }
    return texts;
}

} // namespace testsupport
