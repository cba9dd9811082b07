#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class QSqlQueryModel;
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

private slots:
    void on_pushButtonSelectTeammate_clicked();
    void on_pushButtonQuery_clicked();
    void on_pushButtonClose_clicked();

private:
    void runAssessment();
    void showPlanShares();

    std::unique_ptr<Ui::TeammateExamineDialog> ui;
    int teammateId = -1;
    QString teammateName;
    int year = 0;
    QSqlQueryModel *taskModel = nullptr;
    std::unique_ptr<QSqlQueryModel> yearSumModel;
    std::unique_ptr<QSqlQueryModel> monthSumModel;
    std::unique_ptr<QSqlQueryModel> weekSumModel;
};
