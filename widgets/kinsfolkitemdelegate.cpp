#include "kinsfolkitemdelegate.h"

#include "widgets/persontexts.h"

void KinsfolkItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    if (index.column() != sexColumn) {
        QItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem centred = option;
    centred.displayAlignment = Qt::AlignCenter;
    drawDisplay(painter, centred, centred.rect, sexText(index.data().toInt()));
    drawFocus(painter, centred, centred.rect);
}
