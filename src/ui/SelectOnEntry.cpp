#include "ui/SelectOnEntry.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace ui {

namespace {

// Later than the click's own handling, which would put a cursor where the selection was.
void selectAllSoon(QLineEdit* edit)
{
    QTimer::singleShot(0, edit, [target = QPointer<QLineEdit>(edit)] {
        if (target && target->hasFocus())
            target->selectAll();
    });
}

class SelectOnEntry : public QObject
{
public:
    SelectOnEntry(QObject* parent, QLineEdit* edit) : QObject(parent), m_edit(edit) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Back from the box's own list the pick itself selects, and the focus never left for good.
        if (event->type() == QEvent::FocusIn && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            selectAllSoon(m_edit);
        return QObject::eventFilter(watched, event);
    }

private:
    QLineEdit* m_edit;
};

} // namespace

void selectAllOnEntry(QWidget* box)
{
    auto* combo = qobject_cast<QComboBox*>(box);
    QLineEdit* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(box);
    if (!edit)
        return;
    auto* filter = new SelectOnEntry(edit, edit);
    box->installEventFilter(filter);
    if (box != edit)
        edit->installEventFilter(filter);
    if (combo)
        QObject::connect(combo, &QComboBox::activated, edit, [edit] { selectAllSoon(edit); });
}

} // namespace ui
