#include "addcustomerdialog.h"
#include "ui_addcustomerdialog.h"

#include "common/dateutils.h"
#include "widgets/messageboxes.h"
#include "widgets/unsavedinput.h"
#include "widgets/duplicatephone.h"
#include "prospects/addkinsfolkdialog.h"
#include "prospects/editcustomerdialog.h"
#include "widgets/kinsfolkitemdelegate.h"
#include "store/customerstore.h"
#include "store/database.h"
#include "widgets/dialer.h"
#include "widgets/persontable.h"

#include <QCalendarWidget>
#include <QSqlTableModel>

namespace {
const QString dateFormat = QStringLiteral("yyyy-MM-dd");
const QString promptTitle = QStringLiteral("提示");
} // namespace

AddCustomerDialog::AddCustomerDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::AddCustomerDialog>())
{
    ui->setupUi(this);
    addDialToContextMenu(ui->tableView, kinsfolkPhoneColumn);
    setSizeGripEnabled(false);
    ui->tableView->setItemDelegate(new KinsfolkItemDelegate(this));
    // After the automatic connections, so that the age follows at once; the
    // cursor starts in the first field, not in the tab bar.
    PersonForm::prepare(ui.get(), QStringLiteral("customers"));
    on_dateEditBirthDate_dateChanged(ui->dateEditBirthDate->date());
}

AddCustomerDialog::~AddCustomerDialog() = default;

void AddCustomerDialog::on_dateEditBirthDate_dateChanged(const QDate &date)
{
    ui->lineEditAge->setText(ageText(date));
    ui->dateEditBirthDate->calendarWidget()->setSelectedDate(date);
}

void AddCustomerDialog::on_pushButtonSave_clicked()
{
    const PersonForm::Fields typed = PersonForm::read(ui.get());
    const QString birthDate = typed.birthDate.toString(dateFormat);
    const QString name = typed.name.trimmed();
    const QString phone = typed.phone.trimmed();

    if (name.isEmpty()) {
        ui->lineEditName->setFocus();
        showWarning(this, QStringLiteral("请输入客户姓名."), promptTitle);
        return;
    }
    // Guards against saving the same entry twice in a row; a change to the
    // prospect just saved is not silently dropped.
    if (name == lastSavedName) {
        if (customerId != -1 && typed != savedFields)
            offerEditing(typed);
        else
            showWarning(this, QStringLiteral("该客户已添加,请输入新的客户信息."), promptTitle);
        return;
    }
    if (typed.sex == -1) {
        ui->comboBoxSex->setFocus();
        showWarning(this, QStringLiteral("请指定客户性别."), promptTitle);
        return;
    }
    if (phone.isEmpty()) {
        ui->lineEditPhone->setFocus();
        showWarning(this, QStringLiteral("请输入客户电话信息."), promptTitle);
        return;
    }
    if (!PersonForm::checkPhones(this, ui.get()))
        return;
    // A number someone already has is usually the same person entered twice.
    qint64 newId = -1;
    const PhoneSave saved = saveCheckingPhone(
        this, phone, {PersonTable::Customers, -1},
        [&] {
            if (!addCustomer(name, typed.sex, birthDate, phone, typed.homeAddress, typed.homeTel,
                             typed.company, typed.office))
                return false;
            newId = lastInsertId();
            return true;
        },
        QStringLiteral("新增客户信息出错."));
    if (saved == PhoneSave::Declined)
        ui->lineEditPhone->setFocus();
    if (saved != PhoneSave::Saved)
        return;

    customerId = int(newId);
    lastSavedName = name;
    savedFields = typed;
    ui->lineEditName->setFocus();
    showInformation(this, QStringLiteral("保存客户信息成功."), promptTitle);
}

void AddCustomerDialog::offerEditing(const PersonForm::Fields &typed)
{
    if (!askYesNo(this,
                  QStringLiteral("该客户已添加,这次的修改没有保存.\n"
                                 "是否打开已保存的客户进行编辑(编辑用户资料)?"),
                  promptTitle))
        return;
    EditCustomerDialog dialog(customerId, this);
    dialog.fillIn(typed);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The form shows the prospect as it is stored now.
    savedFields = dialog.fields();
    lastSavedName = savedFields.name.trimmed();
    PersonForm::write(ui.get(), savedFields);
}

void AddCustomerDialog::on_pushButtonClear_clicked()
{
    customerId = -1;
    PersonForm::clear(ui.get());
}

void AddCustomerDialog::reject()
{
    const PersonForm::Fields saved = customerId != -1 ? savedFields : PersonForm::Fields();
    if (PersonForm::read(ui.get()) != saved && !askCloseWithUnsavedInput(this))
        return;
    QDialog::reject();
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
    limitColumnWidths(ui->tableView);
    ui->tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
}
