#pragma once

#include <QItemDelegate>

// Moves sex (combo index) and birth date ("yyyy-MM-dd" text) between the
// prospect model and the edit form; other columns behave as usual.
class EditCustomerItemDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    using QItemDelegate::QItemDelegate;

    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
};
