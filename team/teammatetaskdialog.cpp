#include "teammatetaskdialog.h"
#include "ui_teammatetaskdialog.h"

#include "store/teamstore.h"
#include "team/addteammatetaskdialog.h"
#include "team/teamforms.h"
#include "widgets/datecolumndelegate.h"
#include "widgets/listkeys.h"
#include "widgets/messageboxes.h"

#include <QDateTime>
#include <QSqlQueryModel>
#include <QSqlRecord>

namespace {
const int memberIdColumn = 1;
}

TeammateTaskDialog::TeammateTaskDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TeammateTaskDialog>())
{
    ui->setupUi(this);
    // Enter on a row changes it, like a double click, and never presses "添加".
    TeamForms::enterActsAsDoubleClick(ui->tableView);
    LoadDb();
}

TeammateTaskDialog::~TeammateTaskDialog() = default;

void TeammateTaskDialog::LoadDb()
{
    ui->tableView->setModel(nullptr);
    delete model;
    delete delegate;

    model = loadTeammateTasksModel(this, QString());
    delegate = new TeammateTaskDelegate(this);
    ui->tableView->setModel(model);
    ui->tableView->setItemDelegate(delegate);
    ui->tableView->hideColumn(memberIdColumn);
    ui->tableView->resizeColumnsToContents();
    ui->tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    enableWithCurrentRow(ui->tableView, {ui->pushButtonEdit, ui->pushButtonDelete});
}

void TeammateTaskDialog::on_pushButtonAdd_clicked()
{
    AddTeammateTaskDialog dialog(this);
    dialog.exec();
    LoadDb();
}

void TeammateTaskDialog::on_pushButtonEdit_clicked()
{
    const QModelIndex current = ui->tableView->currentIndex();
    if (!current.isValid())
        return;
    AddTeammateTaskDialog dialog(this, model->record(current.row()));
    dialog.exec();
    LoadDb();
}

void TeammateTaskDialog::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (index.isValid())
        on_pushButtonEdit_clicked();
}

void TeammateTaskDialog::on_pushButtonDelete_clicked()
{
    const QModelIndex current = ui->tableView->currentIndex();
    if (!current.isValid())
        return;
    const QSqlRecord record = model->record(current.row());
    if (!askYesNo(this,
                  QStringLiteral("确定要删除 %1 的 %2 年工作计划吗?")
                      .arg(record.value(QStringLiteral("name")).toString(),
                           record.value(QStringLiteral("year")).toString()),
                  QStringLiteral("提示")))
        return;
    // A refusal comes from the store, with its reason.
    deleteTeammateTask(record.value(QStringLiteral("id")).toInt());
    LoadDb();
}

void TeammateTaskDialog::on_pushButtonClose_clicked()
{
    close();
}
