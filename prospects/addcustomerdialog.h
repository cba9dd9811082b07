#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

#include "widgets/personform.h"

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

public slots:
    // Esc, the window's close button and "关闭": typed data not yet saved is
    // only dropped after a question.
    void reject() override;

private slots:
    void on_pushButtonSave_clicked();
    void on_pushButtonClear_clicked();
    void on_pushButtonClose_clicked();
    void on_pushButtonAddKinsfolk_clicked();
    void on_tabWidget_currentChanged(int index);
    void on_dateEditBirthDate_dateChanged(const QDate &date);

private:
    void reloadKinsfolk();
    // The saved prospect's form was changed: says so and offers the editing
    // dialog, the changes filled in.
    void offerEditing(const PersonForm::Fields &typed);

    std::unique_ptr<Ui::AddCustomerDialog> ui;
    int customerId = -1;
    QString lastSavedName;
    // The form as it was when the prospect customerId was saved.
    PersonForm::Fields savedFields;
    QSqlTableModel *kinsfolkModel = nullptr;
};
