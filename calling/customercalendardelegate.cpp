#include "customercalendardelegate.h"

#include "common/dateutils.h"

#include <QDateTime>

QString calendarTimeText(Seconds time)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(time);
    return QStringLiteral("%1-%2-%3 %4:%5")
        .arg(local.date().year())
        .arg(local.date().month())
        .arg(local.date().day())
        .arg(local.time().hour())
        .arg(local.time().minute());
}

void CustomerCalendarDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    QString text;
    if (index.column() == 1)
        text = calendarTimeText(index.data().toLongLong());
    else if (index.column() == 2)
        text = tr("拜访") + index.data().toString();
    else {
        QItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem rightAligned = option;
    rightAligned.displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    drawDisplay(painter, rightAligned, rightAligned.rect, text);
    drawFocus(painter, rightAligned, rightAligned.rect);
}

QString PromisedTimeDelegate::displayText(const QVariant &value, const QLocale &) const
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(value.toLongLong());
    const QString time = local.toString(QStringLiteral("HH:mm"));
    return local.date() == Clock::now().date()
               ? time
               : local.toString(QStringLiteral("yyyy-MM-dd ")) + time;
}
