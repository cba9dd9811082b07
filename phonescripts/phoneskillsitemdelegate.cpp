#include "phoneskillsitemdelegate.h"

#include "phonescripts/phoneskilltypes.h"

void PhoneSkillsItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    if (index.column() != PhoneSkillColumnType) {
        QItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem right = option;
    right.displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    drawDisplay(painter, right, right.rect, PhoneSkillType::text(index.data().toInt()));
    drawFocus(painter, right, right.rect);
}
