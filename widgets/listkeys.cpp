#include "listkeys.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QWidget>

namespace {
class EnterKeyFilter : public QObject
{
public:
    EnterKeyFilter(QAbstractItemView *view, std::function<void(const QModelIndex &)> action)
        : QObject(view), view(view), action(std::move(action))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != view || event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        const QModelIndex current = view->currentIndex();
        // Enter in an open cell editor only ends the edit, as the view does it.
        if (view->indexWidget(current))
            return false;
        if (current.isValid())
            action(current);
        return true;
    }

private:
    QAbstractItemView *view;
    std::function<void(const QModelIndex &)> action;
};
} // namespace

void onEnterKey(QAbstractItemView *view, std::function<void(const QModelIndex &)> action)
{
    view->installEventFilter(new EnterKeyFilter(view, std::move(action)));
}

void enableWithCurrentRow(QAbstractItemView *view, const QList<QWidget *> &buttons)
{
    const auto update = [view, buttons] {
        for (QWidget *button : buttons)
            button->setEnabled(view->currentIndex().isValid());
    };
    update();
    if (QItemSelectionModel *selection = view->selectionModel())
        QObject::connect(selection, &QItemSelectionModel::currentChanged, view, update);
}
