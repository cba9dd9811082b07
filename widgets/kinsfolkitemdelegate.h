#pragma once

#include <QItemDelegate>

// Paints the relatives table: the sex as 女/男 instead of its code.
class KinsfolkItemDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    using QItemDelegate::QItemDelegate;

    // Column of the sex in the relatives model (ID, 客户ID, 关系, 姓名, 性别, ...).
    static constexpr int sexColumn = 4;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
