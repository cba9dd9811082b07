#include "uselesscustomersdialog.h"
#include "ui_uselesscustomersdialog.h"

#include "widgets/messageboxes.h"
#include "widgets/customersitemdelegate.h"
#include "widgets/persontable.h"
#include "widgets/rowactivation.h"
#include "widgets/searchcondition.h"
#include "store/customermodels.h"
#include "store/customerstore.h"
#include "widgets/dialer.h"

UselessCustomersDialog::UselessCustomersDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::UselessCustomersDialog>())
{
    ui->setupUi(this);
    addDialToContextMenu(ui->tableView, ColumnPhoneNumber);
    // Enter on a row must not fall through to the search and reset the list.
    activateRowsOnEnter(ui->tableView);
    reload();
    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint);
}

UselessCustomersDialog::~UselessCustomersDialog() = default;

void UselessCustomersDialog::reload()
{
    ui->tableView->setModel(nullptr);
    delete model;
    delete delegate;

    const QString condition = personSearchCondition(
        QStringLiteral(" user_type = 0 "),
        {ui->lineEditName->text(), ui->lineEditBirthday->text(), ui->lineEditHomeAddress->text()},
        NameStorage::Base64);
    // Page 0: every abandoned prospect at once.
    model = loadCustomersModel(this, condition, 0, 100);
    delegate = new CustomersItemDelegate(this);
    showPersonTable(ui->tableView, model, delegate, {ColumnUserType, ColumnServerCustomerId});
}

void UselessCustomersDialog::on_pushButtonClose_clicked()
{
    close();
}

void UselessCustomersDialog::on_pushButtonSearch_clicked()
{
    reload();
    ui->lineEditName->setFocus();
}

void UselessCustomersDialog::on_pushButtonRecover_clicked()
{
    const QModelIndex current = ui->tableView->currentIndex();
    if (!current.isValid()) {
        showWarning(this, QStringLiteral("请先选中要追回的准客户"), QStringLiteral("提示"));
        return;
    }
    setCustomerUserType(model->data(model->index(current.row(), ColumnId)).toInt(), 1);
    reload();
}
