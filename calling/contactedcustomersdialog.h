#pragma once

#include "common/dateutils.h"

#include <QDialog>
#include <QModelIndex>

#include <memory>

class CustomersItemDelegate;
class QSqlCustomerQueryModel;

namespace Ui {
class ContactedCustomersDialog;
}

// Prospects contacted within a range of days (contact type 0 any, 1 phone,
// 2 visit), searchable by the name as the agent reads it.
class ContactedCustomersDialog : public QDialog
{
    Q_OBJECT
public:
    ContactedCustomersDialog(QWidget *parent, Seconds rangeBegin, Seconds rangeEnd,
                             int contactType);
    ~ContactedCustomersDialog() override;

private slots:
    void on_pushButtonClose_clicked();
    void on_pushButtonSearch_clicked();
    void on_tableView_doubleClicked(const QModelIndex &index);

private:
    void reload();

    std::unique_ptr<Ui::ContactedCustomersDialog> ui;
    QSqlCustomerQueryModel *model = nullptr;
    CustomersItemDelegate *delegate = nullptr;
    int contactType;
    Seconds rangeBegin;
    Seconds rangeEnd;
};
