#include "rowactivation.h"

#include <QAbstractItemView>
#include <QKeyEvent>

namespace {
class EnterActivatesRow : public QObject
{
public:
    explicit EnterActivatesRow(QAbstractItemView *view) : QObject(view), m_view(view) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_view && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                const QModelIndex current = m_view->currentIndex();
                if (current.isValid())
                    emit m_view->doubleClicked(current);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QAbstractItemView *m_view;
};
} // namespace

void activateRowsOnEnter(QAbstractItemView *view)
{
    view->installEventFilter(new EnterActivatesRow(view));
}
