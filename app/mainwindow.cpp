#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "app/aboutdialog.h"
#include "common/appsettings.h"
#include "app/backupdialog.h"
#include "common/dateutils.h"
#include "widgets/messageboxes.h"
#include "app/remindertray.h"
#include "app/searchbox.h"
#include "app/systemsetdialog.h"
#include "app/todaypace.h"
#include "app/vendorsite.h"
#include "app/version.h"
#include "calling/calendardialog.h"
#include "calling/contactalerts.h"
#include "calling/contactedcustomersdialog.h"
#include "calling/todaylists.h"
#include "calling/todayfirstphonecustomersdialog.h"
#include "calling/todayfirstphonehelpersdialog.h"
#include "calling/todaysubscribecustomersdialog.h"
#include "calling/todaysubscribehelpersdialog.h"
#include "online/accountdialog.h"
#include "online/downinitdatadialog.h"
#include "online/downloadcustomerlistdialog.h"
#include "orders/addcustomerorderdialog.h"
#include "orders/addproductdialog.h"
#include "orders/customerordersdialog.h"
#include "orders/productsdialog.h"
#include "phonescripts/addphoneskilldialog.h"
#include "phonescripts/phoneskillsdialog.h"
#include "prospects/addcustomerdialog.h"
#include "prospects/customersdialog.h"
#include "prospects/uselesscustomersdialog.h"
#include "prospects/uselesshelpersdialog.h"
#include "statistics/statisticsdialog.h"
#include "store/customerstore.h"
#include "store/database.h"
#include "store/helperstore.h"
#include "store/schedulestore.h"
#include "team/addhelperdialog.h"
#include "team/addteammatedialog.h"
#include "team/addteammateearningreportdialog.h"
#include "team/addteammatetaskdialog.h"
#include "team/helperdialog.h"
#include "team/teammatedialog.h"
#include "team/teammateearningreportdialog.h"
#include "team/teammateexaminedialog.h"
#include "team/teammatetaskdialog.h"
#include "teamserver/teamservercontroller.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

// The action images live in the GUI library, which is static: without a
// reference from code it uses, the linker would leave them out.
static void initActionImages()
{
    Q_INIT_RESOURCE(actionimages);
}

namespace {
// Every entry runs its dialog modally on the stack and ignores the result:
// the reminder numbers follow through the timer.
template <typename Dialog, typename... Args> void runModal(QWidget *parent, Args... args)
{
    Dialog dialog(parent, args...);
    dialog.exec();
}

QString count(int value)
{
    return QString::number(value);
}
} // namespace

QString clockText(const QDateTime &time, const QString &weekdayName)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    return QStringLiteral("%1-%2-%3 %4:%5 %6")
        .arg(date.year())
        .arg(date.month())
        .arg(date.day())
        .arg(clock.hour())
        .arg(clock.minute())
        .arg(weekdayName);
}

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    initActionImages();
    // The program's icon on every window and dialog, as the desktop entry shows it.
    if (QGuiApplication::windowIcon().isNull()) {
        QIcon icon;
        icon.addFile(QStringLiteral(":/new/prefix1/resource/appicon-48.png"));
        icon.addFile(QStringLiteral(":/new/prefix1/resource/appicon-256.png"));
        QGuiApplication::setWindowIcon(icon);
    }
    ui->setupUi(this);
    // The data folder in the title: which agent's file this window works on.
    setWindowTitle(tr("Vantoro电话营销软件 v") + programVersionText() + QStringLiteral(" - ") +
                   QDir::toNativeSeparators(
                       QFileInfo(QString::fromLatin1(databaseFileName)).absolutePath()));

    centreOnScreen();
    setUpStatisticsEntry();
    setUpWindowManners();

    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &MainWindow::TimerProc);
    timer->start(1000);

    statusClockLabel = new QLabel(this);
    statusClockLabel->setObjectName(QStringLiteral("statusClockLabel"));
    statusLinkLabel = new QLabel(this);
    statusLinkLabel->setObjectName(QStringLiteral("statusLinkLabel"));
    statusLinkLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusLinkLabel->setTextFormat(Qt::RichText);
    statusLinkLabel->setText(
        QStringLiteral("<a href=\"%1\"><span style=\" text-decoration: underline; "
                       "color:#0000ff;\">立即访问Vantoro,购买名单并了解最新资讯</span></a>")
            .arg(QLatin1String(vendorSiteUrl)));
    statusLinkLabel->setOpenExternalLinks(true);
    ui->statusBar->addWidget(statusClockLabel, 150);
    ui->statusBar->addWidget(statusLinkLabel, 100);
    // The link gives way (cut short) to the clock and the notices at the right.
    statusLinkLabel->setMinimumWidth(1);

    // The month calendar opens on the same day as the clock (which tests may fix).
    ui->calendarWidget->setSelectedDate(Clock::now().date());

    setUpCallingTools();
    // The numbers must be right before the first tick.
    refreshReminderCounts();
    setUpContactAlerts();
    setUpTeamServer(this);

    // Asynchronous: an unreachable service never delays the window.
    connect(&checkNew, &HttpCheckNew::done, this, &MainWindow::CheckNewRet);
    if (desktopSetting(DesktopSetting::checkForUpdates, true).toBool())
        checkNew.check();
}

void MainWindow::setUpStatisticsEntry()
{
    auto *action = new QAction(QIcon(QStringLiteral(":/new/prefix1/resource/工作统计.png")),
                               QStringLiteral("工作统计..."), this);
    action->setObjectName(QStringLiteral("action_statistics"));
    action->setToolTip(QStringLiteral("工作统计"));
    connect(action, &QAction::triggered, this, [this] { runModal<StatisticsDialog>(this); });
    auto *menu = new QMenu(QStringLiteral("统计"), ui->menuBar);
    menu->setObjectName(QStringLiteral("menu_statistics"));
    menu->addAction(action);
    ui->menuBar->insertMenu(ui->menu_8->menuAction(), menu);
    ui->mainToolBar->addSeparator();
    ui->mainToolBar->addAction(action);
}

MainWindow::~MainWindow()
{
    // Its destructor waits for a running list writer to end.
    delete initDataDialog;
}

void MainWindow::CheckNewRet(bool ok)
{
    if (!ok || !(checkNew.version() > programVersion))
        return;
    showInformation(this,
                    QStringLiteral("检测到新版的 <<Vantoro电话营销软件>>, \r\n请到 ") +
                        QLatin1String(vendorSiteUrl) + QStringLiteral(" 下载"),
                    QStringLiteral("提示"));
}

void MainWindow::setUpWindowManners()
{
    if (!restoreGeometry(desktopSetting(DesktopSetting::mainWindowGeometry).toByteArray()))
        centreOnScreen();
    // The board keeps its width and the calendar grows with the window.
    ui->splitter_2->setStretchFactor(0, 0);
    ui->splitter_2->setStretchFactor(1, 1);
    ui->calendarWidget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    ui->verticalLayout_3->setStretchFactor(ui->calendarWidget, 1);

    for (QAction *action : ui->mainToolBar->actions()) {
        if (!action->isSeparator())
            action->setToolTip(action->text());
    }
    auto *textUnderIcon = new QAction(QStringLiteral("图标下显示文字"), this);
    textUnderIcon->setObjectName(QStringLiteral("action_toolbar_text_under_icon"));
    textUnderIcon->setCheckable(true);
    connect(textUnderIcon, &QAction::toggled, this, [this](bool on) {
        ui->mainToolBar->setToolButtonStyle(on ? Qt::ToolButtonTextUnderIcon
                                               : Qt::ToolButtonIconOnly);
        setDesktopSetting(DesktopSetting::toolbarTextUnderIcon, on);
    });
    textUnderIcon->setChecked(desktopSetting(DesktopSetting::toolbarTextUnderIcon, false).toBool());
    auto *toolbarMenu = new QMenu(ui->mainToolBar);
    toolbarMenu->setObjectName(QStringLiteral("toolbarMenu"));
    toolbarMenu->addAction(textUnderIcon);
    ui->mainToolBar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->mainToolBar, &QWidget::customContextMenuRequested, toolbarMenu,
            [this, toolbarMenu](const QPoint &at) {
                toolbarMenu->popup(ui->mainToolBar->mapToGlobal(at));
            });
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    setDesktopSetting(DesktopSetting::mainWindowGeometry, saveGeometry());
    QMainWindow::closeEvent(event);
}

void MainWindow::centreOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desktop = screen->availableGeometry();
    move(desktop.x() + (desktop.width() - width()) / 2,
         desktop.y() + (desktop.height() - height()) / 2);
}

void MainWindow::TimerProc()
{
    statusClockLabel->setText(clockText(Clock::now(), todayWeekdayName()));
    const bool dataChanged = dataWatch.changed();
    if (dataChanged || countedDay != Clock::now().date() ||
        countedCustomersQuota != appSettings.customersCount() ||
        countedHelpersQuota != appSettings.helpersCount() || countedRegion != appSettings.region())
        recountReminders();
    if (reminderTray->hasTrayIcon())
        reminderTray->setToolTip(reminderSummary());
    contactAlerts->tick(dataChanged);
}

void MainWindow::refreshReminderCounts()
{
    dataWatch.changed();
    recountReminders();
}

void MainWindow::recountReminders()
{
    countedDay = Clock::now().date();
    countedCustomersQuota = appSettings.customersCount();
    countedHelpersQuota = appSettings.helpersCount();
    countedRegion = appSettings.region();
    const Seconds from = todayBeginTime();
    const Seconds to = todayEndTime();
    // Each number is the row count of the list its link opens, counted by
    // that list's own statement.
    ui->labelTodayFirstPhoneCustomerCount->setText(count(countTodayFirstCallCustomers()));
    ui->labelTodayPhoneCustomerCount->setText(count(countCustomersToContactRows(from, to, 1)));
    ui->labelTodayVisitCustomerCount->setText(count(countCustomersToContactRows(from, to, 2)));
    ui->labelTodayFirstPhoneHelperCount->setText(count(countTodayFirstCallHelpers()));
    ui->labelTodaySubscribeHelperCount->setText(count(countHelpersToContactRows(from, to, 1)));
    ui->labelTodayVisitHelperCount->setText(count(countHelpersToContactRows(from, to, 2)));
    ui->labelTodayContactedCount->setText(
        count(countContactedCustomersRows(from, to, 0, QString())));
    todayPace->recount();
}

void MainWindow::on_action_exit_triggered()
{
    close();
}

void MainWindow::on_action_system_setting_triggered()
{
    runModal<SystemSetDialog>(this);
}

void MainWindow::on_action_backup_triggered()
{
    BackupDialog dialog(this);
    dialog.exec();
    // A restore replaced the data under every number on the board.
    if (dialog.restored())
        refreshReminderCounts();
}

void MainWindow::on_action_about_triggered()
{
    runModal<AboutDialog>(this);
}

void MainWindow::AddCustomer()
{
    runModal<AddCustomerDialog>(this);
}

void MainWindow::ShowCustomers()
{
    runModal<CustomersDialog>(this, false);
}

void MainWindow::on_action_add_customer_triggered()
{
    AddCustomer();
}

void MainWindow::on_action_customers_triggered()
{
    ShowCustomers();
}

void MainWindow::on_action_useless_customers_triggered()
{
    runModal<UselessCustomersDialog>(this);
}

void MainWindow::on_action_unless_helpers_triggered()
{
    runModal<UselessHelpersDialog>(this);
}

void MainWindow::on_action_first_phone_customers_triggered()
{
    runModal<TodayFirstPhoneCustomersDialog>(this);
}

void MainWindow::on_action_today_subscribe_customers_triggered()
{
    runModal<TodaySubscribeCustomersDialog>(this, 1);
}

void MainWindow::on_action_today_visit_customers_triggered()
{
    runModal<TodaySubscribeCustomersDialog>(this, 2);
}

void MainWindow::on_action_today_contacted_customers_triggered()
{
    runModal<ContactedCustomersDialog>(this, todayBeginTime(), todayEndTime(), 0);
}

void MainWindow::on_action_add_recruiting_triggered()
{
    runModal<AddHelperDialog>(this);
}

void MainWindow::on_action_recruiting_triggered()
{
    runModal<HelperDialog>(this);
}

void MainWindow::on_action_first_phone_helper_triggered()
{
    runModal<TodayFirstPhoneHelpersDialog>(this);
}

void MainWindow::on_action_today_subscribe_helpers_triggered()
{
    runModal<TodaySubscribeHelpersDialog>(this, 1);
}

void MainWindow::on_action_today_visit_helpers_triggered()
{
    runModal<TodaySubscribeHelpersDialog>(this, 2);
}

void MainWindow::on_action_today_do_something_triggered()
{
    runModal<CalendarDialog>(this, todayBeginTime(), todayEndTime());
}

void MainWindow::on_action_week_do_something_triggered()
{
    runModal<CalendarDialog>(this, weekBeginTime(), weekEndTime());
}

void MainWindow::on_action_month_do_something_triggered()
{
    runModal<CalendarDialog>(this, monthBeginTime(), monthEndTime());
}

void MainWindow::on_label_6_linkActivated(const QString &)
{
    on_action_first_phone_customers_triggered();
}

void MainWindow::on_label_linkActivated(const QString &)
{
    on_action_today_subscribe_customers_triggered();
}

void MainWindow::on_label_2_linkActivated(const QString &)
{
    on_action_today_visit_customers_triggered();
}

void MainWindow::on_label_7_linkActivated(const QString &)
{
    on_action_first_phone_helper_triggered();
}

void MainWindow::on_label_3_linkActivated(const QString &)
{
    on_action_today_subscribe_helpers_triggered();
}

void MainWindow::on_label_4_linkActivated(const QString &)
{
    on_action_today_visit_helpers_triggered();
}

void MainWindow::on_label_5_linkActivated(const QString &)
{
    on_action_today_contacted_customers_triggered();
}

void MainWindow::on_action_account_info_triggered()
{
    runModal<AccountDialog>(this);
}

void MainWindow::on_action_init_customer_list_triggered()
{
    if (!initDataDialog)
        initDataDialog = new DownInitDataDialog(this);
    initDataDialog->show();
    initDataDialog->raise();
    initDataDialog->activateWindow();
}

void MainWindow::on_action_download_customer_list_triggered()
{
    runModal<DownloadCustomerListDialog>(this);
}

void MainWindow::on_action_add_teammate_triggered()
{
    runModal<AddTeammateDialog>(this);
}

void MainWindow::on_action_all_teammate_triggered()
{
    runModal<TeammateDialog>(this, false);
}

void MainWindow::on_action_teammate_task_triggered()
{
    runModal<TeammateTaskDialog>(this);
}

void MainWindow::on_action_teammate_examine_triggered()
{
    runModal<TeammateExamineDialog>(this);
}

void MainWindow::on_action_add_teammate_earning_report_triggered()
{
    runModal<AddTeammateEarningReportDialog>(this);
}

void MainWindow::on_action_teammate_earning_report_triggered()
{
    runModal<TeammateEarningReportDialog>(this);
}

void MainWindow::on_action_add_phoneskill_triggered()
{
    runModal<AddPhoneSkillDialog>(this);
}

void MainWindow::on_action_phoneskill_triggered()
{
    runModal<PhoneSkillsDialog>(this);
}

void MainWindow::on_action_add_product_triggered()
{
    runModal<AddProductDialog>(this);
}

void MainWindow::on_action_products_triggered()
{
    runModal<ProductsDialog>(this);
}

void MainWindow::on_action_add_customer_order_triggered()
{
    runModal<AddCustomerOrderDialog>(this, -1, QString());
}

void MainWindow::on_action_today_customer_orders_triggered()
{
    runModal<CustomerOrdersDialog>(this, todayBeginTime(), todayEndTime());
}

void MainWindow::on_action_week_customer_orders_triggered()
{
    runModal<CustomerOrdersDialog>(this, weekBeginTime(), weekEndTime());
}

void MainWindow::on_action_month_customer_orders_triggered()
{
    runModal<CustomerOrdersDialog>(this, monthBeginTime(), monthEndTime());
}

void MainWindow::on_action_year_customer_orders_triggered()
{
    runModal<CustomerOrdersDialog>(this, currentYearBeginTime(), currentYearEndTime());
}

void MainWindow::on_action_all_customer_orders_triggered()
{
    runModal<CustomerOrdersDialog>(this, QString());
}

void MainWindow::setUpContactAlerts()
{
    reminderTray =
        new ReminderTray(this,
                         {ui->action_today_subscribe_customers, ui->action_today_visit_customers,
                          ui->action_today_subscribe_helpers, ui->action_today_visit_helpers},
                         ui->action_exit);
    reminderTray->setToolTip(reminderSummary());
    // Today's calendar holds every call and visit of the day.
    reminderTray->setOverflowClick([this] { ui->action_today_do_something->trigger(); });
    contactAlerts = new ContactAlerts(this, true);
    connect(contactAlerts, &ContactAlerts::contactDue, this, &MainWindow::showContactAlert);
    connect(contactAlerts, &ContactAlerts::contactsMissed, this, &MainWindow::showMissedContacts);
}

void MainWindow::showContactAlert(const ScheduledContact &contact)
{
    const PersonKind kind = contact.kind;
    const qint64 id = contact.personId;
    reminderTray->notify(QStringLiteral("联系提醒"), contactAlertText(contact),
                         [this, kind, id] { runCallDialogFor(this, kind, id); });
}

void MainWindow::showMissedContacts(const QList<ScheduledContact> &contacts)
{
    // The follow-up list of the earliest missed contact: prospects or
    // recruits, calls or visits.
    const ScheduledContact &first = contacts.first();
    const bool visit = first.type == 2;
    QAction *list =
        first.kind == PersonKind::Prospect
            ? (visit ? ui->action_today_visit_customers : ui->action_today_subscribe_customers)
            : (visit ? ui->action_today_visit_helpers : ui->action_today_subscribe_helpers);
    reminderTray->notify(QStringLiteral("联系提醒"), missedContactsText(int(contacts.size())),
                         [list] { list->trigger(); });
}

QString MainWindow::reminderSummary() const
{
    const QList<std::pair<const char *, const QLabel *>> lines = {
        {"今日需首次联系准客户", ui->labelTodayFirstPhoneCustomerCount},
        {"今日需再联系的准客户", ui->labelTodayPhoneCustomerCount},
        {"今日需约访准客户", ui->labelTodayVisitCustomerCount},
        {"今日需首次联系准增员", ui->labelTodayFirstPhoneHelperCount},
        {"今日需再联系准增员", ui->labelTodaySubscribeHelperCount},
        {"今日需约访准增员", ui->labelTodayVisitHelperCount},
        {"今日已联系准客户数", ui->labelTodayContactedCount},
    };
    QStringList text{windowTitle()};
    for (const auto &[caption, count] : lines)
        text.append(QString::fromUtf8(caption) + QStringLiteral(": ") + count->text());
    return text.join(QLatin1Char('\n'));
}

void MainWindow::setUpCallingTools()
{
    searchBox = new SearchBox(this);
    ui->mainToolBar->addSeparator();
    ui->mainToolBar->addWidget(searchBox)->setObjectName(QStringLiteral("actionSearchBox"));
    auto *find = new QAction(QStringLiteral("搜索"), this);
    find->setObjectName(QStringLiteral("actionSearch"));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(find, &QAction::triggered, searchBox, [this] {
        searchBox->setFocus(Qt::ShortcutFocusReason);
        searchBox->selectAll();
    });
    addAction(find);

    todayPace = new TodayPace(ui->widget);
    if (auto *column = qobject_cast<QVBoxLayout *>(ui->widget->layout()))
        column->insertWidget(1, todayPace);
}
