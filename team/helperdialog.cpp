#include "helperdialog.h"
#include "ui_helperdialog.h"

#include "calling/callhelperdialog.h"
#include "exchange/importpeopledialog.h"
#include "exchange/listexportdialog.h"
#include "widgets/persontable.h"
#include "widgets/rowactivation.h"
#include "widgets/searchcondition.h"
#include "store/customermodels.h"
#include "store/helperstore.h"
#include "team/addhelperdialog.h"
#include "widgets/helperitemdelegate.h"
#include "widgets/dialer.h"

#include <QSqlTableModel>

HelperDialog::HelperDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::HelperDialog>())
{
    ui->setupUi(this);
    addDialToContextMenu(ui->tableView, ColumnPhoneNumber);
    activateRowsOnEnter(ui->tableView);
    reload();
    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint);
    ui->lineEditName->setFocus();
}

HelperDialog::~HelperDialog() = default;

void HelperDialog::reload()
{
    ui->tableView->setModel(nullptr);
    delete model;
    delete delegate;

    // Team members (2) and abandoned recruits (0) are listed elsewhere.
    condition = personSearchCondition(
        QStringLiteral(" user_type = 1 "),
        {ui->lineEditName->text(), ui->lineEditBirthday->text(), ui->lineEditHomeAddress->text()},
        NameStorage::Plain);
    model = loadHelpersModel(this, condition);
    delegate = new HelperItemDelegate(this);
    showPersonTable(ui->tableView, model, delegate, {ColumnUserType});
}

void HelperDialog::on_pushButtonClose_clicked()
{
    close();
}

void HelperDialog::on_pushButtonAdd_clicked()
{
    {
        AddHelperDialog dialog(this);
        dialog.exec();
    }
    reload();
}

void HelperDialog::on_pushButtonSearch_clicked()
{
    reload();
    ui->lineEditName->setFocus();
}

void HelperDialog::on_pushButtonExport_clicked()
{
    exportListInteractively(this, exportSource(ExportList::Recruits, condition),
                            QStringLiteral("准增员"));
}

void HelperDialog::on_pushButtonImport_clicked()
{
    {
        ImportPeopleDialog dialog(PersonTable::Helpers, this);
        dialog.exec();
    }
    reload();
}

void HelperDialog::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (!index.isValid() || !model)
        return;
    {
        CallHelperDialog dialog(model, index, this);
        dialog.exec();
    }
    reload();
}
