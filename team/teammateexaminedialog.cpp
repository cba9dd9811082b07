#include "teammateexaminedialog.h"
#include "ui_teammateexaminedialog.h"

#include "common/dateutils.h"
#include "widgets/messageboxes.h"
#include "store/teamstore.h"
#include "common/planshares.h"
#include "team/teamforms.h"

#include <QDateTime>
#include <QSqlQueryModel>
#include <QTableWidget>

namespace {
const QString promptTitle = QStringLiteral("提示");

// Columns of the plan model.
enum TaskColumn
{
    TaskBeginDate = 4,
    TaskMoney = 5,
    TaskHelperCount = 6
};

void prepareShareTable(QTableWidget *table)
{
    table->setRowCount(1);
    table->setColumnCount(2);
    table->setHorizontalHeaderLabels(
        {QStringLiteral("计划完成销售额"), QStringLiteral("计划完成增员数")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void clearShareTable(QTableWidget *table)
{
    for (int column = 0; column < 2; ++column) {
        if (QTableWidgetItem *cell = table->item(0, column))
            cell->setText(QString());
    }
}

void setCell(QTableWidget *table, int column, qint64 value)
{
    QTableWidgetItem *cell = table->item(0, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        table->setItem(0, column, cell);
    }
    cell->setText(QString::number(value));
}

void showShare(QTableWidget *table, const PlanShare &share)
{
    setCell(table, 0, share.money);
    setCell(table, 1, share.helperCount);
    table->resizeColumnsToContents();
}

TeammateExamineDialog::RecordedActivitySource &recordedActivitySource()
{
    static TeammateExamineDialog::RecordedActivitySource source;
    return source;
}

void showSums(QTableView *view, QSqlQueryModel *model)
{
    view->setModel(model);
    view->resizeColumnsToContents();
}
} // namespace

TeammateExamineDialog::TeammateExamineDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TeammateExamineDialog>())
{
    ui->setupUi(this);
    for (int item = 2010; item <= 2049; ++item)
        ui->comboBoxYear->addItem(QString::number(item), item);
    ui->comboBoxYear->setCurrentIndex(-1);
    prepareShareTable(ui->tableWidgetMonthTask);
    prepareShareTable(ui->tableWidgetWeekTask);
    ui->tabWidget->setCurrentIndex(0);
    ui->pushButtonSelectTeammate->setFocus();
}

TeammateExamineDialog::~TeammateExamineDialog()
{
    // The views must let go of the sum models before those are destroyed.
    ui->tableViewEarningReport->setModel(nullptr);
    ui->tableViewEarningReportMonth->setModel(nullptr);
    ui->tableViewEarningReportWeek->setModel(nullptr);
}

void TeammateExamineDialog::on_pushButtonSelectTeammate_clicked()
{
    if (!TeamForms::pickTeammate(this, teammateId, teammateName))
        return;
    ui->lineEditTeammate->setText(teammateName);
    ui->comboBoxYear->setFocus();
}

void TeammateExamineDialog::on_pushButtonQuery_clicked()
{
    if (teammateId == -1) {
        showWarning(this, QStringLiteral("请先选择团队成员"), promptTitle);
        return;
    }
    if (ui->comboBoxYear->currentIndex() == -1) {
        showWarning(this, QStringLiteral("请设置考核年份"), promptTitle);
        return;
    }
    year = ui->comboBoxYear->currentText().toInt();
    runAssessment();
}

void TeammateExamineDialog::assess(int id, const QString &name, int assessedYear)
{
    teammateId = id;
    teammateName = name;
    ui->lineEditTeammate->setText(name);
    ui->comboBoxYear->setCurrentIndex(ui->comboBoxYear->findData(assessedYear));
    on_pushButtonQuery_clicked();
}

void TeammateExamineDialog::runAssessment()
{
    ui->tableViewTask->setModel(nullptr);
    ui->tableViewEarningReport->setModel(nullptr);
    ui->tableViewEarningReportMonth->setModel(nullptr);
    ui->tableViewEarningReportWeek->setModel(nullptr);
    clearShareTable(ui->tableWidgetMonthTask);
    clearShareTable(ui->tableWidgetWeekTask);
    ui->labelMonth->clear();
    ui->labelWeek->clear();
    ++activityQueries;
    ui->labelActivityYear->clear();
    ui->labelActivityMonth->clear();
    ui->labelActivityWeek->clear();
    ui->labelYear->setText(QString::number(year) + QStringLiteral("年"));

    delete taskModel;
    yearSumModel.reset();
    monthSumModel.reset();
    weekSumModel.reset();

    taskModel = loadTeammateTasksModel(
        this, QStringLiteral(" helper_id = %1 AND year = %2").arg(teammateId).arg(year));
    ui->tableViewTask->setModel(taskModel);
    for (int column = 0; column < TaskMoney; ++column)
        ui->tableViewTask->hideColumn(column);
    ui->tableViewTask->resizeColumnsToContents();

    yearSumModel.reset(
        loadEarningSumModelForPeriod(teammateId, yearBeginTime(year), yearEndTime(year)));
    showSums(ui->tableViewEarningReport, yearSumModel.get());
    showRecordedActivity(ui->labelActivityYear, yearBeginTime(year), yearEndTime(year));

    // Month and week only mean something in the current year.
    if (year != Clock::now().date().year())
        return;
    monthSumModel.reset(loadEarningSumModelForPeriod(teammateId, monthBeginTime(), monthEndTime()));
    showSums(ui->tableViewEarningReportMonth, monthSumModel.get());
    showRecordedActivity(ui->labelActivityMonth, monthBeginTime(), monthEndTime());
    weekSumModel.reset(loadEarningSumModelForPeriod(teammateId, weekBeginTime(), weekEndTime()));
    showSums(ui->tableViewEarningReportWeek, weekSumModel.get());
    showRecordedActivity(ui->labelActivityWeek, weekBeginTime(), weekEndTime());
    showPlanShares();
}

void TeammateExamineDialog::showPlanShares()
{
    if (taskModel->rowCount() == 0)
        return;
    const auto value = [this](int column) {
        return taskModel->data(taskModel->index(0, column)).toLongLong();
    };
    const QDate today = Clock::now().date();
    const QDate begin = QDateTime::fromSecsSinceEpoch(value(TaskBeginDate)).date();
    const PlanShares shares = planShares(today, begin, value(TaskMoney), value(TaskHelperCount));
    if (shares.month) {
        ui->labelMonth->setText(QString::number(today.month()) + QStringLiteral("月"));
        showShare(ui->tableWidgetMonthTask, *shares.month);
    }
    if (shares.week) {
        const QString format = QStringLiteral("yyyy-MM-dd");
        ui->labelWeek->setText(QStringLiteral("(") + shares.week->from.toString(format) +
                               QStringLiteral("至") + shares.week->to.toString(format) +
                               QStringLiteral(")"));
        showShare(ui->tableWidgetWeekTask, *shares.week);
    }
}

void TeammateExamineDialog::on_pushButtonClose_clicked()
{
    close();
}

void TeammateExamineDialog::setRecordedActivitySource(RecordedActivitySource source)
{
    recordedActivitySource() = std::move(source);
}

void TeammateExamineDialog::showRecordedActivity(QLabel *label, qint64 from, qint64 to)
{
    const RecordedActivitySource &source = recordedActivitySource();
    if (!source)
        return;
    const auto date = [](qint64 time) { return QDateTime::fromSecsSinceEpoch(time).date(); };
    // The answer may come after a new query: only the latest query's is shown.
    const int asked = activityQueries;
    source(teammateId, date(from), date(to), label, [this, label, asked](const QString &text) {
        if (asked == activityQueries)
            label->setText(QStringLiteral("团队服务器记录的活动量: ") + text);
    });
}
