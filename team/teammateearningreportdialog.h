#pragma once

#include <QDialog>

#include <memory>

class QSqlQueryModel;
class TeammateEarningReportDelegate;

namespace Ui {
class TeammateEarningReportDialog;
}

// The earnings reports of all team members.
class TeammateEarningReportDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TeammateEarningReportDialog(QWidget *parent = nullptr);
    ~TeammateEarningReportDialog() override;

private slots:
    void loadReports();
    void on_pushButtonAdd_clicked();
    void on_pushButtonClose_clicked();

private:
    std::unique_ptr<Ui::TeammateEarningReportDialog> ui;
    QSqlQueryModel *model = nullptr;
    TeammateEarningReportDelegate *delegate = nullptr;
};
