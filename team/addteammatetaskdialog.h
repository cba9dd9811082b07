#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class AddTeammateTaskDialog;
}

// Entry of yearly work plans, one member after another; a member gets at
// most one plan per year.
class AddTeammateTaskDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddTeammateTaskDialog(QWidget *parent = nullptr);
    ~AddTeammateTaskDialog() override;

private slots:
    void on_pushButtonSelectTeammate_clicked();
    void on_pushButtonOk_clicked();
    void on_pushButtonCancel_clicked();
    void on_dateEditBegin_dateChanged(const QDate &date);

private:
    std::unique_ptr<Ui::AddTeammateTaskDialog> ui;
    int teammateId = -1;
    QString teammateName;
};
