#include "persontable.h"

#include "widgets/listkeys.h"

#include <QTableView>

void showPersonTable(QTableView *view, QAbstractItemModel *model, QAbstractItemDelegate *delegate,
                     std::initializer_list<int> hiddenColumns)
{
    view->setModel(model);
    view->setItemDelegate(delegate);
    for (int column : hiddenColumns)
        view->hideColumn(column);
    view->resizeColumnsToContents();
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fetchToEndOnCtrlEnd(view);
}
