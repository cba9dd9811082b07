#pragma once

#include "widgets/unsavedinput.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

namespace Ui {
class AddCustomerOrderDialog;
}

// Up to four order lines of one customer; Accepted only when the whole order
// was stored. Closing with lines typed and not saved asks first.
class AddCustomerOrderDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddCustomerOrderDialog(QWidget *parent = nullptr, int customerId = -1,
                                    const QString &customerName = QString());
    ~AddCustomerOrderDialog() override;

    // The order is one part of a larger action (the call that ended in this
    // deal): the writes go in the order's transaction, and the customer given
    // at construction can no longer be changed.
    void setSaveAlongside(const std::function<bool()> &writes);

public slots:
    void reject() override;

public:
    enum Column
    {
        ColumnProductId,
        ColumnProductName,
        ColumnAmount,
        ColumnMoney
    };

private slots:
    void on_pushButtonSelectCustomer_clicked();
    void on_tableWidget_cellActivated(int row, int column);
    void on_tableWidget_currentCellChanged(int currentRow, int currentColumn, int previousRow,
                                           int previousColumn);
    void on_pushButtonSave_clicked();
    void on_pushButtonClose_clicked();
    void on_lineEdit_editingFinished();
    void on_lineEdit_returnPressed();

private:
    QString cellText(int row, int column) const;

    std::unique_ptr<Ui::AddCustomerOrderDialog> ui;
    int customerId = -1;
    QString customerName;
    std::function<bool()> alongside;
    UnsavedInput input;
};
