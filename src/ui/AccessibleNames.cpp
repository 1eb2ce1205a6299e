#include "ui/AccessibleNames.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>

namespace ui {

namespace {

QString readable(QString text)
{
    text.remove(QLatin1Char('&'));
    text = text.simplified();
    while (text.endsWith(QStringLiteral("：")) || text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text.trimmed();
}

bool isBox(const QWidget* w)
{
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w);
}

bool isGrid(const QWidget* w)
{
    return qobject_cast<const QAbstractItemView*>(w) != nullptr;
}

// The parts of a compound control (a combo box's line edit and list, a grid's corner button, a tab
// bar's scroll arrows) are announced with it and need no name of their own.
bool isPartOfCompound(const QWidget* w)
{
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p) ||
            qobject_cast<const QAbstractItemView*>(p) || qobject_cast<const QTabBar*>(p) ||
            p->inherits("QComboBoxPrivateContainer"))
            return true;
    return false;
}

bool needsName(const QWidget* w)
{
    if (isPartOfCompound(w))
        return false;
    return isBox(w) || isGrid(w) || qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QTabWidget*>(w) ||
           qobject_cast<const QGroupBox*>(w);
}

QRect rectIn(const QWidget* w, const QWidget* root)
{
    return QRect(w->mapTo(root, QPoint(0, 0)), w->size());
}

QString captionOf(const QWidget* w)
{
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return readable(label->text());
    if (const auto* check = qobject_cast<const QCheckBox*>(w))
        return readable(check->text());
    return {};
}

// The label a reader's eye pairs with the box: the nearest one ending left of it on its row,
// else the nearest one just above it. A check box that switches the box on is its label too.
const QWidget* labelBeside(const QWidget* box, const QWidget* root, const QList<QWidget*>& labels)
{
    const QRect at = rectIn(box, root);
    const QWidget* best = nullptr;
    int bestDistance = 0;
    for (const QWidget* label : labels) {
        if (captionOf(label).isEmpty())
            continue;
        const QRect l = rectIn(label, root);
        const bool sameRow = l.center().y() >= at.top() - 2 && l.center().y() <= at.bottom() + 2;
        int distance = -1;
        if (sameRow && l.right() <= at.left() + 4)
            distance = at.left() - l.right();
        else if (l.bottom() <= at.top() + 2 && at.top() - l.bottom() < 30 && l.left() < at.right() &&
                 l.right() > at.left())
            distance = 1000 + at.top() - l.bottom();
        if (distance >= 0 && (!best || distance < bestDistance)) {
            best = label;
            bestDistance = distance;
        }
    }
    return best;
}

QString buddyText(const QWidget* box, const QList<QWidget*>& labels)
{
    for (const QWidget* w : labels)
        if (const auto* label = qobject_cast<const QLabel*>(w); label && label->buddy() == box)
            return captionOf(label);
    return {};
}

QString nameFor(QWidget* w, QWidget* root, const QList<QWidget*>& labels, const QString& caption)
{
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        const QString text = readable(button->text());
        return text.isEmpty() ? readable(button->toolTip()) : text;
    }
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return readable(group->title());
    if (qobject_cast<QTabWidget*>(w))
        return caption;
    QString name = buddyText(w, labels);
    if (name.isEmpty())
        if (const QWidget* label = labelBeside(w, root, labels))
            name = captionOf(label);
    if (name.isEmpty())
        name = readable(w->toolTip());
    if (name.isEmpty() && isGrid(w))
        name = caption;
    return name;
}

void nameTabPages(QWidget* root)
{
    for (QTabWidget* tabs : root->findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i)
            if (QWidget* page = tabs->widget(i); page && page->accessibleName().isEmpty())
                page->setAccessibleName(readable(tabs->tabText(i)));
}

} // namespace

void nameControlsForAccess(QWidget* root, const QString& windowCaption)
{
    QList<QWidget*> labels;
    for (QWidget* w : root->findChildren<QWidget*>())
        if (qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w))
            labels << w;
    for (QWidget* w : root->findChildren<QWidget*>())
        if (needsName(w) && w->accessibleName().isEmpty())
            w->setAccessibleName(nameFor(w, root, labels, readable(windowCaption)));
    nameTabPages(root);
}

QList<QWidget*> unnamedControls(QWidget* root)
{
    QList<QWidget*> unnamed;
    // A box kept hidden for the program's own use is never announced.
    for (QWidget* w : root->findChildren<QWidget*>())
        if (needsName(w) && !w->isHidden() && w->accessibleName().isEmpty())
            unnamed << w;
    return unnamed;
}

} // namespace ui
