#include "calldlgcustomeritemdelegate.h"

#include "store/customermodels.h"

#include <QComboBox>
#include <QDateEdit>

void CallDlgCustomerItemDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (index.column() == ColumnSex) {
        if (auto *combo = qobject_cast<QComboBox *>(editor)) {
            // -1 (not given) and stray values leave no item selected.
            const int sex = index.data(Qt::DisplayRole).toInt();
            combo->setCurrentIndex(sex >= 0 && sex < combo->count() ? sex : -1);
            return;
        }
    } else if (index.column() == ColumnBirthDate) {
        if (auto *dateEdit = qobject_cast<QDateEdit *>(editor)) {
            // An empty or broken date would leave the previous prospect's
            // birthday on screen; show the "not given" date instead.
            const QDate date = QDate::fromString(index.data(Qt::DisplayRole).toString(),
                                                 QStringLiteral("yyyy-MM-dd"));
            dateEdit->setDate(date.isValid() ? date : dateEdit->minimumDate());
            return;
        }
    }
    QItemDelegate::setEditorData(editor, index);
}
