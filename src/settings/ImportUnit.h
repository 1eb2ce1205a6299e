#pragma once

#include "legacy/LegacyImport.h"
#include "store/Connection.h"
#include "ui/SkinnedWindow.h"
#include "ui_ImportUnit.h"

#include <QTimer>
#include <memory>

namespace legacy {
class LegacyFile;
}

// The preview of an old data.mdb and its import: what the file holds, what of this shop's print
// content and settings it may replace, then "导入" with a progress bar and "取消". The import
// runs in slices between which the window repaints and answers; cancelling keeps nothing.
class TImportForm : public ui::SkinnedWindow, private Ui::TImportForm
{
    Q_OBJECT

public:
    explicit TImportForm(QWidget* parent = nullptr);
    ~TImportForm() override;

    // Opens the file and shows its preview; a file that cannot be imported is told and false returned.
    bool showPreviewOf(const QString& path);

    void ImportButtonClick();
    void CancelButtonClick();
    bool isImporting() const { return m_import != nullptr; }

    store::Connection ADOConnection1;

signals:
    void imported(const legacy::ImportCounts& counts);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void importNextSlice();
    void finishImport();
    void dropImport();
    void makeCopyBeforeImport();

    std::unique_ptr<legacy::LegacyFile> m_file;
    std::unique_ptr<legacy::LegacyImport> m_import;
    QTimer m_slices;
};
