#pragma once

#include <QDialog>
#include <QModelIndex>

#include <memory>

class EditPhoneSkillItemDelegate;
class QDataWidgetMapper;
class QSqlTableModel;

namespace Ui {
class EditPhoneSkillDialog;
}

// Changes or deletes one script of the list's model.
class EditPhoneSkillDialog : public QDialog
{
    Q_OBJECT
public:
    EditPhoneSkillDialog(QSqlTableModel *model, const QModelIndex &index,
                         QWidget *parent = nullptr);
    ~EditPhoneSkillDialog() override;

private slots:
    void on_pushButtonOk_clicked();
    void on_pushButtonCancel_clicked();
    void on_pushButtonDelete_clicked();

private:
    std::unique_ptr<Ui::EditPhoneSkillDialog> ui;
    QSqlTableModel *model = nullptr;
    QModelIndex index;
    QDataWidgetMapper *mapper = nullptr;
    EditPhoneSkillItemDelegate *delegate = nullptr;
};
