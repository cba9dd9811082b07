#include "addteammatedialog.h"
#include "ui_addteammatedialog.h"

#include "common/dateutils.h"
#include "widgets/duplicatephone.h"
#include "widgets/messageboxes.h"
#include "widgets/unsavedinput.h"
#include "store/helperstore.h"
#include "widgets/personform.h"

#include <QCalendarWidget>
#include <QCloseEvent>

namespace {
const QString promptTitle = QStringLiteral("提示");
const int teamMemberType = 2;
} // namespace

AddTeammateDialog::AddTeammateDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::AddTeammateDialog>())
{
    ui->setupUi(this);
    // After the automatic connections, so that the age follows at once.
    PersonForm::prepare(ui.get(), QStringLiteral("helpers"));
    on_dateEditBirthDate_dateChanged(ui->dateEditBirthDate->date());
}

AddTeammateDialog::~AddTeammateDialog() = default;

void AddTeammateDialog::on_dateEditBirthDate_dateChanged(const QDate &date)
{
    ui->lineEditAge->setText(ageText(date));
    ui->dateEditBirthDate->calendarWidget()->setSelectedDate(date);
}

void AddTeammateDialog::on_pushButtonSave_clicked()
{
    const QString name = ui->lineEditName->text().trimmed();
    const QString phone = ui->lineEditPhone->text().trimmed();
    const int sex = ui->comboBoxSex->currentIndex();
    const QString birthDate = ui->dateEditBirthDate->date().toString(QStringLiteral("yyyy-MM-dd"));

    if (name.isEmpty()) {
        ui->lineEditName->setFocus();
        showWarning(this, QStringLiteral("请输入成员姓名."), promptTitle);
        return;
    }
    if (sex == -1) {
        ui->comboBoxSex->setFocus();
        showWarning(this, QStringLiteral("请指定成员性别."), promptTitle);
        return;
    }
    if (phone.isEmpty()) {
        ui->lineEditPhone->setFocus();
        showWarning(this, QStringLiteral("请输入成员电话信息."), promptTitle);
        return;
    }
    if (!PersonForm::checkPhones(this, ui.get()))
        return;
    // The store shows why a save failed; the typed data stays for correction.
    if (!PersonForm::saveAsHelper(this, ui.get(), name, sex, birthDate, phone, teamMemberType))
        return;
    clearForm();
}

void AddTeammateDialog::clearForm()
{
    PersonForm::clear(ui.get());
    ui->lineEditName->setFocus();
}

void AddTeammateDialog::on_pushButtonClose_clicked()
{
    close();
}

bool AddTeammateDialog::mayDiscard()
{
    if (ui->lineEditName->text().trimmed().isEmpty())
        return true;
    if (!askCloseWithUnsavedInput(this))
        return false;
    ui->lineEditName->clear();
    return true;
}

void AddTeammateDialog::closeEvent(QCloseEvent *event)
{
    if (!mayDiscard()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void AddTeammateDialog::reject()
{
    if (mayDiscard())
        QDialog::reject();
}
