#include "teammatetaskdialog.h"
#include "ui_teammatetaskdialog.h"

#include "store/teamstore.h"
#include "team/addteammatetaskdialog.h"
#include "widgets/datecolumndelegate.h"
#include "team/teamforms.h"

#include <QSqlQueryModel>

namespace {
const int memberIdColumn = 1;
}

TeammateTaskDialog::TeammateTaskDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TeammateTaskDialog>())
{
    ui->setupUi(this);
    // Nothing opens on a row here, and Enter must not press "添加" instead.
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
}

void TeammateTaskDialog::on_pushButtonAdd_clicked()
{
    AddTeammateTaskDialog dialog(this);
    dialog.exec();
    LoadDb();
}

void TeammateTaskDialog::on_pushButtonClose_clicked()
{
    close();
}
