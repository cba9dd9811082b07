#include "persontable.h"

#include "widgets/listkeys.h"

#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QTableView>
#include <QToolTip>

namespace {
// Shows a cell's whole text where the column cuts it off.
class ElidedTextTips : public QObject
{
public:
    // Owned by the viewport, so found again at the next reload.
    explicit ElidedTextTips(QTableView *view) : QObject(view->viewport()), view(view)
    {
        setObjectName(QStringLiteral("elidedTextTips"));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip)
            return QObject::eventFilter(watched, event);
        const auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = view->indexAt(help->pos());
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect cell = view->visualRect(index);
        // The margins a delegate leaves on both sides of the text.
        const int margin = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        if (index.isValid() && view->fontMetrics().horizontalAdvance(text) + margin > cell.width())
            QToolTip::showText(help->globalPos(), text, view->viewport(), cell);
        else
            QToolTip::hideText();
        return true;
    }

private:
    QTableView *view;
};
} // namespace

void showPersonTable(QTableView *view, QAbstractItemModel *model, QAbstractItemDelegate *delegate,
                     std::initializer_list<int> hiddenColumns)
{
    view->setModel(model);
    view->setItemDelegate(delegate);
    for (int column : hiddenColumns)
        view->hideColumn(column);
    view->resizeColumnsToContents();
    limitColumnWidths(view);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fetchToEndOnCtrlEnd(view);
}

int longestColumnWidth(const QTableView *view)
{
    return view->fontMetrics().horizontalAdvance(QString(18, QChar(0x4E2D)));
}

void limitColumnWidths(QTableView *view)
{
    const int widest = longestColumnWidth(view);
    for (int column = 0; column < view->horizontalHeader()->count(); ++column) {
        if (view->columnWidth(column) > widest)
            view->setColumnWidth(column, widest);
    }
    view->setTextElideMode(Qt::ElideRight);
    if (!view->viewport()->findChild<QObject *>(QStringLiteral("elidedTextTips"),
                                                Qt::FindDirectChildrenOnly)) {
        view->viewport()->installEventFilter(new ElidedTextTips(view));
    }
}
