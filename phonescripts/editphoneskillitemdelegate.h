#pragma once

#include <QItemDelegate>

// Maps the use column to the edit dialog's combo box (index = type - 1).
class EditPhoneSkillItemDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    using QItemDelegate::QItemDelegate;

    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
};
