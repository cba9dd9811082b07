#include "datecolumndelegate.h"

#include <QDateTime>

DateColumnDelegate::DateColumnDelegate(int dateColumn, QObject *parent)
    : QItemDelegate(parent), dateColumn(dateColumn)
{
}

void DateColumnDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    if (index.column() != dateColumn) {
        QItemDelegate::paint(painter, option, index);
        return;
    }
    const QString text = QDateTime::fromSecsSinceEpoch(index.data().toLongLong())
                             .date()
                             .toString(QStringLiteral("yy-MM-dd"));
    QStyleOptionViewItem aligned = option;
    aligned.displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    drawDisplay(painter, aligned, aligned.rect, text);
    drawFocus(painter, aligned, aligned.rect);
}
