#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class AddProductDialog;
}

// Enters products one after another; closing is the only way out.
class AddProductDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddProductDialog(QWidget *parent = nullptr);
    ~AddProductDialog() override;

private slots:
    void on_pushButtonOk_clicked();
    void on_pushButtonCancel_clicked();

private:
    std::unique_ptr<Ui::AddProductDialog> ui;
};
