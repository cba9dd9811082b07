#include "customersitemdelegate.h"

void CustomersItemDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    PersonItemDelegate::setEditorData(editor, index);
}
