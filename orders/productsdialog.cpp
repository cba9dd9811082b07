#include "productsdialog.h"
#include "ui_productsdialog.h"

#include "orders/addproductdialog.h"
#include "store/catalogstore.h"

ProductsDialog::ProductsDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::ProductsDialog>())
{
    ui->setupUi(this);
    reload();
    ui->tableView->setFocus();
}

ProductsDialog::~ProductsDialog() = default;

void ProductsDialog::reload()
{
    ui->tableView->setModel(nullptr);
    delete model;
    model = loadProductsModel(this, QString());
    ui->tableView->setModel(model);
    ui->tableView->resizeColumnsToContents();
    ui->tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void ProductsDialog::on_pushButtonAdd_clicked()
{
    AddProductDialog dialog(this);
    dialog.exec();
    reload();
}

void ProductsDialog::on_pushButtonClose_clicked()
{
    close();
}
