#pragma once

#include "statistics/statisticspanel.h"
#include "store/statisticsstore.h"

#include <QDialog>
#include <QMap>

#include <memory>

class StatisticsLoader;

namespace Ui {
class StatisticsDialog;
}

// 工作统计: the agent's calls against the quota, what became of the people
// first called, orders, talk time and outcomes, and the team's plans against
// their earnings, for a chosen period. The window shows at once; each chart
// fills in when its statement has run on the loader's thread.
class StatisticsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit StatisticsDialog(QWidget *parent = nullptr);
    ~StatisticsDialog() override;

    void setRange(const QDate &from, const QDate &to);
    StatisticsPanel *panel(StatSeries series) const { return m_panels.value(series); }
    // True when every series of the latest request has arrived.
    bool isComplete() const { return m_pending == 0; }

private slots:
    void on_pushButtonThisWeek_clicked();
    void on_pushButtonThisMonth_clicked();
    void on_pushButtonThisYear_clicked();
    void on_pushButtonLastMonth_clicked();

private:
    void reload();
    void showSeries(StatSeries series, const StatTable &table);
    void showFailure(StatSeries series, const QString &error);
    ChartSpec specOf(StatSeries series) const;

    std::unique_ptr<Ui::StatisticsDialog> ui;
    StatisticsLoader *m_loader = nullptr;
    QMap<StatSeries, StatisticsPanel *> m_panels;
    StatRequest m_request;
    int m_pending = 0;
};
