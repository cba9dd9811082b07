#include "app/aboutdialog.h"
#include "app/mainwindow.h"
#include "app/systemsetdialog.h"
#include "app/vendorsite.h"
#include "common/appsettings.h"
#include "common/dateutils.h"
#include "store/database.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "widgets/statusnotices.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QToolBar>

#include <sqlite3.h>

namespace {
const QString separator = QStringLiteral("-");
const QString imagePath = QStringLiteral(":/new/prefix1/resource/");

struct Entry
{
    QString name;
    QString text;
    QString image; // empty: the action has no icon
};

struct Menu
{
    QString name;
    QString title;
    QList<Entry> entries;
};

Entry sep()
{
    return {separator, QString(), QString()};
}

QList<Menu> expectedMenus()
{
    return {
        {"menu_7",
         "系统设置",
         {{"action_system_setting", "系统设置", {}},
          {"action_backup", "数据备份与恢复", {}},
          sep(),
          {"action_add_phoneskill", "添加话术", {}},
          {"action_phoneskill", "话术列表", {}},
          sep(),
          {"action_exit", "退出系统", "Downloads.png"}}},
        {"menu",
         "客户管理",
         {{"action_add_customer", "添加准客户名单", "添加准客户名单.png"},
          {"action_customers", "准客户名单列表", {}},
          {"action_useless_customers", "放弃的准客户名单列表", {}},
          sep(),
          {"action_first_phone_customers", "今日需首次联系的准客户", "今日首次联系的准增员.png"},
          {"action_today_subscribe_customers", "今日需再次电话联系的准客户", {}},
          {"action_today_visit_customers", "今日需约访的准客户", {}},
          sep(),
          {"action_today_contacted_customers", "今日已联系客户", {}}}},
        {"menu_2",
         "增员管理",
         {{"action_add_recruiting", "添加准增员名单", "添加准增员名单.png"},
          {"action_recruiting", "准增员名单列表", {}},
          {"action_unless_helpers", "放弃的准增员列表", {}},
          sep(),
          {"action_first_phone_helper", "今日需首次联系的准增员", "今日首次联系的准客户.PNG"},
          {"action_today_subscribe_helpers", "今日需再次电话联系的准增员", {}},
          {"action_today_visit_helpers", "今日需约访的准增员", {}}}},
        {"menu_3",
         "行事历",
         {{"action_today_do_something", "今日行事历", "今日行事历.png"},
          {"action_week_do_something", "本周行事历", {}},
          {"action_month_do_something", "本月行事历", {}}}},
        {"menu_4",
         "产品管理",
         {{"action_add_product", "添加新产品", {}}, {"action_products", "产品列表", {}}}},
        {"menu_5",
         "成交客户管理",
         {{"action_add_customer_order", "添加客户订单", {}},
          sep(),
          {"action_today_customer_orders", "今日成交客户", {}},
          {"action_week_customer_orders", "本周成交客户", {}},
          {"action_month_customer_orders", "本月成交客户", {}},
          {"action_year_customer_orders", "本年成交客户", {}},
          {"action_all_customer_orders", "历史所有成交客户", {}}}},
        {"menu_6",
         "团队管理",
         {{"action_add_teammate", "添加团队成员", {}},
          {"action_all_teammate", "团队成员列表", {}},
          sep(),
          {"action_teammate_task", "成员个人目标", {}},
          {"action_teammate_examine", "成员目标考核", {}},
          sep(),
          {"action_add_teammate_earning_report", "添加成员业绩数据", {}},
          {"action_teammate_earning_report", "查看成员业绩数据", {}},
          sep(),
          {"action_team_activity", "团队今日活动量", {}},
          {"action_team_server", "团队服务器...", {}}}},
        {"menu_statistics", "统计", {{"action_statistics", "工作统计...", "工作统计.png"}}},
        {"menu_phone",
         "电话",
         {{"action_phone_account", "电话账号...", {}}, {"action_missed_calls", "未接来电", {}}}},
        {"menu_8",
         "服务",
         {{"action_account_info", "Vantoro帐号信息", {}},
          sep(),
          {"action_init_customer_list", "下载客户名单", {}},
          sep(),
          {"action_about", "关于", {}}}},
    };
}

QStringList names(const QList<QAction *> &actions)
{
    QStringList result;
    for (const QAction *action : actions)
        result.append(action->isSeparator() ? separator : action->objectName());
    return result;
}

QString labelText(const MainWindow &window, const char *name)
{
    const QLabel *label = window.findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

// The seven reminder numbers, top to bottom.
QStringList reminderNumbers(const MainWindow &window)
{
    QStringList result;
    for (const char *name : {"labelTodayFirstPhoneCustomerCount", "labelTodayPhoneCustomerCount",
                             "labelTodayVisitCustomerCount", "labelTodayFirstPhoneHelperCount",
                             "labelTodaySubscribeHelperCount", "labelTodayVisitHelperCount",
                             "labelTodayContactedCount"})
        result.append(labelText(window, name));
    return result;
}

bool addTrack(const char *table, int id, int time, int state)
{
    const QString idColumn = QLatin1String(table).startsWith(QLatin1String("helpers"))
                                 ? QStringLiteral("helper_id")
                                 : QStringLiteral("customer_id");
    return execSql(QStringLiteral("INSERT INTO %1(%2, contact_time, contact_state) "
                                  "VALUES (%3, %4, %5)")
                       .arg(QLatin1String(table), idColumn)
                       .arg(id)
                       .arg(time)
                       .arg(state));
}

bool addLog(const char *table, int id, int addTime, int contactType, int nextTime, int nextType)
{
    const QString idColumn = QLatin1String(table).startsWith(QLatin1String("helpers"))
                                 ? QStringLiteral("helper_id")
                                 : QStringLiteral("customer_id");
    return execSql(QStringLiteral("INSERT INTO %1(%2, add_time, contact_type, content, "
                                  "next_contact_time, next_contact_type) "
                                  "VALUES (%3, %4, %5, 'x', %6, %7)")
                       .arg(QLatin1String(table), idColumn)
                       .arg(id)
                       .arg(addTime)
                       .arg(contactType)
                       .arg(nextTime)
                       .arg(nextType));
}

// Active people with the ids 1..count; those from uncalledFrom on never called.
bool addPeople(const char *table, int count, int uncalledFrom)
{
    return execSql(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                  "WHERE i < %2) INSERT INTO %1(id, name, sex, birth_date, "
                                  "phone_number, is_contact, user_type) SELECT i, 'x', 1, '', '1', "
                                  "i < %3, 1 FROM n")
                       .arg(QLatin1String(table))
                       .arg(count)
                       .arg(uncalledFrom));
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestWorkspace> workspace;
    std::unique_ptr<MessageRecorder> messages;

private slots:
    void init()
    {
        workspace = std::make_unique<TestWorkspace>();
        messages = std::make_unique<MessageRecorder>();
        QVERIFY(workspace->openDatabase());
        Clock::setFixedNow(QDateTime(QDate(2026, 3, 7), QTime(9, 5, 30)));
        appSettings.setRegion(QString());
    }

    void cleanup()
    {
        QCOMPARE(messages->unexpectedQuestions(), 0);
        Clock::setFixedNow(QDateTime());
        messages.reset();
        workspace.reset();
    }

    void programIconOnEveryWindow()
    {
        MainWindow window;
        QVERIFY(!QGuiApplication::windowIcon().isNull());
        QVERIFY(QGuiApplication::windowIcon().availableSizes().contains(QSize(256, 256)));
        QDialog dialog(&window);
        QCOMPARE(dialog.windowIcon().cacheKey(), QGuiApplication::windowIcon().cacheKey());
    }

    void titleSizeAndPosition()
    {
        MainWindow window;
        QCOMPARE(window.windowTitle(), "Vantoro电话营销软件 v1.08 - " + QDir::currentPath());
        QCOMPARE(window.size(), QSize(640, 480));
        QCOMPARE(window.minimumSize(), QSize(0, 40));
        const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(window.pos(), QPoint(desktop.x() + (desktop.width() - 640) / 2,
                                      desktop.y() + (desktop.height() - 480) / 2));
    }

    void menusInOrderWithTheirEntries()
    {
        MainWindow window;
        const QList<Menu> expected = expectedMenus();
        const QList<QAction *> menuActions = window.menuBar()->actions();
        QCOMPARE(menuActions.size(), expected.size());
        for (int m = 0; m < expected.size(); ++m) {
            QMenu *menu = menuActions.at(m)->menu();
            QVERIFY(menu);
            QCOMPARE(menu->objectName(), expected.at(m).name);
            QCOMPARE(menu->title(), expected.at(m).title);
            const QList<QAction *> actions = menu->actions();
            QCOMPARE(actions.size(), expected.at(m).entries.size());
            for (int i = 0; i < actions.size(); ++i) {
                const Entry &entry = expected.at(m).entries.at(i);
                QAction *action = actions.at(i);
                if (entry.name == separator) {
                    QVERIFY2(action->isSeparator(), qPrintable(menu->title()));
                    continue;
                }
                QCOMPARE(action->objectName(), entry.name);
                QCOMPARE(action->text(), entry.text);
                QCOMPARE(action->icon().isNull(), entry.image.isEmpty());
                if (!entry.image.isEmpty()) {
                    // Compiled in under exactly this path, and a real image.
                    QVERIFY2(QFile::exists(imagePath + entry.image), qPrintable(entry.image));
                    QCOMPARE(QImage(imagePath + entry.image).size(), QSize(32, 32));
                    QVERIFY2(!action->icon().pixmap(32).isNull(), qPrintable(entry.image));
                }
            }
        }
        QCOMPARE(window.findChild<QAction *>("action_today_subscribe_customers")->toolTip(),
                 QStringLiteral("今日需再次电话联系的准客户"));
    }

    void downloadActionIsInNoMenuOrToolbar()
    {
        MainWindow window;
        QAction *download = window.findChild<QAction *>("action_download_customer_list");
        QVERIFY(download);
        QCOMPARE(download->text(), QStringLiteral("下载客户名单"));
        // Every menu, including those of child widgets such as the calendar.
        const QList<QMenu *> menus = window.findChildren<QMenu *>();
        QVERIFY(menus.size() >= 8);
        for (const QMenu *menu : menus)
            QVERIFY(!menu->actions().contains(download));
        QVERIFY(!window.findChild<QToolBar *>("mainToolBar")->actions().contains(download));
    }

    void toolbarContents()
    {
        MainWindow window;
        QToolBar *toolbar = window.findChild<QToolBar *>("mainToolBar");
        QVERIFY(toolbar);
        QCOMPARE(window.toolBarArea(toolbar), Qt::TopToolBarArea);
        QCOMPARE(toolbar->minimumSize(), QSize(0, 40));
        const QStringList expected{
            "action_add_customer",      "action_first_phone_customers", separator,
            "action_add_recruiting",    "action_first_phone_helper",    separator,
            "action_today_do_something", separator,
            "action_statistics",         separator,
            "actionSearchBox"};
        QCOMPARE(names(toolbar->actions()), expected);
        const QWidget *search = window.findChild<QWidget *>("lineEditSearch");
        for (QAction *action : toolbar->actions())
            QVERIFY(action->isSeparator() || !action->icon().isNull() ||
                    toolbar->widgetForAction(action) == search);
    }

    // Resized and moved, the calendar takes the room; the next window opens
    // in the same place, with the toolbar labels chosen in its context menu.
    void windowKeepsItsPlaceAndToolbarLabels()
    {
        {
            MainWindow window;
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            auto *calendar = window.findChild<QWidget *>("calendarWidget");
            const QSize before = calendar->size();
            window.setGeometry(QRect(30, 40, 1000, 700));
            QTRY_VERIFY(calendar->width() > before.width() + 200 &&
                        calendar->height() > before.height() + 100);
            window.findChild<QMenu *>("toolbarMenu")->actions().value(0)->trigger();
            window.close();
        }
        MainWindow again;
        QCOMPARE(again.geometry(), QRect(30, 40, 1000, 700));
        QCOMPARE(again.findChild<QToolBar *>("mainToolBar")->toolButtonStyle(),
                 Qt::ToolButtonTextUnderIcon);
    }

    void reminderBoardCaptions()
    {
        MainWindow window;
        const QList<QPair<const char *, QString>> captions{
            {"label_6", "今日需首次联系准客户"}, {"label", "今日需再联系的准客户"},
            {"label_2", "今日需约访准客户"},     {"label_7", "今日需首次联系准增员"},
            {"label_3", "今日需再联系准增员"},   {"label_4", "今日需约访准增员"},
            {"label_5", "今日已联系准客户数"}};
        for (const auto &[name, caption] : captions) {
            const QString html = labelText(window, name);
            QTextDocument document;
            document.setHtml(html);
            QCOMPARE(document.toPlainText(), caption);
            QVERIFY2(html.contains(QLatin1String("<a href=")), name);
            QVERIFY2(html.contains(QLatin1String("color:#0000ff")), name);
            QVERIFY2(html.contains(QLatin1String("text-decoration: underline")), name);
            QVERIFY(!window.findChild<QLabel *>(QLatin1String(name))->openExternalLinks());
        }
        QCOMPARE(labelText(window, "label_3").count(QLatin1String("<a href=")), 3);
        QCOMPARE(labelText(window, "label_4").count(QLatin1String("<a href=")), 4);
        QVERIFY(window.findChild<QWidget *>("line"));
        QVERIFY(window.findChild<QWidget *>("line_2"));
        QVERIFY(window.findChild<QWidget *>("calendarWidget"));
        auto *tabs = window.findChild<QTabWidget *>("tabWidget");
        QCOMPARE(tabs->count(), 1);
        QCOMPARE(tabs->tabText(0), QStringLiteral("今日事件提醒"));
    }

    void statusBarLabels()
    {
        MainWindow window;
        auto *clock = window.statusBar()->findChild<QLabel *>("statusClockLabel");
        auto *link = window.statusBar()->findChild<QLabel *>("statusLinkLabel");
        QVERIFY(clock && link);
        QVERIFY(clock->text().isEmpty());
        QVERIFY(link->openExternalLinks());
        QVERIFY(link->alignment() & Qt::AlignRight);
        QVERIFY(link->text().contains(QStringLiteral("立即访问Vantoro,购买名单并了解最新资讯")));
        QVERIFY(link->text().contains(QLatin1String(vendorSiteUrl)));

        window.TimerProc();
        QCOMPARE(clock->text(), QStringLiteral("2026-3-7 9:5 星期六"));

        // Long notices of several topics share the room: nothing covers the clock or another.
        QStatusBar *bar = window.statusBar();
        StatusNotices *notices = StatusNotices::of(bar);
        for (const QString topic : {"team", "backup", "phone"})
            notices->set(topic, topic + QString(300, u'长'));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.width(), 640); // the notices gave way, the window did not grow
        QList<QRect> taken{clock->geometry()};
        QVERIFY(clock->width() >= clock->sizeHint().width());
        for (const QString topic : {"team", "backup", "phone"}) {
            const QRect rect(notices->label(topic)->mapTo(bar, QPoint()),
                             notices->label(topic)->size());
            QVERIFY(bar->rect().contains(rect) && rect.width() > 0);
            for (const QRect &other : std::as_const(taken))
                QVERIFY(!rect.intersects(other));
            taken.append(rect);
        }
    }

    void clockTextWithoutLeadingZeros_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("weekday");
        QTest::addColumn<QString>("expected");
        QTest::newRow("single digits")
            << QDateTime(QDate(2026, 3, 7), QTime(9, 5, 59)) << QStringLiteral("星期六")
            << QStringLiteral("2026-3-7 9:5 星期六");
        QTest::newRow("two digits")
            << QDateTime(QDate(2026, 12, 25), QTime(14, 30, 0)) << QStringLiteral("星期五")
            << QStringLiteral("2026-12-25 14:30 星期五");
        QTest::newRow("midnight") << QDateTime(QDate(2027, 1, 10), QTime(0, 0, 0))
                                  << QStringLiteral("星期日")
                                  << QStringLiteral("2027-1-10 0:0 星期日");
    }

    void clockTextWithoutLeadingZeros()
    {
        QFETCH(QDateTime, time);
        QFETCH(QString, weekday);
        QFETCH(QString, expected);
        QCOMPARE(clockText(time, weekday), expected);
    }

    void reminderNumbersOfAnEmptyDay()
    {
        appSettings.setCustomersCount(20);
        appSettings.setHelpersCount(15);
        MainWindow window;
        // Nobody to call: a quota is no list.
        QCOMPARE(reminderNumbers(window), QStringList({"0", "0", "0", "0", "0", "0", "0"}));
    }

    void reminderNumbersOfAPreparedDay()
    {
        const Seconds today = todayBeginTime();
        const int yesterday = today - 3600;
        const Seconds tomorrow = todayEndTime() + 1;
        const int noon = today + 12 * 3600;

        QVERIFY(addPeople("customers", 70, 61));
        QVERIFY(addPeople("helpers", 45, 26));
        // Prospects: 25 first contacts today (one prospect twice), more on other days.
        for (int id = 1; id <= 25; ++id)
            QVERIFY(addTrack("customers_contact_track", id, noon, 1));
        QVERIFY(addTrack("customers_contact_track", 1, noon + 60, 1));
        QVERIFY(addTrack("customers_contact_track", 26, noon, 2));
        QVERIFY(addTrack("customers_contact_track", 90, yesterday, 1));
        QVERIFY(addTrack("customers_contact_track", 91, tomorrow, 1));
        // Four prospects due for a phone call today, one of them called and moved to tomorrow.
        for (int id = 30; id < 34; ++id)
            QVERIFY(addLog("customers_tel_logs", id, yesterday, 1, today + id, 1));
        QVERIFY(addLog("customers_tel_logs", 30, noon, 1, tomorrow, 1));
        // Two visits due today; three prospects visited today, the next visit tomorrow.
        QVERIFY(addLog("customers_tel_logs", 40, yesterday, 2, noon, 2));
        QVERIFY(addLog("customers_tel_logs", 41, yesterday, 2, todayEndTime(), 2));
        for (int id = 42; id < 45; ++id)
            QVERIFY(addLog("customers_tel_logs", id, noon, 2, tomorrow, 2));

        // Recruits: 3 first contacts today, 5 phone calls due, 2 repeated contacts today,
        // one visit due and nobody visited.
        for (int id = 1; id <= 3; ++id)
            QVERIFY(addTrack("helpers_contact_track", id, noon, 1));
        for (int id = 10; id < 15; ++id)
            QVERIFY(addLog("helpers_tel_logs", id, yesterday, 1, noon, 1));
        QVERIFY(addTrack("helpers_contact_track", 10, noon, 2));
        QVERIFY(addTrack("helpers_contact_track", 11, noon, 2));
        QVERIFY(addTrack("helpers_contact_track", 12, yesterday, 2));
        QVERIFY(addLog("helpers_tel_logs", 20, yesterday, 1, noon, 2));
        QVERIFY(addLog("helpers_tel_logs", 21, yesterday, 2, yesterday + 60, 2));

        appSettings.setCustomersCount(20);
        appSettings.setHelpersCount(20);
        MainWindow window;
        // 20 - 25 -> 0; 4 - 1 moved; 2; 20 - 3 of 20 uncalled; 5; 1; 4 with a log today.
        QCOMPARE(reminderNumbers(window), QStringList({"0", "3", "2", "17", "5", "1", "4"}));

        // The quotas are read again at every tick.
        appSettings.setCustomersCount(30);
        appSettings.setHelpersCount(2);
        window.TimerProc();
        QCOMPARE(reminderNumbers(window), QStringList({"5", "3", "2", "0", "5", "1", "4"}));

        // New rows show at the next tick as well.
        QVERIFY(addTrack("customers_contact_track", 50, noon, 2));
        QVERIFY(addLog("customers_tel_logs", 31, noon, 1, tomorrow, 1));
        window.TimerProc();
        QCOMPARE(reminderNumbers(window), QStringList({"5", "2", "2", "0", "5", "1", "5"}));
    }

    // The board recounts only on change, yet always shows what a full
    // recount from scratch would show.
    void boardFollowsEveryKindOfChange_data()
    {
        QTest::addColumn<QString>("change");
        for (const char *change :
             {"own write", "other thread", "other process", "midnight", "quota", "region"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }

    void boardFollowsEveryKindOfChange()
    {
        QFETCH(QString, change);
        Clock::setFixedNow(QDateTime(QDate(2026, 3, 7), QTime(23, 59, 59)));
        const Seconds tomorrowNoon = todayEndTime() + 1 + 12 * 3600;
        QVERIFY(addPeople("customers", 30, 1));
        appSettings.setCustomersCount(20);
        // A call due tomorrow: it shows on the board once the day turns.
        QVERIFY(addLog("customers_tel_logs", 7, todayBeginTime(), 1, tomorrowNoon, 1));
        MainWindow window;
        const QStringList before = reminderNumbers(window);
        const QString track = QStringLiteral("INSERT INTO customers_contact_track(customer_id, "
                                             "contact_time, contact_state) VALUES (9, %1, 1)")
                                  .arg(todayBeginTime() + 60);
        if (change == "own write") {
            QVERIFY(execSql(track));
        } else if (change == "other thread") {
            QThread *writer = QThread::create([&track] {
                QSqlDatabase db = openDatabaseConnection("board-writer");
                QSqlQuery(db).exec(track);
                db = QSqlDatabase();
                removeDatabaseConnection("board-writer");
            });
            writer->start();
            QVERIFY(writer->wait(10000));
            delete writer;
        } else if (change == "other process") {
            QProcess other;
            other.setWorkingDirectory(workspace->path());
            other.start(SCHEMA_CHILD, {"--exec", track});
            QVERIFY(other.waitForFinished(10000));
            QCOMPARE(other.exitCode(), 0);
        } else if (change == "midnight") {
            Clock::setFixedNow(QDateTime(QDate(2026, 3, 8), QTime(0, 0, 1)));
        } else if (change == "quota") {
            appSettings.setCustomersCount(appSettings.customersCount() + 5);
        } else {
            appSettings.setRegion(QStringLiteral("北京"));
        }
        window.TimerProc();
        const QStringList after = reminderNumbers(window);
        QVERIFY2(after != before, qPrintable(after.join(' ')));
        MainWindow fresh;
        QCOMPARE(after, reminderNumbers(fresh));
    }

    void idleTickRunsNoCountQuery()
    {
        MainWindow window;
        sqlite3 *db = sqliteHandle(QSqlDatabase::database());
        QStringList statements;
        sqlite3_trace_v2(
            db, SQLITE_TRACE_STMT,
            [](unsigned, void *context, void *statement, void *) {
                static_cast<QStringList *>(context)->append(
                    QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt *>(statement))));
                return 0;
            },
            &statements);
        window.TimerProc();
        window.TimerProc();
        sqlite3_trace_v2(db, 0, nullptr, nullptr);
        QCOMPARE(statements, QStringList({"PRAGMA data_version", "PRAGMA data_version"}));
    }

    void timerTicksEverySecond()
    {
        MainWindow window;
        auto *clock = window.findChild<QLabel *>("statusClockLabel");
        QVERIFY(clock->text().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(clock->text(), QStringLiteral("2026-3-7 9:5 星期六"), 3000);
    }

    void aboutDialog()
    {
        AboutDialog dialog;
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("关于"));
        QCOMPARE(dialog.findChild<QLabel *>("labelVersion")->text(), QStringLiteral("v1.08"));
        QCOMPARE(dialog.findChild<QLabel *>("label_2")->text(),
                 QStringLiteral("Vantoro电话营销软件"));
        QLabel *site = dialog.findChild<QLabel *>("label");
        QVERIFY(site->text().contains(QLatin1String(vendorSiteUrl)));
        QVERIFY(site->openExternalLinks());
        QVERIFY(dialog.findChild<QLabel *>("labelLicence")->text().contains("GPL-3.0-or-later"));
        QTest::mouseClick(dialog.findChild<QPushButton *>("pushButtonClose"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
    }

    void menuActionsOpenTheirDialogs_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("dialogClass");
        QTest::addColumn<QString>("closeButton");
        QTest::newRow("settings") << "action_system_setting"
                                  << "SystemSetDialog"
                                  << "pushButtonCancel";
        QTest::newRow("backups") << "action_backup"
                                 << "BackupDialog"
                                 << "pushButtonClose";
        QTest::newRow("about") << "action_about"
                               << "AboutDialog"
                               << "pushButtonClose";
        QTest::newRow("add prospect") << "action_add_customer"
                                      << "AddCustomerDialog"
                                      << "pushButtonClose";
        QTest::newRow("prospects") << "action_customers"
                                   << "CustomersDialog"
                                   << "pushButtonClose";
        QTest::newRow("abandoned prospects") << "action_useless_customers"
                                             << "UselessCustomersDialog"
                                             << "pushButtonClose";
        QTest::newRow("abandoned recruits") << "action_unless_helpers"
                                            << "UselessHelpersDialog"
                                            << "pushButtonClose";
        QTest::newRow("add team member") << "action_add_teammate"
                                         << "AddTeammateDialog"
                                         << "pushButtonClose";
        QTest::newRow("team members") << "action_all_teammate"
                                      << "TeammateDialog"
                                      << "pushButtonClose";
        QTest::newRow("plans") << "action_teammate_task"
                               << "TeammateTaskDialog"
                               << "pushButtonClose";
        QTest::newRow("assessment") << "action_teammate_examine"
                                    << "TeammateExamineDialog"
                                    << "pushButtonClose";
        QTest::newRow("add report") << "action_add_teammate_earning_report"
                                    << "AddTeammateEarningReportDialog"
                                    << "pushButtonCancel";
        QTest::newRow("reports") << "action_teammate_earning_report"
                                 << "TeammateEarningReportDialog"
                                 << "pushButtonClose";
        QTest::newRow("add script") << "action_add_phoneskill"
                                    << "AddPhoneSkillDialog"
                                    << "pushButtonCancel";
        QTest::newRow("scripts") << "action_phoneskill"
                                 << "PhoneSkillsDialog"
                                 << "pushButtonClose";
        QTest::newRow("add product") << "action_add_product"
                                     << "AddProductDialog"
                                     << "pushButtonCancel";
        QTest::newRow("products") << "action_products"
                                  << "ProductsDialog"
                                  << "pushButtonClose";
        QTest::newRow("add order") << "action_add_customer_order"
                                   << "AddCustomerOrderDialog"
                                   << "pushButtonClose";
        QTest::newRow("statistics") << "action_statistics"
                                    << "StatisticsDialog"
                                    << "pushButtonClose";
    }

    void menuActionsOpenTheirDialogs()
    {
        QFETCH(QString, action);
        QFETCH(QString, dialogClass);
        QFETCH(QString, closeButton);
        MainWindow window;
        window.show();
        QString seenClass;
        QObject *seenParent = nullptr;
        bool seenModal = false;
        QTimer::singleShot(0, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            seenClass = QLatin1String(modal->metaObject()->className());
            seenParent = modal->parent();
            seenModal = modal->isModal();
            if (auto *button = modal->findChild<QPushButton *>(closeButton))
                button->click();
            else
                modal->close();
        });
        window.findChild<QAction *>(action)->trigger();
        QCOMPARE(seenClass, dialogClass);
        QCOMPARE(seenParent, &window);
        QVERIFY(seenModal);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(window.findChildren<QDialog *>().isEmpty());
    }

    // Search text stops at 100 characters: SQLite refuses longer LIKE
    // patterns, and such a search found nothing without a word.
    void searchFieldsTakeAHundredCharacters_data()
    {
        QTest::addColumn<QString>("action"); // empty: the toolbar's box
        QTest::addColumn<QStringList>("fields");
        const QStringList person{"lineEditName", "lineEditBirthday", "lineEditHomeAddress"};
        QTest::newRow("toolbar") << "" << QStringList{"lineEditSearch"};
        QTest::newRow("prospects") << "action_customers" << person;
        QTest::newRow("abandoned prospects") << "action_useless_customers" << person;
        QTest::newRow("recruits") << "action_recruiting" << person;
        QTest::newRow("abandoned recruits") << "action_unless_helpers" << person;
        QTest::newRow("contacted today")
            << "action_today_contacted_customers" << QStringList{"lineEditName"};
    }
    void searchFieldsTakeAHundredCharacters()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, fields);
        MainWindow window;
        window.show();
        QStringList lengths;
        const auto paste = [&](QWidget *in) {
            for (const QString &name : fields) {
                auto *field = in->findChild<QLineEdit *>(name);
                field->insert(QString(150, u'名'));
                lengths << QString::number(field->text().size());
            }
        };
        if (action.isEmpty()) {
            paste(&window);
        } else {
            QTimer::singleShot(0, this, [&] {
                if (QWidget *modal = QApplication::activeModalWidget()) {
                    paste(modal);
                    modal->close();
                }
            });
            window.findChild<QAction *>(action)->trigger();
        }
        QCOMPARE(lengths, QStringList(fields.size(), "100"));
    }

    void orderListEntriesShowTheirPeriods_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("title");
        // The clock stands on Saturday 2026-03-07.
        QTest::newRow("today") << "action_today_customer_orders"
                               << "[26-03-07至26-03-07]";
        QTest::newRow("week") << "action_week_customer_orders"
                              << "[26-03-02至26-03-08]";
        QTest::newRow("month") << "action_month_customer_orders"
                               << "[26-03-01至26-03-31]";
        QTest::newRow("year") << "action_year_customer_orders"
                              << "[26-01-01至26-12-31]";
        QTest::newRow("all") << "action_all_customer_orders"
                             << "[历史所有]";
    }

    void orderListEntriesShowTheirPeriods()
    {
        QFETCH(QString, action);
        QFETCH(QString, title);
        MainWindow window;
        window.show();
        QString seenTitle;
        QTimer::singleShot(0, this, [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                if (modal->inherits("CustomerOrdersDialog"))
                    seenTitle = modal->windowTitle();
                modal->close();
            }
        });
        window.findChild<QAction *>(action)->trigger();
        QCOMPARE(seenTitle, QStringLiteral("成交客户订单列表 ") + title);
    }

    void exitClosesTheWindow()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.findChild<QAction *>("action_exit")->trigger();
        QVERIFY(!window.isVisible());
    }
};

CALLLEDGER_TEST_MAIN(TestMainWindow, QApplication)
#include "tst_mainwindow.moc"
