#include "ui/NumberKeyFilter.h"

#include <QComboBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace ui {

namespace {

const char* const FilterName = "numberKeyFilter";

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The characters of typed that may enter a box now holding current.
QString allowedPart(const QString& typed, const QString& current)
{
    bool hasPoint = current.contains(QLatin1Char('.'));
    QString kept;
    for (const QChar c : typed) {
        if (isDigit(c)) {
            kept += c;
        } else if (c == QLatin1Char('.') && !hasPoint) {
            kept += c;
            hasPoint = true;
        }
    }
    return kept;
}

// What stays of the box's text once typing replaces its selection.
QString keptText(const QLineEdit* edit)
{
    QString text = edit->text();
    if (edit->hasSelectedText())
        text.remove(edit->selectionStart(), edit->selectedText().size());
    return text;
}

// The box's text once typed has replaced its selection, or gone in at the cursor.
QString textAfterTyping(const QLineEdit* edit, const QString& typed)
{
    QString text = keptText(edit);
    const int at = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    text.insert(std::min<qsizetype>(at, text.size()), typed);
    return text;
}

bool tooManyDecimals(const QString& text, int maxDecimals)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    return maxDecimals >= 0 && point >= 0 && text.size() - point - 1 > maxDecimals;
}

// The keys that only read the text go through; a paste is checked; the rest of the editing keys
// would take the amount away or bring back an old one unasked.
bool isReadingKey(const QKeyEvent* event)
{
    return event->matches(QKeySequence::SelectAll) || event->matches(QKeySequence::Copy);
}

bool isUnsafeEditKey(const QKeyEvent* event)
{
    return event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Undo) ||
           event->matches(QKeySequence::Redo);
}

bool typesNothing(const QString& text)
{
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control)
            return false;
    }
    return true;
}

// Keys outside the character range that type nothing: movement, Delete, Tab, Enter, Esc, F-keys.
bool isCommandKey(const QKeyEvent* event)
{
    return event->key() >= Qt::Key_Escape && typesNothing(event->text());
}

bool hasCommandModifier(const QKeyEvent* event)
{
    return event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

class NumberKeyFilter : public QObject
{
public:
    NumberKeyFilter(QObject* parent, QLineEdit* edit, int maxDecimals)
        : QObject(parent), m_edit(edit), m_maxDecimals(maxDecimals)
    {
        setObjectName(QLatin1String(FilterName));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            return discardKey(static_cast<QKeyEvent*>(event));
        case QEvent::ShortcutOverride:
            // Claimed here, so no window shortcut takes these keys from the box.
            if (isReadingKey(static_cast<QKeyEvent*>(event)) || static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste))
                event->accept();
            return false;
        case QEvent::InputMethod:
            return filterInputMethod(watched, static_cast<QInputMethodEvent*>(event));
        case QEvent::MouseButtonRelease:
            // X11 pastes the selection on a middle click.
            return static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton;
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    bool discardKey(QKeyEvent* event) const
    {
        if (isReadingKey(event))
            return false;
        if (event->matches(QKeySequence::Paste)) {
            paste();
            return true;
        }
        if (isUnsafeEditKey(event))
            return true;
        if (event->key() == Qt::Key_Backspace && !hasCommandModifier(event))
            return false;
        if (isCommandKey(event))
            return false;
        if (hasCommandModifier(event))
            return true;
        const QString typed = event->text();
        return typed.isEmpty() || !mayType(typed);
    }

    bool mayType(const QString& typed) const
    {
        return allowedPart(typed, keptText(m_edit)) == typed &&
               !tooManyDecimals(textAfterTyping(m_edit, typed), m_maxDecimals);
    }

    // Surrounding blanks of a copied amount are dropped; anything else unfit refuses the paste whole.
    void paste() const
    {
        const QClipboard* clipboard = QGuiApplication::clipboard();
        const QString pasted = clipboard ? clipboard->text().trimmed() : QString();
        if (pasted.isEmpty() || m_edit->isReadOnly() || !mayType(pasted))
            return;
        m_edit->insert(pasted);
    }

    bool filterInputMethod(QObject* watched, QInputMethodEvent* event)
    {
        const QString commit = event->commitString();
        QString kept = allowedPart(commit, keptText(m_edit));
        while (!kept.isEmpty() && tooManyDecimals(textAfterTyping(m_edit, kept), m_maxDecimals))
            kept.chop(1);
        if (kept == commit)
            return false;
        // Send on what may stay; the copy passes this filter because nothing is left to drop.
        QInputMethodEvent filtered(event->preeditString(), event->attributes());
        filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
        QCoreApplication::sendEvent(watched, &filtered);
        return true;
    }

    QLineEdit* m_edit;
    int m_maxDecimals;
};

QLineEdit* editOf(QWidget* box)
{
    if (auto* edit = qobject_cast<QLineEdit*>(box))
        return edit;
    if (auto* combo = qobject_cast<QComboBox*>(box))
        return combo->lineEdit();
    return nullptr;
}

void shutOtherWaysIn(QWidget* widget)
{
    widget->setContextMenuPolicy(Qt::NoContextMenu);
    widget->setAcceptDrops(false);
}

} // namespace

void installNumberKeyFilter(QWidget* box, int maxDecimals)
{
    QLineEdit* edit = editOf(box);
    if (!edit || edit->findChild<QObject*>(QLatin1String(FilterName), Qt::FindDirectChildrenOnly))
        return;
    auto* filter = new NumberKeyFilter(edit, edit, maxDecimals);
    // An editable combo box keeps the focus and hands its keys to the line edit directly,
    // so both are watched; a key seen twice gets the same answer twice.
    edit->installEventFilter(filter);
    shutOtherWaysIn(edit);
    if (box != edit) {
        box->installEventFilter(filter);
        shutOtherWaysIn(box);
    }
    edit->setInputMethodHints(edit->inputMethodHints() | Qt::ImhFormattedNumbersOnly);
}

} // namespace ui
