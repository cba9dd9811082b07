#pragma once

#include "widgets/unsavedinput.h"

#include <QDate>
#include <QDialog>
#include <QString>

#include <memory>

class QSqlRecord;

namespace Ui {
class AddTeammateEarningReportDialog;
}

// Entry of earnings reports, one after another. Given a stored report (a
// row of the report list), the same form changes it and closes when saved.
// Closing with input not saved asks first.
class AddTeammateEarningReportDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddTeammateEarningReportDialog(QWidget *parent = nullptr);
    AddTeammateEarningReportDialog(QWidget *parent, const QSqlRecord &report);
    ~AddTeammateEarningReportDialog() override;

public slots:
    void reject() override;

private slots:
    void on_pushButtonSelectTeammate_clicked();
    void on_pushButtonOk_clicked();
    void on_pushButtonCancel_clicked();
    void on_dateEdit_dateChanged(const QDate &date);

private:
    std::unique_ptr<Ui::AddTeammateEarningReportDialog> ui;
    int teammateId = -1;
    QString teammateName;
    // The report being changed; -1 when entering new ones.
    int reportId = -1;
    UnsavedInput input;
};
