#pragma once

#include "common/dateutils.h"

#include <QItemDelegate>
#include <QStyledItemDelegate>

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

// The promised time of today's follow-up lists: "14:30", with the date before
// it when it is not today's.
class PromisedTimeDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant &value, const QLocale &locale) const override;
};
