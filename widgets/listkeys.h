#pragma once

#include <QModelIndex>

#include <QList>

#include <functional>

class QAbstractItemView;
class QWidget;

// Enter or Return on the view runs the action on its current item (when there
// is one) and goes no further, so that it never reaches the dialog's default
// button. Lists pass their double-click slot: Enter acts as a double-click.
void onEnterKey(QAbstractItemView *view, std::function<void(const QModelIndex &)> action);

// Buttons that act on the view's current row ("修改", "删除") are enabled only
// while there is one. Call again after the view gets a new model.
void enableWithCurrentRow(QAbstractItemView *view, const QList<QWidget *> &buttons);
