#pragma once

#include "calling/todaylists.h"
#include "online/httpchecknew.h"
#include "store/changewatch.h"

#include <QDate>
#include <QMainWindow>

#include <memory>

class ContactAlerts;
class DatabaseThread;
class SideTableBuilder;
class DownInitDataDialog;
class QDateTime;
class QLabel;
class ReminderTray;
class SearchBox;
class TodayPace;
struct ScheduledContact;
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
    // Today's lists, the recruits and the visit calendar.
    void on_action_first_phone_customers_triggered();
    void on_action_today_subscribe_customers_triggered();
    void on_action_today_visit_customers_triggered();
    void on_action_today_contacted_customers_triggered();
    void on_action_add_recruiting_triggered();
    void on_action_recruiting_triggered();
    void on_action_first_phone_helper_triggered();
    void on_action_today_subscribe_helpers_triggered();
    void on_action_today_visit_helpers_triggered();
    void on_action_today_do_something_triggered();
    void on_action_week_do_something_triggered();
    void on_action_month_do_something_triggered();
    // The reminder links open the lists they count; the link target is unused.
    void on_label_6_linkActivated(const QString &link);
    void on_label_linkActivated(const QString &link);
    void on_label_2_linkActivated(const QString &link);
    void on_label_7_linkActivated(const QString &link);
    void on_label_3_linkActivated(const QString &link);
    void on_label_4_linkActivated(const QString &link);
    void on_label_5_linkActivated(const QString &link);
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

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void centreOnScreen();
    // The menu "统计" and its toolbar button.
    void setUpStatisticsEntry();
    // Size and place as last left, a board and calendar that take the room,
    // the toolbar's tool tips and its context menu.
    void setUpWindowManners();
    // Recounts at once (start, after a restore).
    void refreshReminderCounts();
    // Alerts of the calls and visits promised for today, and the tray.
    void setUpContactAlerts();
    void showContactAlert(const ScheduledContact &contact);
    void showMissedContacts(const QList<ScheduledContact> &contacts);
    QString reminderSummary() const;
    // Runs the counts; the caller has asked the change watch first.
    void recountReminders();
    void showBoard(const BoardCounts &counts, const BoardRequest &request);
    // The counts on a thread of its own; the board keeps its numbers meanwhile.
    void countOnWorker(const BoardRequest &request);
    // What the window does not need for its first picture.
    void afterFirstPaint();
    // The side tables of a file written before them, built in the background.
    void setUpSideTables();

    // The search box in the toolbar and today's pace under the reminder numbers.
    void setUpCallingTools();
    // The built-in telephone: its menu, status, incoming calls and the
    // board's count of missed calls.
    void setUpPhone();
    SearchBox *searchBox = nullptr;
    TodayPace *todayPace = nullptr;

    std::unique_ptr<Ui::MainWindow> ui;
    QTimer *timer = nullptr;
    QLabel *statusClockLabel = nullptr;
    QLabel *statusLinkLabel = nullptr;
    ContactAlerts *contactAlerts = nullptr;
    ReminderTray *reminderTray = nullptr;
    // Created on first use and kept, so a download goes on while it is hidden.
    DownInitDataDialog *initDataDialog = nullptr;
    HttpCheckNew checkNew;
    // What the numbers on the board were counted from: a tick recounts only
    // when the data, the day, a quota or the region has changed since.
    DataChangeWatch dataWatch;
    QDate countedDay;
    std::unique_ptr<DatabaseThread> boardThread;
    bool boardCountRunning = false;
    bool boardCountAgain = false;
    // A count on the GUI thread took longer than a frame may: count on the
    // worker until it is quick again.
    bool countSlowly = false;
    SideTableBuilder *sideBuilder = nullptr;
    bool firstPaintSeen = false;
    int countedCustomersQuota = -1;
    int countedHelpersQuota = -1;
    QString countedRegion;
};
