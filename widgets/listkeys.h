#pragma once

#include <QModelIndex>

#include <functional>

class QAbstractItemView;

// Enter or Return on the view runs the action on its current item (when there
// is one) and goes no further, so that it never reaches the dialog's default
// button. Lists pass their double-click slot: Enter acts as a double-click.
void onEnterKey(QAbstractItemView *view, std::function<void(const QModelIndex &)> action);
