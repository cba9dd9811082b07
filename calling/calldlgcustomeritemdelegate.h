#pragma once

#include <QItemDelegate>

// Fills the read-only form of a call dialog from the list row: sex as the
// combo index, everything else the usual way.
class CallDlgCustomerItemDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    using QItemDelegate::QItemDelegate;

    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
};

// The recruit call dialog's form works the same way.
class CallHelperDlgItemDelegate : public CallDlgCustomerItemDelegate
{
    Q_OBJECT
public:
    using CallDlgCustomerItemDelegate::CallDlgCustomerItemDelegate;
};
