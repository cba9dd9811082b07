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

// Ctrl+End in a list whose rows arrive as it scrolls goes to the last row of
// all, not of those fetched so far: the rest is fetched a slice per turn of
// the event loop, so the window keeps answering on a long list. Installed
// once per view, whatever model it shows later.
void fetchToEndOnCtrlEnd(QAbstractItemView *view);

// Buttons that act on the view's current row ("修改", "删除") are enabled only
// while there is one. Call again after the view gets a new model.
void enableWithCurrentRow(QAbstractItemView *view, const QList<QWidget *> &buttons);
