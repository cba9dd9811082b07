#pragma once

#include <QDialog>

#include <memory>

class QModelIndex;
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
    void on_pushButtonEdit_clicked();
    void on_pushButtonDelete_clicked();
    void on_pushButtonClose_clicked();
    void on_tableView_doubleClicked(const QModelIndex &index);

private:
    std::unique_ptr<Ui::TeammateEarningReportDialog> ui;
    QSqlQueryModel *model = nullptr;
    TeammateEarningReportDelegate *delegate = nullptr;
};
