#include "editcustomerdialog.h"
#include "ui_editcustomerdialog.h"

#include "common/dateutils.h"
#include "widgets/messageboxes.h"
#include "prospects/editcustomeritemdelegate.h"
#include "store/customerstore.h"

#include <QDataWidgetMapper>
#include <QSqlError>

EditCustomerDialog::EditCustomerDialog(int customerId, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::EditCustomerDialog>())
{
    ui->setupUi(this);
    ui->comboBoxSex->setCurrentIndex(-1);
    ui->dateEditBirthDate->setDate(QDate(1900, 1, 1));
    on_dateEditBirthDate_dateChanged(ui->dateEditBirthDate->date());

    model = loadCustomersModel(this, QStringLiteral("id = ") + QString::number(customerId), 0, 100);
    delegate = new EditCustomerItemDelegate(this);
    mapper = new QDataWidgetMapper(this);
    mapper->setModel(model);
    mapper->setItemDelegate(delegate);
    mapper->addMapping(ui->lineEditName, ColumnName);
    mapper->addMapping(ui->comboBoxSex, ColumnSex);
    mapper->addMapping(ui->dateEditBirthDate, ColumnBirthDate);
    mapper->addMapping(ui->lineEditPhone, ColumnPhoneNumber);
    mapper->addMapping(ui->lineEditHomeAddress, ColumnHomeAddress);
    mapper->addMapping(ui->lineEditHomePhone, ColumnHomeTel);
    mapper->addMapping(ui->lineEditCompany, ColumnCompanyName);
    mapper->addMapping(ui->lineEditOffice, ColumnOffice);
    mapper->toFirst();
    // The cursor starts in the first field, not in the tab bar.
    ui->lineEditName->setFocus();
}

EditCustomerDialog::~EditCustomerDialog() = default;

void EditCustomerDialog::on_dateEditBirthDate_dateChanged(const QDate &date)
{
    ui->lineEditAge->setText(QString::number(ageFromBirthDate(date)));
}

void EditCustomerDialog::on_pushButtonSave_clicked()
{
    mapper->submit();
    // A refused update keeps the dialog open with the agent's changes instead
    // of closing as if they had been stored.
    if (!model->submitAll()) {
        showWarning(this, model->lastError().text(), QStringLiteral("更新客户信息出错."));
        return;
    }
    accept();
}

void EditCustomerDialog::on_pushButtonCancel_clicked()
{
    reject();
}
