#include "productsdialog.h"
#include "ui_productsdialog.h"

#include "orders/addproductdialog.h"
#include "store/catalogstore.h"
#include "widgets/listkeys.h"
#include "widgets/messageboxes.h"

namespace {
enum ProductColumn
{
    Code,
    Name,
    Introduce
};
} // namespace

ProductsDialog::ProductsDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::ProductsDialog>())
{
    ui->setupUi(this);
    onEnterKey(ui->tableView,
               [this](const QModelIndex &index) { on_tableView_doubleClicked(index); });
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
    enableWithCurrentRow(ui->tableView, {ui->pushButtonEdit, ui->pushButtonDelete});
}

QString ProductsDialog::currentValue(int column) const
{
    const QModelIndex current = ui->tableView->currentIndex();
    return current.isValid() ? model->index(current.row(), column).data().toString() : QString();
}

void ProductsDialog::on_pushButtonAdd_clicked()
{
    AddProductDialog dialog(this);
    dialog.exec();
    reload();
}

void ProductsDialog::on_pushButtonEdit_clicked()
{
    if (!ui->tableView->currentIndex().isValid())
        return;
    AddProductDialog dialog(this, currentValue(Code), currentValue(Name), currentValue(Introduce));
    dialog.exec();
    reload();
}

void ProductsDialog::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (index.isValid())
        on_pushButtonEdit_clicked();
}

void ProductsDialog::on_pushButtonDelete_clicked()
{
    const QString code = currentValue(Code);
    if (code.isEmpty() ||
        !askYesNo(this, QStringLiteral("确定要删除产品 %1 (%2) 吗?").arg(code, currentValue(Name)),
                  QStringLiteral("提示")))
        return;
    // A product an order names is refused by the store, which says why.
    deleteProduct(code);
    reload();
}

void ProductsDialog::on_pushButtonClose_clicked()
{
    close();
}
