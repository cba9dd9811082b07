#pragma once

#include <QDialog>

#include <memory>

class QSqlTableModel;

namespace Ui {
class ProductsDialog;
}

// The product catalogue, read-only; new products come through the add dialog.
class ProductsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ProductsDialog(QWidget *parent = nullptr);
    ~ProductsDialog() override;

private slots:
    void on_pushButtonAdd_clicked();
    void on_pushButtonClose_clicked();

private:
    void reload();

    std::unique_ptr<Ui::ProductsDialog> ui;
    QSqlTableModel *model = nullptr;
};
