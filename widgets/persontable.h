#pragma once

#include <initializer_list>

class QAbstractItemDelegate;
class QAbstractItemModel;
class QTableView;

// Puts a freshly loaded prospect or recruit model on a list's table: with its
// display delegate, the given columns hidden, sized to the contents, read-only.
void showPersonTable(QTableView *view, QAbstractItemModel *model, QAbstractItemDelegate *delegate,
                     std::initializer_list<int> hiddenColumns);
