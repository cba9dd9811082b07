#pragma once

#include "widgets/unsavedinput.h"

#include <QDate>
#include <QDialog>
#include <QString>

#include <memory>

class QSqlRecord;

namespace Ui {
class AddTeammateTaskDialog;
}

// Entry of yearly work plans, one member after another; a member gets at
// most one plan per year. Given a stored plan (a row of the plan list), the
// same form changes it and closes when saved. Closing with input not saved
// asks first.
class AddTeammateTaskDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddTeammateTaskDialog(QWidget *parent = nullptr);
    AddTeammateTaskDialog(QWidget *parent, const QSqlRecord &plan);
    ~AddTeammateTaskDialog() override;

public slots:
    void reject() override;

private slots:
    void on_pushButtonSelectTeammate_clicked();
    void on_pushButtonOk_clicked();
    void on_pushButtonCancel_clicked();
    void on_dateEditBegin_dateChanged(const QDate &date);

private:
    std::unique_ptr<Ui::AddTeammateTaskDialog> ui;
    int teammateId = -1;
    QString teammateName;
    // The plan being changed; -1 when entering new ones.
    int planId = -1;
    UnsavedInput input;
};
