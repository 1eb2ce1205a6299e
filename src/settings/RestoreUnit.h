#pragma once

#include "store/Backup.h"
#include "ui/SkinnedWindow.h"
#include "ui_RestoreUnit.h"

#include <QList>
#include <QStringList>

// "恢复备份": the copies of both places, newest first, with their date, size, number of sales and
// time of the last sale. 恢复 checks the chosen copy and stages it; the window is then accepted
// and the program restarts on it. A refused copy is said in words and nothing is replaced.
class TRestoreForm : public ui::SkinnedWindow, private Ui::TRestoreForm
{
    Q_OBJECT

public:
    explicit TRestoreForm(QWidget* parent = nullptr);

    // The places to list: 备份 first, then the second place (an empty or missing one is skipped).
    void listCopies(const QStringList& folders);
    QList<store::backup::CopyFacts> listed() const { return m_listed; }
    void selectCopy(int row);

    void RestoreButtonClick();
    QString staged() const { return m_staged; } // set once a copy was checked and staged

private:
    QList<store::backup::CopyFacts> m_listed;
    QStringList m_places;
    QString m_staged;
};
