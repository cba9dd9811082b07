#include "statisticsdialog.h"
#include "ui_statisticsdialog.h"

#include "common/appsettings.h"
#include "common/dateutils.h"
#include "statistics/statisticsloader.h"
#include "statistics/statisticspanel.h"

#include <QRegularExpression>
#include <QSignalBlocker>

namespace {
constexpr int maxStatisticsYears = 10;

struct SeriesPage
{
    StatSeries series;
    const char *objectName;
    const char *tab;
};

const SeriesPage pages[] = {
    {StatSeries::Calls, "panelCalls", "联系量"},
    {StatSeries::Funnel, "panelFunnel", "转化"},
    {StatSeries::Orders, "panelOrders", "订单"},
    {StatSeries::Products, "panelProducts", "产品"},
    {StatSeries::TalkTime, "panelTalkTime", "通话时长"},
    {StatSeries::Outcomes, "panelOutcomes", "通话结果"},
    {StatSeries::Team, "panelTeam", "团队"},
};

QString bucketName(StatBucket bucket)
{
    switch (bucket) {
    case StatBucket::Day:
        return QStringLiteral("按日");
    case StatBucket::Week:
        return QStringLiteral("按周");
    case StatBucket::Month:
        break;
    }
    return QStringLiteral("按月");
}
} // namespace

StatisticsDialog::StatisticsDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::StatisticsDialog>())
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    for (const SeriesPage &page : pages) {
        auto *panel = new StatisticsPanel(ui->tabWidget);
        panel->setObjectName(QLatin1String(page.objectName));
        ui->tabWidget->addTab(panel, QString::fromUtf8(page.tab));
        m_panels.insert(page.series, panel);
    }
    m_loader = new StatisticsLoader(this);
    connect(m_loader, &StatisticsLoader::loaded, this, &StatisticsDialog::showSeries);
    connect(m_loader, &StatisticsLoader::failed, this, &StatisticsDialog::showFailure);
    connect(ui->dateEditFrom, &QDateEdit::dateChanged, this, &StatisticsDialog::reload);
    connect(ui->dateEditTo, &QDateEdit::dateChanged, this, &StatisticsDialog::reload);
    connect(ui->comboBoxPeople, &QComboBox::currentIndexChanged, this, &StatisticsDialog::reload);
    on_pushButtonThisMonth_clicked();
    ui->pushButtonThisMonth->setFocus();
}

StatisticsDialog::~StatisticsDialog() = default;

void StatisticsDialog::setRange(const QDate &from, const QDate &to)
{
    {
        const QSignalBlocker blockFrom(ui->dateEditFrom);
        const QSignalBlocker blockTo(ui->dateEditTo);
        ui->dateEditFrom->setDate(from);
        ui->dateEditTo->setDate(to);
    }
    reload();
}

void StatisticsDialog::on_pushButtonThisWeek_clicked()
{
    setRange(weekBeginDate(), weekEndDate());
}

void StatisticsDialog::on_pushButtonThisMonth_clicked()
{
    const QDate today = Clock::now().date();
    setRange(QDate(today.year(), today.month(), 1),
             QDate(today.year(), today.month(), today.daysInMonth()));
}

void StatisticsDialog::on_pushButtonThisYear_clicked()
{
    const int year = Clock::now().date().year();
    setRange(QDate(year, 1, 1), QDate(year, 12, 31));
}

void StatisticsDialog::on_pushButtonLastMonth_clicked()
{
    const QDate first = Clock::now().date().addMonths(-1);
    setRange(QDate(first.year(), first.month(), 1),
             QDate(first.year(), first.month(), first.daysInMonth()));
}

void StatisticsDialog::reload()
{
    m_request.from = ui->dateEditFrom->date();
    m_request.to = ui->dateEditTo->date();
    m_request.people =
        ui->comboBoxPeople->currentIndex() == 1 ? StatPeople::Recruits : StatPeople::Prospects;
    m_request.dailyQuota = m_request.people == StatPeople::Recruits ? appSettings.helpersCount()
                                                                    : appSettings.customersCount();
    m_request.today = Clock::now().date();
    // Said in the window, not in a box: the agent is probably still typing.
    QString refusal;
    if (m_request.to < m_request.from)
        refusal = QStringLiteral("开始日期晚于结束日期，没有可统计的期间。");
    else if (m_request.from.addYears(maxStatisticsYears) <= m_request.to)
        // A century of months would keep every chart computing for minutes.
        refusal = QStringLiteral("统计期间不能超过 %1 年，请缩短期间。").arg(maxStatisticsYears);
    if (!refusal.isEmpty()) {
        ui->labelStatus->setText(refusal);
        m_loader->cancel();
        m_pending = 0;
        for (StatisticsPanel *panel : std::as_const(m_panels))
            panel->showMessage(refusal);
        return;
    }
    ui->labelStatus->setText(QStringLiteral("%1统计 %2 至 %3")
                                 .arg(bucketName(bucketForRange(m_request.from, m_request.to)),
                                      m_request.from.toString(QStringLiteral("yyyy-MM-dd")),
                                      m_request.to.toString(QStringLiteral("yyyy-MM-dd"))));
    for (StatisticsPanel *panel : std::as_const(m_panels))
        panel->showMessage(QStringLiteral("正在统计..."));
    m_pending = int(m_panels.size());
    m_loader->request(m_request);
}

ChartSpec StatisticsDialog::specOf(StatSeries series) const
{
    const bool recruits = m_request.people == StatPeople::Recruits;
    const QString people = recruits ? QStringLiteral("准增员") : QStringLiteral("准客户");
    ChartSpec spec;
    switch (series) {
    case StatSeries::Calls:
        spec.title = QStringLiteral("联系量 (%1)").arg(people);
        spec.valueTitle = QStringLiteral("次数");
        spec.barColumns = 3;
        spec.stacked = true;
        spec.lineColumn = 3;
        // The quota alone is no data.
        spec.dataColumns = 3;
        break;
    case StatSeries::Funnel:
        spec.title =
            QStringLiteral("从首次电话到%1 (%2)")
                .arg(recruits ? QStringLiteral("成为团队成员") : QStringLiteral("成交"), people);
        spec.valueTitle = QStringLiteral("人数");
        spec.horizontal = true;
        spec.percent = ChartSpec::OfFirst;
        break;
    case StatSeries::Orders:
        spec.title = QStringLiteral("订单");
        spec.valueTitle = QStringLiteral("金额(元)");
        spec.lineColumn = 1;
        spec.lineAxisTitle = QStringLiteral("订单数");
        break;
    case StatSeries::Products:
        spec.title = QStringLiteral("畅销产品");
        spec.valueTitle = QStringLiteral("金额(元)");
        spec.horizontal = true;
        spec.percent = ChartSpec::OfTotal;
        break;
    case StatSeries::TalkTime:
        spec.title = QStringLiteral("通话时长 (%1)").arg(people);
        spec.valueTitle = QStringLiteral("分钟");
        spec.lineColumn = 1;
        spec.lineAxisTitle = QStringLiteral("通话数");
        break;
    case StatSeries::Outcomes:
        spec.title = QStringLiteral("通话结果 (%1)").arg(people);
        spec.valueTitle = QStringLiteral("次数");
        spec.horizontal = true;
        spec.percent = ChartSpec::OfTotal;
        break;
    case StatSeries::Team:
        spec.title = QStringLiteral("团队年度计划与收入 (%1年)").arg(m_request.today.year());
        spec.valueTitle = QStringLiteral("金额(元)");
        spec.barColumns = 3;
        break;
    }
    // The title says what the picture shows, also once it is saved: the
    // period (the team's year up to today) besides whose figures.
    const bool team = series == StatSeries::Team;
    spec.title +=
        QStringLiteral("  %1 至 %2")
            .arg((team ? QDate(m_request.today.year(), 1, 1) : m_request.from)
                     .toString(QStringLiteral("yyyy-MM-dd")),
                 (team ? m_request.today : m_request.to).toString(QStringLiteral("yyyy-MM-dd")));
    return spec;
}

void StatisticsDialog::showSeries(StatSeries series, const StatTable &table)
{
    ChartSpec spec = specOf(series);
    // The members beyond the largest plans, summed up, would dwarf them all
    // on one scale: that row stays in the table.
    static const QRegularExpression rest(QStringLiteral("^其他 \\d+ 人$"));
    if (series == StatSeries::Team && !table.labels.isEmpty() &&
        rest.match(table.labels.last()).hasMatch())
        spec.chartRows = int(table.rows.size()) - 1;
    if (StatisticsPanel *panel = m_panels.value(series))
        panel->showTable(spec, table);
    m_pending = std::max(0, m_pending - 1);
}

void StatisticsDialog::showFailure(StatSeries series, const QString &error)
{
    if (StatisticsPanel *panel = m_panels.value(series))
        panel->showMessage(QStringLiteral("统计失败: %1").arg(error));
    m_pending = std::max(0, m_pending - 1);
}
