#include "editcustomerdialog.h"
#include "ui_editcustomerdialog.h"

#include "common/dateutils.h"
#include "widgets/duplicatephone.h"
#include "widgets/messageboxes.h"
#include "prospects/editcustomeritemdelegate.h"
#include "store/customerstore.h"

#include <QDataWidgetMapper>
#include <QSqlError>

EditCustomerDialog::EditCustomerDialog(int customerId, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::EditCustomerDialog>()), customerId(customerId)
{
    ui->setupUi(this);
    limitBirthDate(ui->dateEditBirthDate);
    ui->comboBoxSex->setCurrentIndex(-1);
    ui->dateEditBirthDate->setDate(birthDateNotGiven());
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
    // After filling: a text stored longer than the columns now allow is kept.
    PersonForm::limit(ui.get(), QStringLiteral("customers"));
    storedPhone = ui->lineEditPhone->text();
    // The cursor starts in the first field, not in the tab bar.
    ui->lineEditName->setFocus();
}

EditCustomerDialog::~EditCustomerDialog() = default;

void EditCustomerDialog::on_dateEditBirthDate_dateChanged(const QDate &date)
{
    ui->lineEditAge->setText(ageText(date));
}

void EditCustomerDialog::fillIn(const PersonForm::Fields &fields)
{
    PersonForm::write(ui.get(), fields);
}

PersonForm::Fields EditCustomerDialog::fields() const
{
    return PersonForm::read(ui.get());
}

void EditCustomerDialog::on_pushButtonSave_clicked()
{
    // A prospect deleted meanwhile leaves nothing to check or store.
    if (model->rowCount() == 0) {
        accept();
        return;
    }
    const QString phone = ui->lineEditPhone->text().trimmed();
    if (ui->lineEditName->text().trimmed().isEmpty()) {
        ui->lineEditName->setFocus();
        showWarning(this, QStringLiteral("请输入客户姓名."), QStringLiteral("提示"));
        return;
    }
    if (phone.isEmpty()) {
        ui->lineEditPhone->setFocus();
        showWarning(this, QStringLiteral("请输入客户电话信息."), QStringLiteral("提示"));
        return;
    }
    if (!PersonForm::checkPhones(this, ui.get()))
        return;
    const QString title = QStringLiteral("更新客户信息出错.");
    mapper->submit();
    // A refused update keeps the dialog open with the agent's changes instead
    // of closing as if they had been stored.
    const auto write = [&] {
        if (model->submitAll())
            return true;
        showWarning(this, model->lastError().text(), title);
        return false;
    };
    // Only a new number is checked; one kept as it was asks nothing.
    if (phoneKeys(phone) == phoneKeys(storedPhone)) {
        if (write())
            accept();
        return;
    }
    switch (saveCheckingPhone(this, phone, {PersonTable::Customers, customerId}, write, title)) {
    case PhoneSave::Saved:
        accept();
        break;
    case PhoneSave::Declined:
        // The row keeps the typed values for another try; nothing was stored.
        ui->lineEditPhone->setFocus();
        break;
    case PhoneSave::Failed:
        break;
    }
}

void EditCustomerDialog::on_pushButtonCancel_clicked()
{
    reject();
}
