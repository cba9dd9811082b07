#include "phoneskillsdialog.h"
#include "ui_phoneskillsdialog.h"

#include "widgets/listkeys.h"
#include "phonescripts/addphoneskilldialog.h"
#include "phonescripts/editphoneskilldialog.h"
#include "phonescripts/phoneskillsitemdelegate.h"
#include "phonescripts/phoneskilltypes.h"
#include "store/catalogstore.h"

#include <QHeaderView>

#include <algorithm>

PhoneSkillsDialog::PhoneSkillsDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::PhoneSkillsDialog>())
{
    ui->setupUi(this);
    onEnterKey(ui->tableView,
               [this](const QModelIndex &index) { on_tableView_doubleClicked(index); });
    load();
    ui->tableView->setFocus();
}

PhoneSkillsDialog::~PhoneSkillsDialog() = default;

void PhoneSkillsDialog::load()
{
    ui->tableView->setModel(nullptr);
    delete model;
    delete delegate;

    model = loadPhoneSkillsModel(this, QString());
    delegate = new PhoneSkillsItemDelegate(this);
    ui->tableView->setModel(model);
    ui->tableView->setItemDelegate(delegate);
    ui->tableView->resizeColumnsToContents();
    ui->tableView->setColumnWidth(PhoneSkillColumnType, 60);
    // Sized to a script's whole text, the last column put its header out of
    // sight: it fills what is left, its texts cut short (the edit shows them).
    ui->tableView->setColumnWidth(
        PhoneSkillColumnCategory,
        std::min(ui->tableView->columnWidth(PhoneSkillColumnCategory), 240));
    ui->tableView->setColumnWidth(PhoneSkillColumnContent, 160);
    ui->tableView->horizontalHeader()->setStretchLastSection(true);
    ui->tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void PhoneSkillsDialog::on_pushButtonClose_clicked()
{
    close();
}

void PhoneSkillsDialog::on_pushButtonAdd_clicked()
{
    AddPhoneSkillDialog dialog(this);
    dialog.exec();
    load();
}

void PhoneSkillsDialog::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    EditPhoneSkillDialog dialog(model, index, this);
    dialog.exec();
    load();
}
