#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "app/aboutdialog.h"
#include "app/backupdialog.h"
#include "app/remindertray.h"
#include "app/searchbox.h"
#include "app/systemsetdialog.h"
#include "app/todaypace.h"
#include "app/vendorsite.h"
#include "app/version.h"
#include "calling/calendardialog.h"
#include "calling/contactalerts.h"
#include "calling/contactedcustomersdialog.h"
#include "calling/todayfirstphonecustomersdialog.h"
#include "calling/todayfirstphonehelpersdialog.h"
#include "calling/todaylists.h"
#include "calling/todaysubscribecustomersdialog.h"
#include "calling/todaysubscribehelpersdialog.h"
#include "common/appsettings.h"
#include "common/dateutils.h"
#include "online/accountdialog.h"
#include "online/downinitdatadialog.h"
#include "online/downloadcustomerlistdialog.h"
#include "orders/addcustomerorderdialog.h"
#include "orders/addproductdialog.h"
#include "orders/customerordersdialog.h"
#include "orders/productsdialog.h"
#include "phone/phoneaccountdialog.h"
#include "phone/phonecontroller.h"
#include "phonescripts/addphoneskilldialog.h"
#include "phonescripts/phoneskillsdialog.h"
#include "prospects/addcustomerdialog.h"
#include "prospects/customersdialog.h"
#include "prospects/uselesscustomersdialog.h"
#include "prospects/uselesshelpersdialog.h"
#include "statistics/statisticsdialog.h"
#include "store/customerstore.h"
#include "store/database.h"
#include "store/databasethread.h"
#include "store/helperstore.h"
#include "store/schedulestore.h"
#include "store/sidetables.h"
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
#include "widgets/messageboxes.h"
#include "widgets/statusnotices.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
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
// Longer than this on the GUI thread is a frozen window: the board counts on
// its worker instead.
constexpr qint64 boardCountBudgetMs = 100;
// A worker's count this quick may run on the GUI thread again.
constexpr qint64 boardCountQuickMs = 25;

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
    setWindowTitle(
        tr("Vantoro电话营销软件 v") + programVersionText() + QStringLiteral(" - ") +
        QDir::toNativeSeparators(QFileInfo(QString::fromLatin1(databaseFileName)).absolutePath()));

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
    setUpSideTables();
    // The numbers must be right before the first tick.
    refreshReminderCounts();
    setUpContactAlerts();
    setUpTeamServer(this);
    setUpPhone();
    installEventFilter(this);

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

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The first paint: the window is on the screen, the rest may come.
    if (watched == this && event->type() == QEvent::Paint && !firstPaintSeen) {
        firstPaintSeen = true;
        QTimer::singleShot(0, this, &MainWindow::afterFirstPaint);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::afterFirstPaint()
{
    removeEventFilter(this);
    sideBuilder->start();
}

void MainWindow::setUpSideTables()
{
    sideBuilder = new SideTableBuilder(this);
    StatusNotices *notices = StatusNotices::of(ui->statusBar);
    notices->label(QStringLiteral("sidetables"), QStringLiteral("labelSideTables"))
        ->setToolTip(
            QStringLiteral("较早的数据文件第一次打开时建立索引, 完成前部分列表和统计会慢一些"));
    connect(sideBuilder, &SideTableBuilder::progress, this, [notices](qint64 done, qint64 total) {
        notices->set(QStringLiteral("sidetables"),
                     QStringLiteral("整理数据索引 %1%").arg(total > 0 ? done * 100 / total : 0));
    });
    connect(sideBuilder, &SideTableBuilder::finished, this, [this, notices] {
        notices->set(QStringLiteral("sidetables"), QString());
        // The board, the lists and the statistics read the side tables now.
        refreshReminderCounts();
    });
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
    // People an import or another program added are indexed in the background.
    if (dataChanged && firstPaintSeen && !sideBuilder->isRunning())
        sideBuilder->start();
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
    const BoardRequest request = todayBoardRequest();
    // Quick through the side tables; while they are being built, or when a
    // count was slow, the worker counts.
    if (countSlowly || !scheduleTablesBuilt()) {
        countOnWorker(request);
        return;
    }
    QElapsedTimer timer;
    timer.start();
    showBoard(countBoard(request), request);
    countSlowly = timer.elapsed() > boardCountBudgetMs;
}

void MainWindow::countOnWorker(const BoardRequest &request)
{
    if (boardCountRunning) {
        boardCountAgain = true;
        return;
    }
    if (!boardThread)
        boardThread = std::make_unique<DatabaseThread>(QStringLiteral("board"));
    boardCountRunning = true;
    boardCountAgain = false;
    QPointer<MainWindow> self(this);
    boardThread->post([self, request](const QSqlDatabase &db) {
        QElapsedTimer timer;
        timer.start();
        const BoardCounts counts = countBoard(request, db);
        const bool quick = timer.elapsed() < boardCountQuickMs;
        QMetaObject::invokeMethod(
            self,
            [self, counts, request, quick] {
                if (!self)
                    return;
                self->boardCountRunning = false;
                self->countSlowly = !quick;
                self->showBoard(counts, request);
                // A change while it counted: once more.
                if (self->boardCountAgain)
                    self->recountReminders();
            },
            Qt::QueuedConnection);
    });
}

void MainWindow::showBoard(const BoardCounts &counts, const BoardRequest &request)
{
    // Each number is the row count of the list its link opens, counted by
    // that list's own condition.
    ui->labelTodayFirstPhoneCustomerCount->setText(count(counts.firstCallCustomers));
    ui->labelTodayPhoneCustomerCount->setText(count(counts.phoneCustomers));
    ui->labelTodayVisitCustomerCount->setText(count(counts.visitCustomers));
    ui->labelTodayFirstPhoneHelperCount->setText(count(counts.firstCallHelpers));
    ui->labelTodaySubscribeHelperCount->setText(count(counts.phoneHelpers));
    ui->labelTodayVisitHelperCount->setText(count(counts.visitHelpers));
    ui->labelTodayContactedCount->setText(count(counts.contactedCustomers));
    todayPace->showCounts(counts, request.customersQuota, request.helpersQuota);
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
    if (dialog.restored()) {
        // An older copy may lack the side tables: they are built again.
        sideBuilder->start();
        refreshReminderCounts();
    }
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

void MainWindow::setUpPhone()
{
    PhoneController::Hooks hooks;
    hooks.openPerson = [this](int kind, qint64 id) {
        runCallDialogFor(this, kind == 2 ? PersonKind::Recruit : PersonKind::Prospect, id);
    };
    hooks.addProspect = [this](const QString &number) {
        AddCustomerDialog dialog(this);
        if (auto *phone = dialog.findChild<QLineEdit *>(QStringLiteral("lineEditPhone")))
            phone->setText(number);
        dialog.exec();
    };
    hooks.notify = [this](const QString &title, const QString &text,
                          const std::function<void()> &onClick) {
        reminderTray->notify(title, text, onClick);
    };
    auto *controller = new PhoneController(this, hooks);

    auto *account = new QAction(QStringLiteral("电话账号..."), this);
    account->setObjectName(QStringLiteral("action_phone_account"));
    connect(account, &QAction::triggered, this, [this] { runModal<PhoneAccountDialog>(this); });
    auto *missed = new QAction(QStringLiteral("未接来电"), this);
    missed->setObjectName(QStringLiteral("action_missed_calls"));
    connect(missed, &QAction::triggered, controller, &PhoneController::showMissedCalls);
    auto *menu = new QMenu(QStringLiteral("电话"), ui->menuBar);
    menu->setObjectName(QStringLiteral("menu_phone"));
    menu->addAction(account);
    menu->addAction(missed);
    ui->menuBar->insertMenu(ui->menu_8->menuAction(), menu);

    // The board's count leads to the list it counts.
    auto *board = new QLabel(ui->widget);
    board->setObjectName(QStringLiteral("labelMissedCalls"));
    connect(board, &QLabel::linkActivated, controller, &PhoneController::showMissedCalls);
    const auto showCount = [board, missed](int count) {
        board->setText(QStringLiteral("未接来电: <a href=\"missed\">%1</a>").arg(count));
        missed->setText(count > 0 ? QStringLiteral("未接来电 (%1)").arg(count)
                                  : QStringLiteral("未接来电"));
    };
    connect(controller, &PhoneController::missedCallsCounted, board, showCount);
    showCount(controller->missedCalls());
    if (auto *column = qobject_cast<QVBoxLayout *>(ui->widget->layout()))
        column->addWidget(board);
}
