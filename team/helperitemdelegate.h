#pragma once

#include <QItemDelegate>

// Display delegate of every recruit table, the twin of CustomersItemDelegate:
// sex and contacted flag are shown as words, centred.
class HelperItemDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    using QItemDelegate::QItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
