#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class AddTeammateEarningReportDialog;
}

// Entry of earnings reports, one after another.
class AddTeammateEarningReportDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddTeammateEarningReportDialog(QWidget *parent = nullptr);
    ~AddTeammateEarningReportDialog() override;

private slots:
    void on_pushButtonSelectTeammate_clicked();
    void on_pushButtonOk_clicked();
    void on_pushButtonCancel_clicked();
    void on_dateEdit_dateChanged(const QDate &date);

private:
    std::unique_ptr<Ui::AddTeammateEarningReportDialog> ui;
    int teammateId = -1;
    QString teammateName;
};
