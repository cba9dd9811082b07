#include "teammateearningreportdialog.h"
#include "ui_teammateearningreportdialog.h"

#include "store/teamstore.h"
#include "team/addteammateearningreportdialog.h"
#include "widgets/datecolumndelegate.h"
#include "team/teamforms.h"

#include <QSqlQueryModel>

namespace {
const int memberIdColumn = 1;
}

TeammateEarningReportDialog::TeammateEarningReportDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TeammateEarningReportDialog>())
{
    ui->setupUi(this);
    // Nothing opens on a row here, and Enter must not press "添加" instead.
    TeamForms::enterActsAsDoubleClick(ui->tableView);
    loadReports();
}

TeammateEarningReportDialog::~TeammateEarningReportDialog() = default;

void TeammateEarningReportDialog::loadReports()
{
    ui->tableView->setModel(nullptr);
    delete model;
    delete delegate;

    model = loadEarningReportsModel(this);
    delegate = new TeammateEarningReportDelegate(this);
    ui->tableView->setModel(model);
    ui->tableView->setItemDelegate(delegate);
    ui->tableView->hideColumn(memberIdColumn);
    ui->tableView->resizeColumnsToContents();
    ui->tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void TeammateEarningReportDialog::on_pushButtonAdd_clicked()
{
    AddTeammateEarningReportDialog dialog(this);
    dialog.exec();
    loadReports();
}

void TeammateEarningReportDialog::on_pushButtonClose_clicked()
{
    close();
}
