#include "addkinsfolkdialog.h"
#include "ui_addkinsfolkdialog.h"

#include "common/dateutils.h"
#include "widgets/fieldchecks.h"
#include "widgets/messageboxes.h"
#include "store/customerstore.h"

#include <QCalendarWidget>

namespace {
const QString promptTitle = QStringLiteral("提示");
} // namespace

AddKinsfolkDialog::AddKinsfolkDialog(int customerId, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::AddKinsfolkDialog>()), customerId(customerId)
{
    ui->setupUi(this);
    ui->comboBoxSex->setCurrentIndex(-1);
    limitBirthDate(ui->dateEditBirthDate);
    limitToColumns(QStringLiteral("customer_kinsfolk"),
                   {{ui->lineEditName, QStringLiteral("name")},
                    {ui->lineEditRelation, QStringLiteral("relation")},
                    {ui->lineEditPhone, QStringLiteral("phone_number")},
                    {ui->lineEditCompany, QStringLiteral("company_name")},
                    {ui->lineEditOffice, QStringLiteral("office")}});
    ui->dateEditBirthDate->setDate(birthDateNotGiven());
    on_dateEditBirthDate_dateChanged(ui->dateEditBirthDate->date());
    // The cursor starts in the first field, not in the tab bar.
    ui->lineEditName->setFocus();
}

AddKinsfolkDialog::~AddKinsfolkDialog() = default;

void AddKinsfolkDialog::on_dateEditBirthDate_dateChanged(const QDate &date)
{
    ui->lineEditAge->setText(ageText(date));
    ui->dateEditBirthDate->calendarWidget()->setSelectedDate(date);
}

void AddKinsfolkDialog::on_pushButtonSave_clicked()
{
    const int sex = ui->comboBoxSex->currentIndex();
    const QString birthDate = ui->dateEditBirthDate->date().toString(QStringLiteral("yyyy-MM-dd"));
    const QString name = ui->lineEditName->text().trimmed();
    const QString phone = ui->lineEditPhone->text().trimmed();
    const QString relation = ui->lineEditRelation->text().trimmed();

    if (name.isEmpty()) {
        ui->lineEditName->setFocus();
        showWarning(this, QStringLiteral("请输入客户姓名."), promptTitle);
        return;
    }
    if (sex == -1) {
        ui->comboBoxSex->setFocus();
        showWarning(this, QStringLiteral("请指定客户性别."), promptTitle);
        return;
    }
    if (relation.isEmpty()) {
        ui->lineEditRelation->setFocus();
        showWarning(this, QStringLiteral("请输入亲属关系."), promptTitle);
        return;
    }
    if (!checkPhoneField(this, ui->lineEditPhone, QStringLiteral("联系电话")))
        return;
    if (!addKinsfolk(customerId, relation, name, sex, birthDate, phone, ui->lineEditCompany->text(),
                     ui->lineEditOffice->text()))
        return;

    ui->lineEditName->clear();
    ui->comboBoxSex->setCurrentIndex(-1);
    // The lengths stay as set; only today may have moved on.
    limitBirthDate(ui->dateEditBirthDate);
    ui->dateEditBirthDate->setDate(birthDateNotGiven());
    ui->lineEditPhone->clear();
    ui->lineEditRelation->clear();
    ui->lineEditCompany->clear();
    ui->lineEditOffice->clear();
    ui->lineEditName->setFocus();
    saved = true;
    accept();
}
