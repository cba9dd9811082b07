#include "addcustomerdialog.h"
#include "ui_addcustomerdialog.h"

#include "common/dateutils.h"
#include "widgets/messageboxes.h"
#include "widgets/duplicatephone.h"
#include "prospects/addkinsfolkdialog.h"
#include "widgets/kinsfolkitemdelegate.h"
#include "store/customerstore.h"
#include "store/database.h"

#include <QCalendarWidget>
#include <QSqlTableModel>

namespace {
const QDate noBirthDate(1900, 1, 1);
const QString dateFormat = QStringLiteral("yyyy-MM-dd");
const QString promptTitle = QStringLiteral("提示");
} // namespace

AddCustomerDialog::AddCustomerDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::AddCustomerDialog>())
{
    ui->setupUi(this);
    setSizeGripEnabled(false);
    ui->tabWidget->setCurrentIndex(0);
    ui->comboBoxSex->setCurrentIndex(-1);
    ui->tableView->setItemDelegate(new KinsfolkItemDelegate(this));
    // After the automatic connections, so that the age follows at once.
    ui->dateEditBirthDate->setDate(noBirthDate);
    on_dateEditBirthDate_dateChanged(ui->dateEditBirthDate->date());
    // The cursor starts in the first field, not in the tab bar.
    ui->lineEditName->setFocus();
}

AddCustomerDialog::~AddCustomerDialog() = default;

void AddCustomerDialog::on_dateEditBirthDate_dateChanged(const QDate &date)
{
    ui->lineEditAge->setText(QString::number(ageFromBirthDate(date)));
    ui->dateEditBirthDate->calendarWidget()->setSelectedDate(date);
}

void AddCustomerDialog::on_pushButtonSave_clicked()
{
    const int sex = ui->comboBoxSex->currentIndex();
    const QString birthDate = ui->dateEditBirthDate->date().toString(dateFormat);
    const QString name = ui->lineEditName->text().trimmed();
    const QString phone = ui->lineEditPhone->text().trimmed();

    if (name.isEmpty()) {
        ui->lineEditName->setFocus();
        showWarning(this, QStringLiteral("请输入客户姓名."), promptTitle);
        return;
    }
    // Guards against saving the same entry twice in a row.
    if (name == lastSavedName) {
        showWarning(this, QStringLiteral("该客户已添加,请输入新的客户信息."), promptTitle);
        return;
    }
    if (sex == -1) {
        ui->comboBoxSex->setFocus();
        showWarning(this, QStringLiteral("请指定客户性别."), promptTitle);
        return;
    }
    if (phone.isEmpty()) {
        ui->lineEditPhone->setFocus();
        showWarning(this, QStringLiteral("请输入客户电话信息."), promptTitle);
        return;
    }
    // A number someone already has is usually the same person entered twice.
    if (!confirmPhoneNotDuplicate(this, PersonTable::Customers, phone)) {
        ui->lineEditPhone->setFocus();
        return;
    }
    if (!addCustomer(name, sex, birthDate, phone, ui->lineEditHomeAddress->text(),
                     ui->lineEditHomePhone->text(), ui->lineEditCompany->text(),
                     ui->lineEditOffice->text()))
        return;

    customerId = lastInsertId();
    lastSavedName = name;
    ui->lineEditName->setFocus();
    showInformation(this, QStringLiteral("保存客户信息成功."), promptTitle);
}

void AddCustomerDialog::on_pushButtonClear_clicked()
{
    customerId = -1;
    ui->lineEditName->clear();
    ui->comboBoxSex->setCurrentIndex(-1);
    ui->dateEditBirthDate->setDate(noBirthDate);
    ui->lineEditPhone->clear();
    ui->lineEditHomeAddress->clear();
    ui->lineEditHomePhone->clear();
    ui->lineEditCompany->clear();
    ui->lineEditOffice->clear();
}

void AddCustomerDialog::on_pushButtonClose_clicked()
{
    close();
}

void AddCustomerDialog::on_pushButtonAddKinsfolk_clicked()
{
    if (customerId == -1) {
        showWarning(this, QStringLiteral("请先新增并保存准客户信息,再添加亲属信息."), promptTitle);
        return;
    }
    AddKinsfolkDialog dialog(customerId, this);
    dialog.exec();
    if (dialog.isSaved())
        reloadKinsfolk();
}

void AddCustomerDialog::on_tabWidget_currentChanged(int index)
{
    Q_UNUSED(index);
    reloadKinsfolk();
}

void AddCustomerDialog::reloadKinsfolk()
{
    ui->tableView->setModel(nullptr);
    delete kinsfolkModel;
    kinsfolkModel =
        loadKinsfolkModel(this, QStringLiteral("customer_id = ") + QString::number(customerId));
    ui->tableView->setModel(kinsfolkModel);
    ui->tableView->resizeColumnsToContents();
    ui->tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
}
