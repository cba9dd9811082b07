#pragma once

#include "widgets/personitemdelegate.h"

// Display delegate of every prospect table.
class CustomersItemDelegate : public PersonItemDelegate
{
    Q_OBJECT
public:
    using PersonItemDelegate::PersonItemDelegate;

    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
};
