#pragma once

#include <QItemDelegate>

// Shows the time column of the order list as a date ("yy-MM-dd", local time).
class CustomerOrderItemDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    using QItemDelegate::QItemDelegate;

    static constexpr int ColumnTime = 1;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
