#pragma once

#include <QDialog>

#include <memory>

class CustomersItemDelegate;
class QSqlCustomerQueryModel;

namespace Ui {
class UselessCustomersDialog;
}

// Abandoned prospects, all at once, with a search; one can be taken back.
class UselessCustomersDialog : public QDialog
{
    Q_OBJECT
public:
    explicit UselessCustomersDialog(QWidget *parent = nullptr);
    ~UselessCustomersDialog() override;

private slots:
    void on_pushButtonClose_clicked();
    void on_pushButtonSearch_clicked();
    void on_pushButtonRecover_clicked();

private:
    void reload();

    std::unique_ptr<Ui::UselessCustomersDialog> ui;
    QSqlCustomerQueryModel *model = nullptr;
    CustomersItemDelegate *delegate = nullptr;
};
