#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QSqlQueryModel;
class QLabel;
class QTableWidget;

namespace Ui {
class TeammateExamineDialog;
}

// One member's yearly plan against the reported earnings: for the chosen
// year and, in the current year, for the current month and week.
class TeammateExamineDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TeammateExamineDialog(QWidget *parent = nullptr);
    ~TeammateExamineDialog() override;

    // Chooses the member and the year and shows the assessment, as the
    // picker and "查询" would.
    void assess(int teammateId, const QString &teammateName, int year);

    // Where the activity a member's own program recorded comes from (the
    // team server), shown beside the reported earnings: asked with the
    // member and the period, it answers through show, now or later, while
    // the receiver lives. Without a source nothing is shown.
    using ShowText = std::function<void(const QString &)>;
    using RecordedActivitySource = std::function<void(
        int teammateId, const QDate &from, const QDate &to, QObject *receiver, ShowText show)>;
    static void setRecordedActivitySource(RecordedActivitySource source);

private slots:
    void on_pushButtonSelectTeammate_clicked();
    void on_pushButtonQuery_clicked();
    void on_pushButtonClose_clicked();

private:
    void runAssessment();
    void showPlanShares();
    void showRecordedActivity(QLabel *label, qint64 from, qint64 to);

    std::unique_ptr<Ui::TeammateExamineDialog> ui;
    int teammateId = -1;
    QString teammateName;
    int year = 0;
    QSqlQueryModel *taskModel = nullptr;
    std::unique_ptr<QSqlQueryModel> yearSumModel;
    std::unique_ptr<QSqlQueryModel> monthSumModel;
    std::unique_ptr<QSqlQueryModel> weekSumModel;
    int activityQueries = 0;
};
