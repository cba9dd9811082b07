#pragma once

#include "teamserver/teamserverlink.h"

#include <QDialog>

#include <memory>

class QTimer;
class TeamServerReader;

namespace Ui {
class TeamActivityDialog;
}

// "团队今日活动量": each team member's recorded figures for today and this
// week, read from the team server every minute and on "刷新". Every member of
// the leader's team is listed; those who published nothing today are marked.
// The server member name of each local team member is edited in place.
class TeamActivityDialog : public QDialog
{
    Q_OBJECT
public:
    // Reads through the program's reader unless one is given (tests).
    explicit TeamActivityDialog(QWidget *parent = nullptr, TeamServerReader *reader = nullptr);
    ~TeamActivityDialog() override;

    enum Column
    {
        LocalName,
        ServerName,
        TodayState,
        FirstFigure
    };

signals:
    void refreshed(const QString &error);

private slots:
    void on_pushButtonRefresh_clicked();
    void on_pushButtonClose_clicked();

private:
    void showMembers(const QList<MemberActivity> &members, const QString &error, qint64 ms);
    void linkEdited(int row);

    std::unique_ptr<Ui::TeamActivityDialog> ui;
    TeamServerReader *reader = nullptr;
    QTimer *timer = nullptr;
    bool filling = false;
};
