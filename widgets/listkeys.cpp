#include "listkeys.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
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
// Fetches for about this long per turn of the event loop.
constexpr qint64 sliceMilliseconds = 30;

class FetchToEnd : public QObject
{
public:
    explicit FetchToEnd(QAbstractItemView *view) : QObject(view), view(view) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != view || event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->matches(QKeySequence::MoveToEndOfDocument) || !view->model() ||
            !view->model()->canFetchMore(QModelIndex()))
            return false;
        if (!fetching) {
            fetching = view->model();
            QApplication::setOverrideCursor(Qt::BusyCursor);
            fetchSlice();
        }
        return true;
    }

private:
    void fetchSlice()
    {
        // Another model (the list was loaded again) ends the fetch.
        QAbstractItemModel *model = view->model();
        if (model != fetching) {
            finish();
            return;
        }
        QElapsedTimer slice;
        slice.start();
        while (model->canFetchMore(QModelIndex()) && slice.elapsed() < sliceMilliseconds)
            model->fetchMore(QModelIndex());
        if (model->canFetchMore(QModelIndex())) {
            QTimer::singleShot(0, this, &FetchToEnd::fetchSlice);
            return;
        }
        const int column = view->currentIndex().isValid() ? view->currentIndex().column() : 0;
        const QModelIndex last = model->index(model->rowCount() - 1, column);
        if (last.isValid()) {
            view->setCurrentIndex(last);
            view->scrollTo(last);
        }
        finish();
    }

    void finish()
    {
        fetching = nullptr;
        QApplication::restoreOverrideCursor();
    }

    QAbstractItemView *view;
    QPointer<QAbstractItemModel> fetching;
};
} // namespace

void fetchToEndOnCtrlEnd(QAbstractItemView *view)
{
    if (view->property("fetchesToEnd").toBool())
        return;
    view->setProperty("fetchesToEnd", true);
    view->installEventFilter(new FetchToEnd(view));
}

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
