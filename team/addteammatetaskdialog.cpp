#include "addteammatetaskdialog.h"
#include "ui_addteammatetaskdialog.h"

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

AddTeammateTaskDialog::AddTeammateTaskDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::AddTeammateTaskDialog>())
{
    ui->setupUi(this);
    for (int year = 2010; year <= 2049; ++year)
        ui->comboBoxYear->addItem(QString::number(year), year);
    ui->comboBoxYear->setCurrentIndex(-1);
    acceptMoneyOnly(ui->lineEditMoney);
    acceptCountOnly(ui->lineEditHelperCount);
    ui->dateEditBegin->setDate(Clock::now().date());
    input.watch({ui->lineEditTeammate, ui->comboBoxYear, ui->dateEditBegin, ui->lineEditMoney,
                 ui->lineEditHelperCount});
    // The member comes first; its field is read-only, so its button takes the focus.
    ui->pushButtonSelectTeammate->setFocus();
}

AddTeammateTaskDialog::AddTeammateTaskDialog(QWidget *parent, const QSqlRecord &plan)
    : AddTeammateTaskDialog(parent)
{
    planId = plan.value(QStringLiteral("id")).toInt();
    teammateId = plan.value(QStringLiteral("helper_id")).toInt();
    teammateName = plan.value(QStringLiteral("name")).toString();
    setWindowTitle(QStringLiteral("修改个人年度工作计划"));
    ui->lineEditTeammate->setText(teammateName);
    ui->comboBoxYear->setCurrentIndex(
        ui->comboBoxYear->findData(plan.value(QStringLiteral("year")).toInt()));
    ui->dateEditBegin->setDate(
        QDateTime::fromSecsSinceEpoch(plan.value(QStringLiteral("begin_date")).toLongLong())
            .date());
    ui->lineEditMoney->setText(plan.value(QStringLiteral("money")).toString());
    ui->lineEditHelperCount->setText(plan.value(QStringLiteral("helper_count")).toString());
    input.markSaved();
    ui->lineEditMoney->setFocus();
}

AddTeammateTaskDialog::~AddTeammateTaskDialog() = default;

void AddTeammateTaskDialog::on_dateEditBegin_dateChanged(const QDate &date)
{
    ui->dateEditBegin->calendarWidget()->setSelectedDate(date);
}

void AddTeammateTaskDialog::on_pushButtonSelectTeammate_clicked()
{
    if (!pickTeammate(this, teammateId, teammateName))
        return;
    ui->lineEditTeammate->setText(teammateName);
    ui->comboBoxYear->setFocus();
}

void AddTeammateTaskDialog::on_pushButtonOk_clicked()
{
    if (teammateId == -1) {
        ui->pushButtonSelectTeammate->setFocus();
        showWarning(this, QStringLiteral("请指定团队成员"), promptTitle);
        return;
    }
    if (ui->comboBoxYear->currentIndex() == -1) {
        ui->comboBoxYear->setFocus();
        showWarning(this, QStringLiteral("请指定计划年份"), promptTitle);
        return;
    }
    const int year = ui->comboBoxYear->currentText().toInt();
    const Seconds begin = GetDayBegin(ui->dateEditBegin->date());
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
    // A plan changed in place is checked against the other plans in the saving transaction.
    if (planId >= 0) {
        if (updateTeammateTask(planId, teammateId, year, begin, *money, *count))
            accept();
        return;
    }
    if (teammateTaskExists(teammateId, year)) {
        showWarning(this, QStringLiteral("已经设定该成员的该年度工作计划"), promptTitle);
        return;
    }
    if (!addTeammateTask(teammateId, year, begin, *money, *count))
        return; // the store has shown why; everything stays as typed

    // Ready for the next member of the same year.
    teammateId = -1;
    teammateName.clear();
    ui->lineEditTeammate->clear();
    ui->lineEditMoney->clear();
    ui->lineEditHelperCount->clear();
    input.markSaved();
    ui->pushButtonSelectTeammate->setFocus();
}

void AddTeammateTaskDialog::on_pushButtonCancel_clicked()
{
    close();
}

void AddTeammateTaskDialog::reject()
{
    if (input.mayDrop(this))
        QDialog::reject();
}
