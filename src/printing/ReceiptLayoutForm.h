#pragma once

#include "printing/DatasetRowSource.h"
#include "printing/ReceiptLayouts.h"
#include "printing/ReceiptPrinter.h"
#include "report/Report.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "ui_ReceiptLayoutForm.h"

#include <QDialog>
#include <QList>
#include <array>

class QScrollArea;

namespace printing {

class PaymentBlock;

// What TDy58Form and TDy76Form share: the connection and datasets the receipts read, the three
// reports (1: no customer, 2: customer, 3: customer and phone) with their hooks, and the preview
// window "打印预览" that shows them.
//
// Outside a print job the reports show their layout, as the preview does: data fields show the
// names of their columns, one detail band. printReceipt() lets them read the sale.
class ReceiptLayoutForm : public QDialog, private Ui::ReceiptLayoutForm
{
    Q_OBJECT

public:
    ~ReceiptLayoutForm() override;

    PaperWidth paperWidth() const { return m_paperWidth; }

    // Renews the connection and opens ADODataSet1 and ADODataSet2, so the receipts read the sale
    // lines, shop name and remark as they now stand. Run at creation and by every print run.
    void FormCreate();

    // Before the summary band of report 1, 2, 3: the remark block takes the lines of DBMemo1.
    void QRBand3BeforePrint();
    void QRBand5BeforePrint();
    void QRBand8BeforePrint();

    // The detail values: the text read as a number ("0.00"); not a number prints 0.00.
    static QString QRDBText3Print(const QString& value);
    static QString QRDBText4Print(const QString& value);
    static QString QRDBText5Print(const QString& value);

    report::Report& quickRep(int number);       // 1 to 3
    report::TextBlock& remarkBlock(int number); // QRRichText1 to QRRichText3
    PaymentBlock& paymentBlock(int number);     // the payment lines of report 1 to 3
    report::Barcode& barcode(int number);       // Barcode1 to Barcode3: the receipt number
    QString remarkText() const;                 // what DBMemo1 holds

    // The page length that holds everything the report prints for the current sale.
    double fittedLength(int number);

    // The chosen report's page becomes the active one (TabSheet1 to TabSheet3).
    void choosePage(int number);
    int currentPage() const;

    // Prints the report copies times, reading the sale, on the default printer in the language its
    // queue takes (PDF or ESC/POS); the preview is redrawn after. Every receipt goes out here.
    // Throws core::Error when the queue is not ready or refuses the job; the jobs returned can be
    // handed to waitForJobs() to hear whether they printed.
    HandedJobs printReceipt(int number, int copies, const QString& documentName);

    // The preview redraws the reports as they now stand (page length, texts).
    void refreshPreview();

    // Shows the preview window modally (ui::showModal) with the reports reading the sale, as a
    // print run would print them now: the page, or for an ESC/POS printer the dots it would get.
    void previewReceipt(int number);

    store::Connection ADOConnection1;
    store::Dataset ADODataSet1; // select * from xsxx: one detail band per row
    store::Dataset ADODataSet2; // select * from dynr: shop name and remark
    report::Report QuickRep1;
    report::Report QuickRep2;
    report::Report QuickRep3;

    // The controls of ReceiptLayoutForm.ui are private (Ui::ReceiptLayoutForm): Panel1 covers the
    // page tabs PageControl1 (TabSheet1 to TabSheet3); Image1 to Image3 are the page backgrounds,
    // ReportView1 to ReportView3 show QuickRep1 to QuickRep3 as laid out on their pages; DBMemo1,
    // hidden, holds the remark of the print content.
    QScrollArea* ScrollBox1 = nullptr; // around ReportView1 to 3: long reports scroll
    QScrollArea* ScrollBox2 = nullptr;
    QScrollArea* ScrollBox3 = nullptr;

protected:
    ReceiptLayoutForm(PaperWidth width, QWidget* parent);

private:
    class LiveData;

    void buildReports();
    void buildReport(int number);
    void addBarcode(report::Band& summary, int number, const QFont& font);
    void hookSummaries();
    void wrapLongNames();
    void hookDetailValues();
    void setUpWindow();
    void useLiveData(bool live);
    void fillRemarkBlock(int number);
    void keepTotalsApart(int number);
    double bandWidth() const;
    QScrollArea* scrollable(report::ReportView* view);
    void fitPreviewWidth(bool dots);
    QString shopNameField(int number) const;

    std::array<report::ReportView*, 3> views() const { return {ReportView1, ReportView2, ReportView3}; }

    PaperWidth m_paperWidth;
    DatasetRowSource m_saleLines;
    DatasetRowSource m_printContent;
    report::ListRowSource m_layoutLines;
    report::ListRowSource m_layoutContent;
    bool m_live = false;
};

} // namespace printing
