#include "uselesshelpersdialog.h"
#include "ui_uselesshelpersdialog.h"

#include "widgets/messageboxes.h"
#include "widgets/persontable.h"
#include "widgets/rowactivation.h"
#include "widgets/searchcondition.h"
#include "store/customermodels.h"
#include "store/helperstore.h"
#include "widgets/helperitemdelegate.h"
#include "widgets/dialer.h"

#include <QSqlTableModel>

UselessHelpersDialog::UselessHelpersDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::UselessHelpersDialog>())
{
    ui->setupUi(this);
    addDialToContextMenu(ui->tableView, ColumnPhoneNumber);
    // Enter on a row must not fall through to the search and reset the list.
    activateRowsOnEnter(ui->tableView);
    reload();
    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint);
}

UselessHelpersDialog::~UselessHelpersDialog() = default;

void UselessHelpersDialog::reload()
{
    ui->tableView->setModel(nullptr);
    delete model;
    delete delegate;

    const QString condition = personSearchCondition(
        QStringLiteral(" user_type = 0 "),
        {ui->lineEditName->text(), ui->lineEditBirthday->text(), ui->lineEditHomeAddress->text()},
        NameStorage::Plain);
    model = loadHelpersModel(this, condition);
    delegate = new HelperItemDelegate(this);
    showPersonTable(ui->tableView, model, delegate, {ColumnUserType});
}

void UselessHelpersDialog::on_pushButtonClose_clicked()
{
    close();
}

void UselessHelpersDialog::on_pushButtonSearch_clicked()
{
    reload();
    ui->lineEditName->setFocus();
}

void UselessHelpersDialog::on_pushButtonRecover_clicked()
{
    const QModelIndex current = ui->tableView->currentIndex();
    if (!current.isValid()) {
        showWarning(this, QStringLiteral("请先选中要追回的准增员"), QStringLiteral("提示"));
        return;
    }
    setHelperUserType(model->data(model->index(current.row(), ColumnId)).toInt(), 1);
    reload();
}
