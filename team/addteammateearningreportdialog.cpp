#include "addteammateearningreportdialog.h"
#include "ui_addteammateearningreportdialog.h"

#include "common/dateutils.h"
#include "widgets/messageboxes.h"
#include "store/teamstore.h"
#include "team/teamforms.h"

#include <QCalendarWidget>
#include <QDateTime>
#include <QSqlRecord>

using namespace TeamForms;

namespace {
const QString promptTitle = QStringLiteral("提示");
}

AddTeammateEarningReportDialog::AddTeammateEarningReportDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::AddTeammateEarningReportDialog>())
{
    ui->setupUi(this);
    acceptMoneyOnly(ui->lineEditMoney);
    acceptCountOnly(ui->lineEditHelperCount);
    ui->dateEdit->setDate(Clock::now().date());
    input.watch({ui->lineEditTeammate, ui->dateEdit, ui->lineEditMoney, ui->lineEditHelperCount,
                 ui->lineEditMemo});
    // The member comes first; its field is read-only, so its button takes the focus.
    ui->pushButtonSelectTeammate->setFocus();
}

AddTeammateEarningReportDialog::AddTeammateEarningReportDialog(QWidget *parent,
                                                               const QSqlRecord &report)
    : AddTeammateEarningReportDialog(parent)
{
    reportId = report.value(QStringLiteral("id")).toInt();
    teammateId = report.value(QStringLiteral("helper_id")).toInt();
    teammateName = report.value(QStringLiteral("name")).toString();
    setWindowTitle(QStringLiteral("修改团队成员业绩数据"));
    ui->lineEditTeammate->setText(teammateName);
    ui->lineEditMoney->setText(report.value(QStringLiteral("money")).toString());
    ui->lineEditHelperCount->setText(report.value(QStringLiteral("helper_count")).toString());
    ui->dateEdit->setDate(
        QDateTime::fromSecsSinceEpoch(report.value(QStringLiteral("report_time")).toLongLong())
            .date());
    ui->lineEditMemo->setText(report.value(QStringLiteral("memo")).toString());
    input.markSaved();
    ui->lineEditMoney->setFocus();
}

AddTeammateEarningReportDialog::~AddTeammateEarningReportDialog() = default;

void AddTeammateEarningReportDialog::on_dateEdit_dateChanged(const QDate &date)
{
    ui->dateEdit->calendarWidget()->setSelectedDate(date);
}

void AddTeammateEarningReportDialog::on_pushButtonSelectTeammate_clicked()
{
    if (!pickTeammate(this, teammateId, teammateName))
        return;
    ui->lineEditTeammate->setText(teammateName);
    ui->lineEditMoney->setFocus();
}

void AddTeammateEarningReportDialog::on_pushButtonOk_clicked()
{
    if (teammateId == -1) {
        ui->pushButtonSelectTeammate->setFocus();
        showWarning(this, QStringLiteral("请指定团队成员"), promptTitle);
        return;
    }
    const std::optional<qint64> money = moneyValue(ui->lineEditMoney);
    if (!money) {
        ui->lineEditMoney->setFocus();
        showWarning(this, QStringLiteral("请指定有效的销售额"), promptTitle);
        return;
    }
    const std::optional<int> count = countValue(ui->lineEditHelperCount);
    if (!count) {
        ui->lineEditHelperCount->setFocus();
        showWarning(this, QStringLiteral("请指定有效的增员数"), promptTitle);
        return;
    }
    if (*money == 0 && *count == 0) {
        ui->lineEditMoney->setFocus();
        showWarning(this, QStringLiteral("请指定有效的销售额或增员数"), promptTitle);
        return;
    }
    const Seconds reportTime = GetDayBegin(ui->dateEdit->date());
    if (reportId >= 0) {
        if (updateEarningReport(reportId, teammateId, reportTime, *money, *count,
                                ui->lineEditMemo->text()))
            accept();
        return;
    }
    if (!addEarningReport(teammateId, reportTime, *money, *count, ui->lineEditMemo->text()))
        return; // the store has shown why; everything stays as typed

    teammateId = -1;
    teammateName.clear();
    ui->lineEditTeammate->clear();
    ui->lineEditMoney->clear();
    ui->lineEditHelperCount->clear();
    ui->lineEditMemo->clear();
    input.markSaved();
    ui->pushButtonSelectTeammate->setFocus();
}

void AddTeammateEarningReportDialog::on_pushButtonCancel_clicked()
{
    reject();
}

void AddTeammateEarningReportDialog::reject()
{
    if (input.mayDrop(this))
        QDialog::reject();
}
