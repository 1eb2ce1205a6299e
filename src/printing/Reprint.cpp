#include "printing/Reprint.h"

#include "core/Error.h"
#include "printing/Dy58Unit.h"
#include "printing/Dy76Unit.h"
#include "sales/PaymentRecords.h"
#include "store/Catalogue.h"
#include "store/Dataset.h"

#include <array>
#include <vector>

namespace printing {

namespace {

// The captions and values of "实收金额：" and "找零金额：" in reports 1, 2, 3.
constexpr std::array<const char*, 12> UnkeptLines = {
    "QRLabel16", "QRLabel17", "QRLabel18", "QRLabel19", // report 1
    "QRLabel41", "QRLabel42", "QRLabel43", "QRLabel44", // report 2
    "QRLabel68", "QRLabel69", "QRLabel70", "QRLabel71", // report 3
};

// While one lives the layout forms read the lines of one recorded sale and leave off the lines
// the history does not keep; afterwards they are as the print run expects them.
class ReprintLayout
{
public:
    ReprintLayout(const QString& number, TDy58Form& dy58, TDy76Form& dy76) : m_forms{&dy58, &dy76}
    {
        for (ReceiptLayoutForm* form : m_forms) {
            form->ADODataSet1.setStatement(store::sql::XsmxOfSale, number);
            for (int r = 1; r <= 3; ++r) {
                for (const char* name : UnkeptLines) {
                    if (report::Label* label = form->quickRep(r).label(QString::fromLatin1(name))) {
                        label->setVisible(false);
                        m_hidden.push_back(label);
                    }
                }
            }
        }
    }

    ~ReprintLayout()
    {
        for (report::Label* label : m_hidden)
            label->setVisible(true);
        for (ReceiptLayoutForm* form : m_forms)
            form->ADODataSet1.setStatement(store::sql::SelectXsxx);
    }

    ReprintLayout(const ReprintLayout&) = delete;
    ReprintLayout& operator=(const ReprintLayout&) = delete;

private:
    std::array<ReceiptLayoutForm*, 2> m_forms;
    std::vector<report::Label*> m_hidden;
};

// The recorded sale as the receipt shows it; the number found in the history is the one printed.
int readRecordedSale(const QString& number, store::Connection& connection, SaleToPrint& sale)
{
    if (!connection.isOpen())
        connection.open();
    store::Dataset record(connection, store::sql::XstjOfSale, number);
    record.open();
    if (record.recordCount() == 0)
        throw core::Error(QStringLiteral("销售记录中没有单号为“%1”的销售，无法重打小票。")
                               .arg(core::excerptForMessage(number)));
    store::Dataset lines(connection, store::sql::XsmxOfSale, number);
    lines.open();
    const int lineCount = lines.recordCount();
    if (lineCount == 0)
        throw core::Error(QStringLiteral("单号“%1”的销售没有明细行，无法重打小票。").arg(core::excerptForMessage(number)));

    sale.barcodeNumber = record.field(QStringLiteral("单号"));
    sale.number = sale.barcodeNumber + QLatin1Char(' ') + ReprintMark;
    sale.time = record.field(QStringLiteral("时间"));
    sale.cashier = record.field(QStringLiteral("收银员"));
    sale.totalQuantity = record.field(QStringLiteral("数量"));
    sale.totalAmount = record.field(QStringLiteral("金额"));
    sale.totalDue = record.field(QStringLiteral("折后"));
    // Every line of a sale carries its customer and phone.
    sale.customerName = lines.field(QStringLiteral("客户"));
    sale.phoneNumber = lines.field(QStringLiteral("电话"));
    sale.received.clear();
    sale.change.clear();
    sale.payments = sales::recordedPayments(connection, number, sale.totalDue);
    return lineCount;
}

} // namespace

QString reprintSale(const QString& number, const SaleToPrint& settings, TDy58Form& dy58, TDy76Form& dy76)
{
    if (settings.layout != QLatin1String("58") && settings.layout != QLatin1String("76"))
        throw core::Error(QStringLiteral("“POS选择”是“%1”，不是 58 或 76，无法重打小票。")
                               .arg(core::excerptForMessage(settings.layout)));
    if (settings.copies != QLatin1String("1") && settings.copies != QLatin1String("2"))
        throw core::Error(QStringLiteral("打印份数是“%1”，不是 1 或 2，无法重打小票。")
                               .arg(core::excerptForMessage(settings.copies)));
    SaleToPrint sale = settings;
    const int lineCount = readRecordedSale(number, dy58.ADOConnection1, sale);
    ReprintLayout layout(number, dy58, dy76);
    return printReceiptOnly(sale, lineCount, dy58, dy76);
}

} // namespace printing
