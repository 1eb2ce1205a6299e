#include "shell/PickList.h"

#include "store/Catalogue.h"
#include "store/Dataset.h"

#include <QComboBox>
#include <QStringList>

namespace shell {

namespace {

void emptyBox(QComboBox* box)
{
    box->clear();
    if (box->isEditable())
        box->clearEditText();
}

} // namespace

void fillPickList(QComboBox* box, store::Dataset& query, const store::Statement& statement, const QString& column)
{
    emptyBox(box);
    query.requery(statement);
    QStringList items;
    for (query.first(); !query.eof(); query.next())
        items << query.field(column);
    box->clear();
    box->addItems(items);
}

void showNoItem(QComboBox* box)
{
    box->setCurrentIndex(-1);
    if (box->isEditable())
        box->clearEditText();
}

} // namespace shell
