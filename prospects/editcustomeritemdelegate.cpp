#include "editcustomeritemdelegate.h"

#include "store/customermodels.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>

namespace {
const QString dateFormat = QStringLiteral("yyyy-MM-dd");
}

void EditCustomerItemDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (index.column() == ColumnSex) {
        if (auto *combo = qobject_cast<QComboBox *>(editor)) {
            // -1 (not given) leaves no item selected.
            const int sex = index.data(Qt::EditRole).toInt();
            combo->setCurrentIndex(sex >= 0 && sex < combo->count() ? sex : -1);
            return;
        }
    } else if (index.column() == ColumnBirthDate) {
        if (auto *dateEdit = qobject_cast<QDateEdit *>(editor)) {
            const QDate date = QDate::fromString(index.data(Qt::EditRole).toString(), dateFormat);
            dateEdit->setDate(date);
            dateEdit->calendarWidget()->setSelectedDate(dateEdit->date());
            return;
        }
    }
    QItemDelegate::setEditorData(editor, index);
}

void EditCustomerItemDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                            const QModelIndex &index) const
{
    if (index.column() == ColumnSex) {
        if (auto *combo = qobject_cast<QComboBox *>(editor)) {
            model->setData(index, combo->currentIndex(), Qt::EditRole);
            return;
        }
    } else if (index.column() == ColumnBirthDate) {
        if (auto *dateEdit = qobject_cast<QDateEdit *>(editor)) {
            model->setData(index, dateEdit->date().toString(dateFormat), Qt::EditRole);
            return;
        }
    }
    QItemDelegate::setModelData(editor, model, index);
}
