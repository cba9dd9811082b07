#include "customerorderitemdelegate.h"

#include <QDateTime>

void CustomerOrderItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    if (index.column() != ColumnTime) {
        QItemDelegate::paint(painter, option, index);
        return;
    }
    const QString text = QDateTime::fromSecsSinceEpoch(index.data().toLongLong())
                             .toString(QStringLiteral("yy-MM-dd"));
    QStyleOptionViewItem right = option;
    right.displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    drawDisplay(painter, right, right.rect, text);
    drawFocus(painter, right, right.rect);
}
