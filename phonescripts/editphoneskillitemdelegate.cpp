#include "editphoneskillitemdelegate.h"

#include "phonescripts/phoneskilltypes.h"

#include <QComboBox>

void EditPhoneSkillItemDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *combo = qobject_cast<QComboBox *>(editor);
    if (index.column() != PhoneSkillColumnType || !combo) {
        QItemDelegate::setEditorData(editor, index);
        return;
    }
    combo->setCurrentIndex(index.data(Qt::EditRole).toInt() - 1);
}

void EditPhoneSkillItemDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                              const QModelIndex &index) const
{
    auto *combo = qobject_cast<QComboBox *>(editor);
    if (index.column() != PhoneSkillColumnType || !combo) {
        QItemDelegate::setModelData(editor, model, index);
        return;
    }
    // An unknown stored use shows no choice; saving then keeps it instead of writing 0.
    if (combo->currentIndex() < 0)
        return;
    model->setData(index, combo->currentIndex() + 1, Qt::EditRole);
}
