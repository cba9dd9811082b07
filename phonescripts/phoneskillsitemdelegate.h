#pragma once

#include <QItemDelegate>

// Shows the use column of the script list as a word, right-aligned.
class PhoneSkillsItemDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    using QItemDelegate::QItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
