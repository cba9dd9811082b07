#pragma once

#include <QDialog>

#include <memory>

class QModelIndex;
class QSqlQueryModel;
class TeammateTaskDelegate;

namespace Ui {
class TeammateTaskDialog;
}

// The yearly work plans of all team members.
class TeammateTaskDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TeammateTaskDialog(QWidget *parent = nullptr);
    ~TeammateTaskDialog() override;

private slots:
    void LoadDb();
    void on_pushButtonAdd_clicked();
    void on_pushButtonEdit_clicked();
    void on_pushButtonDelete_clicked();
    void on_pushButtonClose_clicked();
    void on_tableView_doubleClicked(const QModelIndex &index);

private:
    std::unique_ptr<Ui::TeammateTaskDialog> ui;
    QSqlQueryModel *model = nullptr;
    TeammateTaskDelegate *delegate = nullptr;
};
