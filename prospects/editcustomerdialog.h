#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

#include "widgets/personform.h"

#include <memory>

class EditCustomerItemDelegate;
class QDataWidgetMapper;
class QSqlCustomerTableModel;

namespace Ui {
class EditCustomerDialog;
}

// The stored data of one prospect in a form bound to its row; only Save writes.
class EditCustomerDialog : public QDialog
{
    Q_OBJECT
public:
    explicit EditCustomerDialog(int customerId, QWidget *parent = nullptr);
    ~EditCustomerDialog() override;

    // Shows these values instead of the stored ones, to be saved or not.
    void fillIn(const PersonForm::Fields &fields);
    // What the form holds now.
    PersonForm::Fields fields() const;

private slots:
    void on_pushButtonSave_clicked();
    void on_pushButtonCancel_clicked();
    void on_dateEditBirthDate_dateChanged(const QDate &date);

private:
    std::unique_ptr<Ui::EditCustomerDialog> ui;
    int customerId = -1;
    // The number as stored: an unchanged one is not checked again.
    QString storedPhone;
    QSqlCustomerTableModel *model = nullptr;
    QDataWidgetMapper *mapper = nullptr;
    EditCustomerItemDelegate *delegate = nullptr;
};
