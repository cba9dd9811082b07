#pragma once

#include <QItemDelegate>

// Display delegate of every prospect table: sex and contacted flag are shown
// as words, centred; the other columns paint as usual.
class CustomersItemDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    using QItemDelegate::QItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
};
