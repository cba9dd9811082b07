#include "teammateearningreportdialog.h"
#include "ui_teammateearningreportdialog.h"

#include "store/teamstore.h"
#include "team/addteammateearningreportdialog.h"
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

TeammateEarningReportDialog::TeammateEarningReportDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TeammateEarningReportDialog>())
{
    ui->setupUi(this);
    // Enter on a row changes it, like a double click, and never presses "添加".
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
    enableWithCurrentRow(ui->tableView, {ui->pushButtonEdit, ui->pushButtonDelete});
}

void TeammateEarningReportDialog::on_pushButtonAdd_clicked()
{
    AddTeammateEarningReportDialog dialog(this);
    dialog.exec();
    loadReports();
}

void TeammateEarningReportDialog::on_pushButtonEdit_clicked()
{
    const QModelIndex current = ui->tableView->currentIndex();
    if (!current.isValid())
        return;
    AddTeammateEarningReportDialog dialog(this, model->record(current.row()));
    dialog.exec();
    loadReports();
}

void TeammateEarningReportDialog::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (index.isValid())
        on_pushButtonEdit_clicked();
}

void TeammateEarningReportDialog::on_pushButtonDelete_clicked()
{
    const QModelIndex current = ui->tableView->currentIndex();
    if (!current.isValid())
        return;
    const QSqlRecord record = model->record(current.row());
    if (!askYesNo(this,
                  QStringLiteral("确定要删除 %1 %2 的业绩数据吗?")
                      .arg(record.value(QStringLiteral("name")).toString(),
                           QDateTime::fromSecsSinceEpoch(
                               record.value(QStringLiteral("report_time")).toLongLong())
                               .toString(QStringLiteral("yyyy-MM-dd"))),
                  QStringLiteral("提示")))
        return;
    // A refusal comes from the store, with its reason.
    deleteEarningReport(record.value(QStringLiteral("id")).toInt());
    loadReports();
}

void TeammateEarningReportDialog::on_pushButtonClose_clicked()
{
    close();
}
