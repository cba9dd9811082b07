#include "calldlgtellogitemdelegate.h"

#include <QApplication>
#include <QDateTime>
#include <QStyle>

#include <algorithm>

namespace {
QString wayText(const QVariant &value)
{
    return value.toInt() == 1 ? QStringLiteral("电话") : QStringLiteral("约访");
}

QString localTimeText(const QVariant &value, const QString &format)
{
    return QDateTime::fromSecsSinceEpoch(value.toLongLong()).toString(format);
}
} // namespace

QString CallDlgTelLogItemDelegate::displayText(int column, const QVariant &value)
{
    switch (column) {
    case LogAddTime:
        return localTimeText(value, QStringLiteral("yy-MM-dd hh:mm"));
    case LogNextContactTime:
        // 0: the call planned no next contact (it ended in a deal).
        if (value.toLongLong() <= 0)
            return QStringLiteral("");
        return localTimeText(value, QStringLiteral("yy-MM-dd hh:mm"));
    case LogContactType:
    case LogNextContactType:
        return wayText(value);
    default:
        return QString();
    }
}

QSize CallDlgTelLogItemDelegate::sizeHint(const QStyleOptionViewItem &option,
                                          const QModelIndex &index) const
{
    const QString text = displayText(index.column(), index.data(Qt::DisplayRole));
    if (text.isNull())
        return QItemDelegate::sizeHint(option, index);
    const QSize shown = option.fontMetrics.size(Qt::TextSingleLine, text);
    // The margins QItemDelegate leaves around a text.
    const int margin = 2 * (QApplication::style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    return QSize(shown.width() + margin, std::max(shown.height(), option.fontMetrics.height()));
}

void CallDlgTelLogItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    QString text = displayText(index.column(), index.data(Qt::DisplayRole));
    if (index.column() == LogNextContactType &&
        index.siblingAtColumn(LogNextContactTime).data().toLongLong() <= 0)
        text = QStringLiteral("");
    if (text.isNull()) {
        QItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = setOptions(index, option);
    opt.displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    drawDisplay(painter, opt, opt.rect, text);
    drawFocus(painter, opt, opt.rect);
}
