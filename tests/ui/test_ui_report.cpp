#include "core/Error.h"
#include "report/Report.h"
#include "report/ReportView.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <limits>

using namespace report;

Q_DECLARE_METATYPE(report::BandKind)

namespace {

const QString kFamily = QStringLiteral("Noto Sans CJK SC");
constexpr double kTitle = 70, kDetail = 18, kSummary = 40, kNotesTop = 22;
const double kTop = 10 * 96 / 25.4; // the default 10 mm top margin

QString twoDecimals(const QString& value)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    return QString::number(ok ? number : 0.0, 'f', 2);
}

// Shop and order from their own one-row table, three sold items, notes filled before the summary.
struct Receipt
{
    ListRowSource shop{{"name", "cashier", "order"}, {{"便民超市", "张三", "20240501-0007"}}};
    ListRowSource items{{"item", "amount"}, {{"苹果", "12.5"}, {"牛奶", "3"}, {"面包", "abc"}}};
    Report report;
    int summaryHookCalls = 0;

    Receipt()
    {
        report.setPageWidth(219);
        report.setDataSource(&items);
        const QFont font = reportFont(kFamily, 9);
        auto field = [&](Band* band, const char* name, double left, double top, RowSource* source) {
            DataField* added = band->addDataField(name, name, left, top);
            added->setFont(font);
            added->setSource(source);
            return added;
        };
        Band* title = report.addBand(BandKind::Title, kTitle);
        field(title, "name", 40, 4, &shop)->setFont(reportFont(kFamily, 12));
        title->addLabel("cashierCaption", "收银员：", 0, 30)->setFont(font);
        field(title, "cashier", 50, 30, &shop);
        title->addLabel("orderCaption", "单号：", 0, 48)->setFont(font);
        field(title, "order", 50, 48, &shop);

        Band* detail = report.addBand(BandKind::Detail, kDetail);
        field(detail, "item", 0, -2, nullptr);
        field(detail, "amount", 140, -2, nullptr)->setPrintHook(twoDecimals);

        Band* summary = report.addBand(BandKind::Summary, kSummary);
        summary->addLabel("totalCaption", "合计：", 0, 4)->setFont(font);
        TextBlock* notes = summary->addTextBlock("notes", {0, kNotesTop, 180, 0});
        notes->setFont(font);
        summary->setBeforePrint([this, notes] {
            ++summaryHookCalls;
            notes->setLines({QStringLiteral("共 %1 件").arg(items.rowCount()), "谢谢惠顾", "欢迎再来"});
            notes->setHeight(3 * QFontMetricsF(notes->font()).lineSpacing());
        });
    }
};

QList<DrawnText> drawnBy(const QList<DrawnText>& drawn, const QString& element)
{
    QList<DrawnText> result;
    std::copy_if(drawn.begin(), drawn.end(), std::back_inserter(result),
                 [&](const DrawnText& text) { return text.element == element; });
    return result;
}

QStringList textsOf(const QList<DrawnText>& drawn)
{
    QStringList texts;
    for (const DrawnText& text : drawn)
        texts.append(text.text);
    return texts;
}

QRect textRect(const DrawnText& text, double scale)
{
    const QFontMetricsF metrics(text.font);
    const QSizeF size(metrics.horizontalAdvance(text.text), metrics.height());
    return QRectF(text.position * scale, size * scale).toAlignedRect();
}

int countPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& test)
{
    int count = 0;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += test(image.pixel(x, y)) ? 1 : 0;
    }
    return count;
}

bool isDark(QRgb pixel)
{
    return qGray(pixel) < 128;
}

QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class TestUiReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void placesTextInPageCoordinates_data();
    void placesTextInPageCoordinates();
    void printHookReplacesValue_data();
    void printHookReplacesValue();
    void dataFieldReadsItsSource_data();
    void dataFieldReadsItsSource();
    void beforePrintHooksRunBeforeTheirBand();
    void textBlockCutsAtItsHeight_data();
    void textBlockCutsAtItsHeight();
    void withoutRowsPrintsTitleAndSummary();
    void fittedLengthHoldsTextBelowLastBand();
    void imageHasTextOnlyWhereLaidOut_data();
    void imageHasTextOnlyWhereLaidOut();
    void opaqueElementHidesWhatIsBeneath_data();
    void opaqueElementHidesWhatIsBeneath();
    void printsPdfWithPageSizeAndText();
    void printerThatCannotStartThrows();
    void refusesBadSizes_data();
    void refusesBadSizes();
    void viewPaintsReportAndSurvivesFailingHook();
};

void TestUiReport::initTestCase()
{
    QVERIFY2(QFontInfo(QFont(kFamily)).family() == kFamily, "fonts-noto-cjk is needed");
}

void TestUiReport::placesTextInPageCoordinates_data()
{
    QTest::addColumn<double>("topMm");
    QTest::addColumn<double>("leftMm");
    QTest::addColumn<QString>("element");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPointF>("offset"); // from the margins' corner
    const double summary = kTitle + 3 * kDetail;
    QTest::newRow("title field") << 10.0 << 5.0 << "name" << 0 << "便民超市" << QPointF(40, 4);
    QTest::newRow("title label") << 10.0 << 5.0 << "cashierCaption" << 0 << "收银员：" << QPointF(0, 30);
    QTest::newRow("first row, above band") << 10.0 << 5.0 << "item" << 0 << "苹果" << QPointF(0, kTitle - 2);
    QTest::newRow("second row") << 10.0 << 5.0 << "amount" << 1 << "3.00" << QPointF(140, kTitle + kDetail - 2);
    QTest::newRow("last row") << 10.0 << 5.0 << "item" << 2 << "面包" << QPointF(0, kTitle + 2 * kDetail - 2);
    QTest::newRow("summary after rows") << 10.0 << 5.0 << "totalCaption" << 0 << "合计：" << QPointF(0, summary + 4);
    QTest::newRow("summary block") << 10.0 << 5.0 << "notes" << 0 << "共 3 件" << QPointF(0, summary + kNotesTop);
    QTest::newRow("other margins") << 20.0 << 8.0 << "amount" << 2 << "0.00" << QPointF(140, kTitle + 2 * kDetail - 2);
    QTest::newRow("no margins") << 0.0 << 0.0 << "orderCaption" << 0 << "单号：" << QPointF(0, 48);
}

void TestUiReport::placesTextInPageCoordinates()
{
    QFETCH(double, topMm);
    QFETCH(double, leftMm);
    QFETCH(QString, element);
    QFETCH(int, occurrence);
    QFETCH(QString, text);
    QFETCH(QPointF, offset);
    Receipt receipt;
    receipt.report.setMargins(topMm, 10, leftMm, 5);
    const QList<DrawnText> drawn = drawnBy(receipt.report.layout(), element);
    QVERIFY(occurrence < drawn.size());
    QCOMPARE(drawn.at(occurrence).text, text);
    const QPointF expected = QPointF(leftMm, topMm) * 96 / 25.4 + offset;
    const QPointF error = drawn.at(occurrence).position - expected;
    QVERIFY2(error.manhattanLength() < 1e-6, qPrintable(QStringLiteral("off by %1, %2").arg(error.x()).arg(error.y())));
}

void TestUiReport::printHookReplacesValue_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("printed");
    QTest::newRow("decimal") << "12.5"
                             << "12.50";
    QTest::newRow("negative") << "-0.5"
                              << "-0.50";
    QTest::newRow("not a number") << "abc"
                                  << "0.00";
    QTest::newRow("empty") << ""
                           << "0.00";
}

void TestUiReport::printHookReplacesValue()
{
    QFETCH(QString, value);
    QFETCH(QString, printed);
    Receipt receipt;
    receipt.items.setRows({{"苹果", value}});
    QCOMPARE(textsOf(drawnBy(receipt.report.layout(), "amount")), QStringList{printed});
}

void TestUiReport::dataFieldReadsItsSource_data()
{
    QTest::addColumn<BandKind>("kind");
    QTest::addColumn<QString>("own"); // the field's own source, if any
    QTest::addColumn<QString>("column");
    QTest::addColumn<QStringList>("printed");
    QTest::newRow("title: first row") << BandKind::Title << ""
                                      << "item" << QStringList{"苹果"};
    QTest::newRow("summary: first row") << BandKind::Summary << ""
                                        << "item" << QStringList{"苹果"};
    QTest::newRow("detail: each row") << BandKind::Detail << ""
                                      << "item" << QStringList{"苹果", "牛奶", "面包"};
    QTest::newRow("own source in detail") << BandKind::Detail << "shop"
                                          << "cashier" << QStringList(3, "张三");
    QTest::newRow("own source, no rows") << BandKind::Title << "empty"
                                         << "name" << QStringList{};
    QTest::newRow("unknown column") << BandKind::Title << ""
                                    << "price" << QStringList{};
    QTest::newRow("line break") << BandKind::Title << "lines"
                                << "note" << QStringList{"一行 二行"};
}

void TestUiReport::dataFieldReadsItsSource()
{
    QFETCH(BandKind, kind);
    QFETCH(QString, own);
    QFETCH(QString, column);
    QFETCH(QStringList, printed);
    Receipt receipt;
    ListRowSource empty({"name"}, {});
    ListRowSource lines({"note"}, {{"一行\n二行"}});
    const QHash<QString, RowSource*> sources{{"shop", &receipt.shop}, {"empty", &empty}, {"lines", &lines}};
    receipt.report.band(kind)->addDataField("probe", column, 0, 0)->setSource(sources.value(own));
    QCOMPARE(textsOf(drawnBy(receipt.report.layout(), "probe")), printed);
}

void TestUiReport::beforePrintHooksRunBeforeTheirBand()
{
    Receipt receipt;
    Report& report = receipt.report;
    Band* detail = report.band(BandKind::Detail);
    detail->addLabel("rowLabel", "", 80, 0);
    QList<int> rowsSeen;
    detail->setBeforePrint([&] {
        rowsSeen.append(report.currentRow());
        report.label("rowLabel")->setText(QStringLiteral("第%1行").arg(report.currentRow() + 1));
    });
    QVERIFY(!report.label("amount")); // a data field, not a label

    const QList<DrawnText> drawn = report.layout();
    QCOMPARE(rowsSeen, (QList<int>{0, 1, 2}));
    QCOMPARE(textsOf(drawnBy(drawn, "rowLabel")), (QStringList{"第1行", "第2行", "第3行"}));
    QCOMPARE(receipt.summaryHookCalls, 1);
    QCOMPARE(textsOf(drawnBy(drawn, "notes")), (QStringList{"共 3 件", "谢谢惠顾", "欢迎再来"}));
    QCOMPARE(report.currentRow(), -1);
}

void TestUiReport::textBlockCutsAtItsHeight_data()
{
    QTest::addColumn<double>("heightInLines");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("linesPrinted");
    QTest::newRow("height 0") << 0.0 << true << 0;
    QTest::newRow("exactly two lines") << 2.0 << true << 2;
    QTest::newRow("part of a third line") << 2.5 << true << 3;
    QTest::newRow("taller than its band") << 5.0 << true << 5;
    QTest::newRow("more room than lines") << 9.0 << true << 5;
    QTest::newRow("hidden") << 5.0 << false << 0;
}

void TestUiReport::textBlockCutsAtItsHeight()
{
    QFETCH(double, heightInLines);
    QFETCH(bool, visible);
    QFETCH(int, linesPrinted);
    Report report;
    report.setMargins(0, 0, 0, 0);
    TextBlock* block = report.addBand(BandKind::Summary, 20)->addTextBlock("block", {4, 6, 100, 0});
    report.addBand(BandKind::Summary, 30)->addLabel("after", "后", 0, 0);
    block->setFont(reportFont(kFamily, 9));
    const double spacing = QFontMetricsF(block->font()).lineSpacing();
    block->setHeight(heightInLines * spacing);
    block->setLines({"一", "二", "三", "四", "五"});
    block->setVisible(visible);

    const QList<DrawnText> drawn = report.layout();
    const QList<DrawnText> lines = drawnBy(drawn, "block");
    QCOMPARE(lines.size(), linesPrinted);
    for (int i = 0; i < lines.size(); ++i) {
        QCOMPARE(lines.at(i).text, block->lines().at(i));
        QCOMPARE(lines.at(i).position, QPointF(4, 6 + i * spacing));
    }
    QCOMPARE(drawnBy(drawn, "after").value(0).position, QPointF(0, 20)); // placed by the band, not the block
}

void TestUiReport::withoutRowsPrintsTitleAndSummary()
{
    for (bool noSource : {false, true}) {
        Receipt receipt;
        receipt.items.setRows({});
        if (noSource)
            receipt.report.setDataSource(nullptr);
        const QList<DrawnText> drawn = receipt.report.layout();
        QCOMPARE(textsOf(drawnBy(drawn, "item")) + textsOf(drawnBy(drawn, "amount")), QStringList{});
        QCOMPARE(textsOf(drawnBy(drawn, "name")), QStringList{"便民超市"});
        const QList<DrawnText> total = drawnBy(drawn, "totalCaption");
        QCOMPARE(total.size(), 1);
        QVERIFY(std::abs(total.at(0).position.y() - (kTop + kTitle + 4)) < 1e-6);
    }
}

void TestUiReport::fittedLengthHoldsTextBelowLastBand()
{
    Receipt receipt;
    const QFontMetricsF metrics(receipt.report.textBlock("notes")->font());
    const double lastLineTop = kTop + kTitle + 3 * kDetail + kNotesTop + 2 * metrics.lineSpacing();
    QVERIFY(lastLineTop > kTop + kTitle + 3 * kDetail + kSummary);
    const double expected = lastLineTop + metrics.height() + 10 * 96 / 25.4;
    QVERIFY2(std::abs(receipt.report.fittedPageLength() - expected) < 1e-6,
             qPrintable(QString::number(receipt.report.fittedPageLength())));
}

void TestUiReport::imageHasTextOnlyWhereLaidOut_data()
{
    QTest::addColumn<double>("scale");
    QTest::newRow("100%") << 1.0;
    QTest::newRow("200%") << 2.0;
    QTest::newRow("312.5%") << 3.125;
}

void TestUiReport::imageHasTextOnlyWhereLaidOut()
{
    QFETCH(double, scale);
    Receipt receipt;
    receipt.report.setPageLength(receipt.report.fittedPageLength());
    const QList<DrawnText> drawn = receipt.report.layout();
    const QImage image = receipt.report.toImage(scale);
    QCOMPARE(image.size(), QSize(int(std::ceil(219 * scale)), int(std::ceil(receipt.report.pageLength() * scale))));
    if (qEnvironmentVariableIsSet("QUORVEL_REPORT_PNG") && scale == 2.0)
        image.save(qEnvironmentVariable("QUORVEL_REPORT_PNG"));

    QImage rest = image;
    QPainter eraser(&rest);
    for (const DrawnText& text : drawn) {
        const QRect area = textRect(text, scale);
        QVERIFY2(countPixels(image, area, isDark) > area.width() * area.height() / 50, qPrintable(text.text));
        eraser.fillRect(area.adjusted(-2, -2, 2, 2), Qt::white);
    }
    eraser.end();
    QCOMPARE(countPixels(rest, rest.rect(), isDark), 0); // text of a wrong size would spill out
}

void TestUiReport::opaqueElementHidesWhatIsBeneath_data()
{
    QTest::addColumn<bool>("block");
    QTest::addColumn<bool>("opaque");
    QTest::newRow("opaque label") << false << true;
    QTest::newRow("transparent label") << false << false;
    QTest::newRow("opaque text block") << true << true;
    QTest::newRow("transparent text block") << true << false;
}

void TestUiReport::opaqueElementHidesWhatIsBeneath()
{
    QFETCH(bool, block);
    QFETCH(bool, opaque);
    const QRgb grey = qRgb(128, 128, 150); // tinted: no shade of black text on white matches it
    Report report;
    report.setMargins(0, 0, 0, 0);
    Band* band = report.addBand(BandKind::Title, 60);
    Element* element = band->addLabel("label", "收银员：张三", 10, 10);
    if (block) {
        element->setVisible(false);
        element = band->addTextBlock("box", {10, 10, 150, 40});
        static_cast<TextBlock*>(element)->setLines({"合计"});
    }
    element->setFont(reportFont(kFamily, 9));
    element->setOpaque(opaque);

    QImage image(219, 100, QImage::Format_RGB32);
    image.fill(grey);
    QPainter painter(&image);
    const QList<DrawnText> drawn = report.render(painter, 1.0);
    painter.end();
    QCOMPARE(drawn.size(), 1);
    const QRect area = block ? QRect(10, 10, 150, 40) : textRect(drawn.at(0), 1.0).adjusted(1, 1, -1, -1);
    const int white = countPixels(image, area, [](QRgb pixel) { return pixel == qRgb(255, 255, 255); });
    const int background = countPixels(image, area, [&](QRgb pixel) { return pixel == grey; });
    const int half = area.width() * area.height() / 2;
    QVERIFY2(opaque ? background == 0 && white > half : white == 0 && background > half,
             qPrintable(QStringLiteral("white %1, grey %2").arg(white).arg(background)));
    QCOMPARE(image.pixel(5, 5), grey);
}

void TestUiReport::printsPdfWithPageSizeAndText()
{
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty() || QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("poppler-utils are not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath("receipt.pdf");
    Receipt receipt;
    receipt.report.setPageLength(400);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    receipt.report.print(printer);

    const QString info = runTool("pdfinfo", {path});
    QVERIFY2(info.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(info));
    const QRegularExpressionMatch size = QRegularExpression("Page size:\\s+([0-9.]+) x ([0-9.]+) pts").match(info);
    QVERIFY2(size.hasMatch(), qPrintable(info));
    // 219 units = 57.94 mm = 164.25 pt; Qt's PDF writer gives the page box in whole points.
    QVERIFY2(std::abs(size.captured(1).toDouble() - 164.25) <= 0.5, qPrintable(size.captured(0)));
    QVERIFY2(std::abs(size.captured(2).toDouble() - 300.0) <= 0.5, qPrintable(size.captured(0)));

    const QString text = runTool("pdftotext", {"-layout", path, "-"});
    for (const char* expected : {"超市", "收银员：", "张三", "单号：", "20240501-0007", "苹果", "12.50", "谢谢惠顾"})
        QVERIFY2(text.contains(QString::fromUtf8(expected)), qPrintable(QString::fromUtf8(expected) + " in:\n" + text));

    // Where and how large layout put it (1 unit = 0.75 pt), not sized again by the printer's resolution.
    const QRegularExpressionMatch word =
        QRegularExpression("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">单号：<")
            .match(runTool("pdftotext", {"-bbox", path, "-"}));
    QVERIFY(word.hasMatch());
    const DrawnText laidOut = drawnBy(receipt.report.layout(), "orderCaption").at(0);
    QVERIFY2(std::abs(word.captured(1).toDouble() - laidOut.position.x() * 0.75) < 1.0, qPrintable(word.captured(0)));
    QVERIFY2(std::abs(word.captured(2).toDouble() - laidOut.position.y() * 0.75) < 1.0, qPrintable(word.captured(0)));
    const double height = word.captured(3).toDouble() - word.captured(2).toDouble();
    const double fontPoints = laidOut.font.pixelSize() * 0.75;
    QVERIFY2(height > 0.8 * fontPoints && height < 1.8 * fontPoints, qPrintable(word.captured(0)));

    // Qt maps a glyph shared by an ideograph and a radical to the radical's lower code point
    // (牛 comes out as ⽜); kept here so that a Qt that fixes it shows up.
    QEXPECT_FAIL("", "Qt's PDF text map prefers radicals for shared CJK glyphs", Continue);
    QVERIFY(text.contains(QStringLiteral("牛奶")));
}

void TestUiReport::printerThatCannotStartThrows()
{
    QTemporaryDir dir;
    Receipt receipt;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("missing-folder/receipt.pdf"));
    try {
        receipt.report.print(printer);
        QFAIL("printing into a missing folder was not refused");
    } catch (const core::Error& error) {
        QVERIFY2(error.message().startsWith("无法开始打印：") && error.message().contains("missing-folder"),
                 qPrintable(error.message()));
    }
}

void TestUiReport::refusesBadSizes_data()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::addColumn<QString>("what");
    QTest::addColumn<double>("value");
    QTest::newRow("page length zero") << "pageLength" << 0.0;
    QTest::newRow("page length NaN") << "pageLength" << nan;
    QTest::newRow("page width infinite") << "pageWidth" << std::numeric_limits<double>::infinity();
    QTest::newRow("margin negative") << "margin" << -1.0;
    QTest::newRow("band height negative") << "bandHeight" << -1.0;
    QTest::newRow("element top NaN") << "elementTop" << nan;
    QTest::newRow("image scale zero") << "imageScale" << 0.0;
    QTest::newRow("image far too large") << "imageScale" << 1000.0;
}

void TestUiReport::refusesBadSizes()
{
    QFETCH(QString, what);
    QFETCH(double, value);
    Receipt receipt;
    Report& report = receipt.report;
    const QPointF before = drawnBy(report.layout(), "item").at(2).position;
    const QHash<QString, std::function<void()>> setters{
        {"pageLength", [&] { report.setPageLength(value); }},
        {"pageWidth", [&] { report.setPageWidth(value); }},
        {"margin", [&] { report.setMargins(10, 10, value, 5); }},
        {"bandHeight", [&] { report.band(BandKind::Title)->setHeight(value); }},
        {"elementTop", [&] { report.element("item")->setTop(value); }},
        {"imageScale", [&] { report.toImage(value); }},
    };
    QVERIFY_THROWS_EXCEPTION(core::Error, setters.value(what)());
    QCOMPARE(QSizeF(report.pageWidth(), report.pageLength()), QSizeF(219, 297 * 96 / 25.4));
    QCOMPARE(drawnBy(report.layout(), "item").at(2).position, before);
}

void TestUiReport::viewPaintsReportAndSurvivesFailingHook()
{
    Receipt receipt;
    receipt.report.setPageLength(300);
    ReportView view;
    view.setReport(&receipt.report);
    QCOMPARE(view.size(), QSize(219, 300));
    const QImage painted = view.grab().toImage();
    QVERIFY(countPixels(painted, textRect(drawnBy(receipt.report.layout(), "name").at(0), 1.0), isDark) > 0);
    QCOMPARE(countPixels(painted, QRect(0, 0, 219, 30), isDark), 0); // the top margin

    receipt.report.band(BandKind::Summary)->setBeforePrint([] { throw core::Error("汇总失败"); });
    view.refresh();
    const QImage failed = view.grab().toImage();
    QVERIFY(countPixels(failed, failed.rect(), [](QRgb pixel) { return qRed(pixel) > qGreen(pixel) + 60; }) > 0);
    view.setReport(nullptr);
    QCOMPARE(view.size(), QSize(0, 0));
}

QTEST_MAIN(TestUiReport)
#include "test_ui_report.moc"
