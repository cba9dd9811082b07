#include "addteammateearningreportdialog.h"
#include "ui_addteammateearningreportdialog.h"

#include "common/dateutils.h"
#include "widgets/messageboxes.h"
#include "store/teamstore.h"
#include "team/teamforms.h"

#include <QCalendarWidget>

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
    // The member comes first; its field is read-only, so its button takes the focus.
    ui->pushButtonSelectTeammate->setFocus();
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
    if (!addEarningReport(teammateId, reportTime, *money, *count, ui->lineEditMemo->text()))
        return; // the store has shown why; everything stays as typed

    teammateId = -1;
    teammateName.clear();
    ui->lineEditTeammate->clear();
    ui->lineEditMoney->clear();
    ui->lineEditHelperCount->clear();
    ui->lineEditMemo->clear();
    ui->pushButtonSelectTeammate->setFocus();
}

void AddTeammateEarningReportDialog::on_pushButtonCancel_clicked()
{
    done(QDialog::Rejected);
}
