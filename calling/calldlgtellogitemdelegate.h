#pragma once

#include "calling/calldlgcustomeritemdelegate.h"

// Shows a contact history: dates and times instead of seconds and 电话/约访
// instead of way codes, right-aligned; nothing for a next contact not planned.
class CallDlgTelLogItemDelegate : public CallDlgCustomerItemDelegate
{
    Q_OBJECT
public:
    using CallDlgCustomerItemDelegate::CallDlgCustomerItemDelegate;

    enum Column
    {
        LogId,
        LogPersonId,
        LogAddTime,
        LogContactType,
        LogContent,
        LogNextContactTime,
        LogNextContactType,
    };

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    // Sized for the text shown, not the stored number.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The text a column shows for a stored value; null for columns painted as stored.
    static QString displayText(int column, const QVariant &value);
};

// The recruit history looks the same.
class CallHelperDlgTelLogItemDelegate : public CallDlgTelLogItemDelegate
{
    Q_OBJECT
public:
    using CallDlgTelLogItemDelegate::CallDlgTelLogItemDelegate;
};
