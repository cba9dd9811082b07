#include "callhelperdialog.h"
#include "ui_callhelperdialog.h"

CallHelperDialog::CallHelperDialog(QSqlQueryModel *listModel, const QModelIndex &index,
                                   QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::CallHelperDialog>()), listModel(listModel)
{
    ui->setupUi(this);
    Q_UNUSED(index);
}

CallHelperDialog::~CallHelperDialog() = default;

void CallHelperDialog::on_pushButtonToFirst_clicked() {}
void CallHelperDialog::on_pushButtonToLast_clicked() {}
void CallHelperDialog::on_pushButtonToPrev_clicked() {}
void CallHelperDialog::on_pushButtonToNext_clicked() {}
void CallHelperDialog::on_pushButtonUseless_clicked() {}
void CallHelperDialog::on_pushButtonSave_clicked() {}
void CallHelperDialog::on_pushButtonReturn_clicked()
{
    reject();
}
void CallHelperDialog::on_dateEditBirthDate_dateChanged(const QDate &) {}
void CallHelperDialog::currentIndexChanged(int) {}
void CallHelperDialog::on_pushButtonTeammate_clicked() {}
void CallHelperDialog::on_listViewPhoneSkills_clicked(const QModelIndex &) {}
void CallHelperDialog::advance() {}
int CallHelperDialog::currentHelperId() const
{
    return -1;
}
