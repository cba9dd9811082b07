#pragma once

#include <initializer_list>

class QAbstractItemDelegate;
class QAbstractItemModel;
class QTableView;

// Puts a freshly loaded prospect or recruit model on a list's table: with its
// display delegate, the given columns hidden, sized to the contents, read-only.
void showPersonTable(QTableView *view, QAbstractItemModel *model, QAbstractItemDelegate *delegate,
                     std::initializer_list<int> hiddenColumns);

// The widest a column sized to its contents may grow: about eighteen Chinese
// characters.
int longestColumnWidth(const QTableView *view);
// Keeps columns sized to their contents within longestColumnWidth: a long
// address or description is elided, and shown whole in its tool tip, so
// that the other columns stay on screen.
void limitColumnWidths(QTableView *view);
