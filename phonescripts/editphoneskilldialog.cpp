#include "editphoneskilldialog.h"
#include "ui_editphoneskilldialog.h"

#include "widgets/fieldchecks.h"

#include "phonescripts/addphoneskilldialog.h"
#include "phonescripts/editphoneskillitemdelegate.h"
#include "phonescripts/phoneskilltypes.h"

#include <QDataWidgetMapper>
#include <QSqlTableModel>

EditPhoneSkillDialog::EditPhoneSkillDialog(QSqlTableModel *model, const QModelIndex &index,
                                           QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::EditPhoneSkillDialog>()), model(model), index(index)
{
    ui->setupUi(this);
    fillPhoneSkillTypes(ui->comboBoxType);
    limitToColumns(QStringLiteral("phoneskills"),
                   {{ui->lineEditCategory, QStringLiteral("category")}});

    mapper = new QDataWidgetMapper(this);
    delegate = new EditPhoneSkillItemDelegate(this);
    mapper->setModel(model);
    mapper->setItemDelegate(delegate);
    mapper->addMapping(ui->comboBoxType, PhoneSkillColumnType);
    mapper->addMapping(ui->lineEditCategory, PhoneSkillColumnCategory);
    // The text edit's user property is its HTML; scripts are stored as plain text.
    mapper->addMapping(ui->textEditContent, PhoneSkillColumnContent, "plainText");
    mapper->setCurrentModelIndex(index);
    ui->comboBoxType->setFocus();
}

EditPhoneSkillDialog::~EditPhoneSkillDialog() = default;

void EditPhoneSkillDialog::on_pushButtonOk_clicked()
{
    mapper->submit();
    accept();
}

void EditPhoneSkillDialog::on_pushButtonCancel_clicked()
{
    reject();
}

void EditPhoneSkillDialog::on_pushButtonDelete_clicked()
{
    model->removeRows(index.row(), 1);
    mapper->submit();
    accept();
}
