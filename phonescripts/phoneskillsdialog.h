#pragma once

#include <QDialog>
#include <QModelIndex>

#include <memory>

class PhoneSkillsItemDelegate;
class QSqlTableModel;

namespace Ui {
class PhoneSkillsDialog;
}

// Every phone script of both uses; a double click (or Enter) edits one.
class PhoneSkillsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PhoneSkillsDialog(QWidget *parent = nullptr);
    ~PhoneSkillsDialog() override;

private slots:
    void on_pushButtonClose_clicked();
    void on_pushButtonAdd_clicked();
    void on_tableView_doubleClicked(const QModelIndex &index);

private:
    void load();

    std::unique_ptr<Ui::PhoneSkillsDialog> ui;
    QSqlTableModel *model = nullptr;
    PhoneSkillsItemDelegate *delegate = nullptr;
};
