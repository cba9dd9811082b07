#pragma once

#include "common/dateutils.h"

#include <QItemDelegate>

// "2026-3-7 9:5": a visit time as the calendar shows it, local time, numbers
// without leading zeros.
QString calendarTimeText(Seconds time);

// Paints the calendar rows: the visit time readable, the name as "拜访<name>",
// both right-aligned.
class CustomerCalendarDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    using QItemDelegate::QItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
