#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

#include <memory>

class QSqlTableModel;

namespace Ui {
class AddCustomerDialog;
}

// Entry of new prospects one after another; the relatives tab works on the
// prospect saved last.
class AddCustomerDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddCustomerDialog(QWidget *parent = nullptr);
    ~AddCustomerDialog() override;

private slots:
    void on_pushButtonSave_clicked();
    void on_pushButtonClear_clicked();
    void on_pushButtonClose_clicked();
    void on_pushButtonAddKinsfolk_clicked();
    void on_tabWidget_currentChanged(int index);
    void on_dateEditBirthDate_dateChanged(const QDate &date);

private:
    void reloadKinsfolk();

    std::unique_ptr<Ui::AddCustomerDialog> ui;
    int customerId = -1;
    QString lastSavedName;
    QSqlTableModel *kinsfolkModel = nullptr;
};
