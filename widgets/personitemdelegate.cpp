#include "personitemdelegate.h"

#include "widgets/persontexts.h"
#include "store/customermodels.h"

void PersonItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    QString text;
    if (index.column() == ColumnSex)
        text = sexText(index.data().toInt());
    else if (index.column() == ColumnIsContact)
        text = contactedText(index.data().toInt());
    else {
        QItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem centred = option;
    centred.displayAlignment = Qt::AlignCenter;
    drawDisplay(painter, centred, centred.rect, text);
    drawFocus(painter, centred, centred.rect);
}
