#include "addhelperdialog.h"
#include "ui_addhelperdialog.h"

#include "common/dateutils.h"
#include "widgets/messageboxes.h"
#include "widgets/unsavedinput.h"
#include "widgets/duplicatephone.h"
#include "store/helperstore.h"
#include "widgets/personform.h"

#include <QCalendarWidget>
#include <QCloseEvent>
#include <QKeyEvent>

namespace {
const QString promptTitle = QStringLiteral("提示");
} // namespace

AddHelperDialog::AddHelperDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::AddHelperDialog>())
{
    ui->setupUi(this);
    // After the automatic connections, so that the age follows at once.
    PersonForm::prepare(ui.get(), QStringLiteral("helpers"));
    on_dateEditBirthDate_dateChanged(ui->dateEditBirthDate->date());
}

AddHelperDialog::~AddHelperDialog() = default;

void AddHelperDialog::on_dateEditBirthDate_dateChanged(const QDate &date)
{
    ui->lineEditAge->setText(ageText(date));
    ui->dateEditBirthDate->calendarWidget()->setSelectedDate(date);
}

void AddHelperDialog::on_pushButtonClose_clicked()
{
    // The same question as the window's close button and Esc.
    close();
}

void AddHelperDialog::on_pushButtonSave_clicked()
{
    const int sex = ui->comboBoxSex->currentIndex();
    const QString birthDate = ui->dateEditBirthDate->date().toString(QStringLiteral("yyyy-MM-dd"));
    const QString name = ui->lineEditName->text().trimmed();
    const QString phone = ui->lineEditPhone->text().trimmed();

    if (name.isEmpty()) {
        ui->lineEditName->setFocus();
        showWarning(this, QStringLiteral("请输入增员姓名."), promptTitle);
        return;
    }
    if (sex == -1) {
        ui->comboBoxSex->setFocus();
        showWarning(this, QStringLiteral("请指定增员性别."), promptTitle);
        return;
    }
    if (phone.isEmpty()) {
        ui->lineEditPhone->setFocus();
        showWarning(this, QStringLiteral("请输入增员电话信息."), promptTitle);
        return;
    }
    if (!PersonForm::checkPhones(this, ui.get()))
        return;
    // A number someone already has is usually the same person entered twice.
    if (!PersonForm::saveAsHelper(this, ui.get(), name, sex, birthDate, phone, 1))
        return;

    clearForm();
    ui->lineEditName->setFocus();
}

void AddHelperDialog::clearForm()
{
    PersonForm::clear(ui.get());
}

void AddHelperDialog::closeEvent(QCloseEvent *event)
{
    if (ui->lineEditName->text().trimmed().isEmpty()) {
        event->accept();
        return;
    }
    // A typed but unsaved recruit would be lost; "否" is the safe answer.
    if (askCloseWithUnsavedInput(this)) {
        ui->lineEditName->clear();
        event->accept();
    } else {
        event->ignore();
    }
}

void AddHelperDialog::keyPressEvent(QKeyEvent *event)
{
    // QDialog would reject at once and drop a typed recruit without asking.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}
