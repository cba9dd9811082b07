#pragma once

#include <QDialog>

#include <memory>

class CustomersItemDelegate;
class QSqlCustomerTableModel;

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
    QSqlCustomerTableModel *model = nullptr;
    CustomersItemDelegate *delegate = nullptr;
};
