#include "records/SalesExport.h"

#include "records/XlsWriter.h"
#include "store/Dataset.h"
#include "store/Numbers.h"

#include <QProgressDialog>
#include <QVector>
#include <memory>

namespace records {

namespace {

constexpr int ProgressStepRows = 4096;

QVector<bool> numberColumns(store::Dataset& list, const QStringList& names)
{
    QVector<bool> numeric;
    numeric.reserve(names.size());
    for (const QString& name : names)
        numeric << list.isNumberColumn(name);
    return numeric;
}

XlsCell cellOf(const QString& text, bool numberColumn)
{
    if (text.isEmpty())
        return XlsCell::empty();
    long double value = 0;
    if (numberColumn && store::tryParseNumber(text, &value))
        return XlsCell::of(double(value));
    return XlsCell::of(text);
}

QVector<XlsCell> cellsOf(const QStringList& texts, const QVector<bool>& numeric)
{
    QVector<XlsCell> cells;
    cells.reserve(numeric.size());
    for (qsizetype column = 0; column < numeric.size(); ++column)
        cells << cellOf(texts.value(column), numeric.at(column));
    return cells;
}

// Only long lists get a progress window, and it moves every few thousand rows: updating it
// runs the event loop, which costs more than writing a row.
class ExportProgress
{
public:
    ExportProgress(int rows, QWidget* owner)
    {
        if (rows <= ProgressFromRows)
            return;
        m_dialog = std::make_unique<QProgressDialog>(QStringLiteral("正在导出销售信息……"), QString(), 0, rows, owner);
        m_dialog->setWindowTitle(QStringLiteral("导出"));
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setCancelButton(nullptr);
        m_dialog->setMinimumDuration(500);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setValue(0);
    }

    void rowWritten(int written)
    {
        if (m_dialog && written % ProgressStepRows == 0)
            m_dialog->setValue(written);
    }

private:
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace

QString exportFileName(const QString& chosen)
{
    const QString extension = QStringLiteral(".xls");
    if (chosen.endsWith(extension, Qt::CaseInsensitive))
        return chosen;
    return chosen + extension;
}

void exportSales(store::Dataset& list, const QString& path, QWidget* owner)
{
    XlsWriter writer(path);
    const QStringList names = list.columnNames();
    const QVector<bool> numeric = numberColumns(list, names);
    writer.setHeader(names);
    const int rows = list.recordCount();
    ExportProgress progress(rows, owner);
    for (int row = 0; row < rows; ++row) {
        writer.addRow(cellsOf(list.rowTexts(row), numeric));
        progress.rowWritten(row + 1);
    }
    list.last();
    writer.finish();
}

} // namespace records
