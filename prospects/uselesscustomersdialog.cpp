#include "uselesscustomersdialog.h"
#include "ui_uselesscustomersdialog.h"

#include "app/messageboxes.h"
#include "prospects/customersitemdelegate.h"
#include "prospects/searchcondition.h"
#include "store/customermodels.h"
#include "store/customerstore.h"

#include <QDebug>
#include <QSqlError>

namespace {
// Every abandoned row is listed at once. The store's editable prospect model
// keeps decoded names in its edit cache, and every cell read then walks that
// cache, which takes seconds for ten thousand rows; this list is read-only, so
// a query model that decodes on display serves it in milliseconds.
QSqlCustomerQueryModel *loadAbandonedModel(QObject *parent, const QString &condition)
{
    auto *model = new QSqlCustomerQueryModel(parent);
    model->setQuery(QStringLiteral("SELECT id, name, sex, birth_date, phone_number, "
                                   "home_address, home_tel, company_name, office, is_contact, "
                                   "user_type, server_customer_id FROM customers WHERE ") +
                    condition);
    if (model->lastError().isValid())
        qDebug() << model->lastError().text();
    while (model->canFetchMore())
        model->fetchMore();
    const QStringList headers = {
        QStringLiteral("ID"),       QStringLiteral("姓名"),     QStringLiteral("性别"),
        QStringLiteral("生日"),     QStringLiteral("电话号码"), QStringLiteral("家庭/公司地址"),
        QStringLiteral("家庭电话"), QStringLiteral("公司"),     QStringLiteral("职务"),
        QStringLiteral("是否联系"), QStringLiteral("用户类型")};
    for (int column = 0; column < headers.size(); ++column)
        model->setHeaderData(column, Qt::Horizontal, headers.at(column), Qt::EditRole);
    return model;
}
} // namespace

UselessCustomersDialog::UselessCustomersDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::UselessCustomersDialog>())
{
    ui->setupUi(this);
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
    model = loadAbandonedModel(this, condition);
    ui->tableView->setModel(model);
    delegate = new CustomersItemDelegate(this);
    ui->tableView->setItemDelegate(delegate);
    ui->tableView->hideColumn(ColumnUserType);
    ui->tableView->hideColumn(ColumnServerCustomerId);
    ui->tableView->resizeColumnsToContents();
    ui->tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
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
