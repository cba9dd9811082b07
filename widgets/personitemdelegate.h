#pragma once

#include <QItemDelegate>

// Paints the coded columns of prospect and recruit tables: sex and the
// contacted flag as words, centred; every other column as usual.
class PersonItemDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    using QItemDelegate::QItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
