#pragma once

#include "online/httpchecknew.h"
#include "store/changewatch.h"

#include <QDate>
#include <QMainWindow>

#include <memory>

class DownInitDataDialog;
class QDateTime;
class QLabel;
class QTimer;

namespace Ui {
class MainWindow;
}

// The status-bar clock: year-month-day hour:minute weekday, numbers without
// leading zeros ("2026-3-7 9:5 星期六").
QString clockText(const QDateTime &time, const QString &weekdayName);

// The one top-level window: menus and toolbar to every function, and a
// reminder board whose numbers are recounted from the database every second.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

public slots:
    void TimerProc();
    // Tells the agent when the service reports a newer version than this one.
    void CheckNewRet(bool ok);
    // The same as the prospect entries of the customer menu.
    void AddCustomer();
    void ShowCustomers();

private slots:
    void on_action_exit_triggered();
    void on_action_system_setting_triggered();
    void on_action_backup_triggered();
    void on_action_about_triggered();
    void on_action_add_customer_triggered();
    void on_action_customers_triggered();
    void on_action_useless_customers_triggered();
    void on_action_unless_helpers_triggered();
    void on_action_account_info_triggered();
    void on_action_init_customer_list_triggered();
    void on_action_download_customer_list_triggered();
    void on_action_add_teammate_triggered();
    void on_action_all_teammate_triggered();
    void on_action_teammate_task_triggered();
    void on_action_teammate_examine_triggered();
    void on_action_add_teammate_earning_report_triggered();
    void on_action_teammate_earning_report_triggered();
    void on_action_add_phoneskill_triggered();
    void on_action_phoneskill_triggered();
    void on_action_add_product_triggered();
    void on_action_products_triggered();
    void on_action_add_customer_order_triggered();
    void on_action_today_customer_orders_triggered();
    void on_action_week_customer_orders_triggered();
    void on_action_month_customer_orders_triggered();
    void on_action_year_customer_orders_triggered();
    void on_action_all_customer_orders_triggered();

private:
    void centreOnScreen();
    // Recounts at once (start, after a restore).
    void refreshReminderCounts();
    // Runs the counts; the caller has asked the change watch first.
    void recountReminders();

    std::unique_ptr<Ui::MainWindow> ui;
    QTimer *timer = nullptr;
    QLabel *statusClockLabel = nullptr;
    QLabel *statusLinkLabel = nullptr;
    // Created on first use and kept, so a download goes on while it is hidden.
    DownInitDataDialog *initDataDialog = nullptr;
    HttpCheckNew checkNew;
    // What the numbers on the board were counted from: a tick recounts only
    // when the data, the day or a quota has changed since.
    DataChangeWatch dataWatch;
    QDate countedDay;
    int countedCustomersQuota = -1;
    int countedHelpersQuota = -1;
};
