#include "records/SalesExport.h"

#include "records/XlsWriter.h"
#include "store/Dataset.h"

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

// Values straight from the store: a number stays the stored double, never a text parsed back.
XlsCell cellOf(const QVariant& value, bool numberColumn)
{
    if (value.isNull())
        return XlsCell::empty();
    if (numberColumn) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (ok)
            return XlsCell::of(number);
    }
    const QString text = value.toString();
    return text.isEmpty() ? XlsCell::empty() : XlsCell::of(text);
}

QVector<XlsCell> cellsOf(const QVariantList& values, const QVector<bool>& numeric)
{
    QVector<XlsCell> cells;
    cells.reserve(numeric.size());
    for (qsizetype column = 0; column < numeric.size(); ++column)
        cells << cellOf(values.value(column), numeric.at(column));
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
    // One pass over the list in its order, not one query per row.
    int written = 0;
    list.forEachRow([&](const QVariantList& values) {
        writer.addRow(cellsOf(values, numeric));
        progress.rowWritten(++written);
    });
    list.last();
    writer.finish();
}

} // namespace records
