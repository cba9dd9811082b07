#include "calldialog.h"
#include "ui_calldialog.h"

CallDialog::CallDialog(QSqlQueryModel *listModel, const QModelIndex &index, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::CallDialog>()), listModel(listModel)
{
    ui->setupUi(this);
    Q_UNUSED(index);
}

CallDialog::~CallDialog() = default;

void CallDialog::on_pushButtonReturn_clicked()
{
    reject();
}
void CallDialog::on_pushButtonSave_clicked() {}
void CallDialog::on_pushButtonUseless_clicked() {}
void CallDialog::on_pushButtonBargain_clicked() {}
void CallDialog::on_pushButtonToFirst_clicked() {}
void CallDialog::on_pushButtonToPrev_clicked() {}
void CallDialog::on_pushButtonToNext_clicked() {}
void CallDialog::on_pushButtonToLast_clicked() {}
void CallDialog::on_dateEditBirthDate_dateChanged(const QDate &) {}
void CallDialog::currentIndexChanged(int) {}
int CallDialog::getCurrentCustomerId()
{
    return currentCustomerId;
}
void CallDialog::loadKinsfolk(int) {}
void CallDialog::on_listViewPhoneSkills_clicked(const QModelIndex &) {}
bool CallDialog::enterOrderForCurrentCustomer()
{
    return false;
}
void CallDialog::advance() {}
int CallDialog::idAtRow(int) const
{
    return -1;
}
