#include "shots.h"

#include "app/aboutdialog.h"
#include "common/appsettings.h"
#include "app/backupdialog.h"
#include "common/dateutils.h"
#include "app/remindertray.h"
#include "app/systemsetdialog.h"
#include "calling/calendardialog.h"
#include "calling/calldialog.h"
#include "calling/contactedcustomersdialog.h"
#include "calling/todayfirstphonecustomersdialog.h"
#include "calling/todayfirstphonehelpersdialog.h"
#include "calling/todaysubscribecustomersdialog.h"
#include "calling/todaysubscribehelpersdialog.h"
#include "widgets/filechooser.h"
#include "exchange/importpeopledialog.h"
#include "online/accountdialog.h"
#include "online/downinitdatadialog.h"
#include "online/downloadcustomerlistdialog.h"
#include "orders/addcustomerorderdialog.h"
#include "orders/customerordersdialog.h"
#include "phonescripts/phoneskillsdialog.h"
#include "prospects/addcustomerdialog.h"
#include "prospects/addkinsfolkdialog.h"
#include "prospects/customersdialog.h"
#include "prospects/editcustomerdialog.h"
#include "prospects/uselesscustomersdialog.h"
#include "prospects/uselesshelpersdialog.h"
#include "store/customerstore.h"
#include "store/snapshots.h"
#include "team/addhelperdialog.h"
#include "team/addteammatedialog.h"
#include "team/addteammateearningreportdialog.h"
#include "team/addteammatetaskdialog.h"
#include "team/helperdialog.h"
#include "team/teammatedialog.h"
#include "team/teammateearningreportdialog.h"
#include "team/teammateexaminedialog.h"
#include "team/teammatetaskdialog.h"
#include "statistics/statisticsdialog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>

#include <QTableWidget>

namespace {
// Builds a dialog of type T with the main window as parent.
template <typename T> Shot dialog(const char *name)
{
    return {QLatin1String(name),
            [](QWidget *mainWindow) { return std::unique_ptr<QWidget>(new T(mainWindow)); }};
}

// The call dialog on the active prospects, at the third one (a visit and a
// call in its history), with the phone scripts shown.
std::unique_ptr<QWidget> callDialog(QWidget *mainWindow)
{
    QSqlQueryModel *list = loadCustomersModel(mainWindow, QStringLiteral("user_type = 1"), 0, 0);
    const bool scripts = appSettings.talkSkillRemind();
    appSettings.setTalkSkillRemind(true);
    auto dialog = std::make_unique<CallDialog>(list, list->index(2, 0), mainWindow);
    appSettings.setTalkSkillRemind(scripts);
    return dialog;
}

// The sample's first team member assessed for this year, on the given tab.
std::unique_ptr<QWidget> assessment(QWidget *mainWindow, int tab)
{
    auto *dialog = new TeammateExamineDialog(mainWindow);
    dialog->assess(5, QStringLiteral("钱进"), Clock::now().date().year());
    dialog->findChild<QTabWidget *>(QStringLiteral("tabWidget"))->setCurrentIndex(tab);
    return std::unique_ptr<QWidget>(dialog);
}
// The statistics of this month on the given tab, once every chart has filled in.
std::unique_ptr<QWidget> statistics(QWidget *mainWindow, int tab)
{
    auto dialog = std::make_unique<StatisticsDialog>(mainWindow);
    dialog->findChild<QTabWidget *>(QStringLiteral("tabWidget"))->setCurrentIndex(tab);
    QElapsedTimer waited;
    waited.start();
    while (!dialog->isComplete() && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return dialog;
}

// The import of a small agent's list: one row repeats a stored number, one
// lacks the phone.
std::unique_ptr<QWidget> importDialog(QWidget *mainWindow)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("名单.csv"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(QStringLiteral("姓名,性别,出生日期,手机,单位\n"
                                  "周明,男,1982/3/5,139 1234 5678,华夏建材\n"
                                  "吴芳,女,1990年7月1日,,新华书店\n"
                                  "郑强,男,,+86 138-0013-8001,\n"
                                  "冯丽,女,1979-11-20,13612345678,市一中\n")
                       .toUtf8());
    file.close();
    auto *dialog = new ImportPeopleDialog(PersonTable::Customers, mainWindow);
    FileChooser::answerNext(path);
    QMetaObject::invokeMethod(dialog, "on_pushButtonBrowse_clicked");
    return std::unique_ptr<QWidget>(dialog);
}
} // namespace

// A new dialog needs one line here; dialogs with constructor arguments use
// a lambda of their own instead of dialog<T>.
QList<Shot> allShots()
{
    return {
        dialog<SystemSetDialog>("systemsetdialog"),
        dialog<AboutDialog>("aboutdialog"),
        dialog<CustomersDialog>("customersdialog"),
        {QStringLiteral("importpeopledialog"), importDialog},
        dialog<AddCustomerDialog>("addcustomerdialog"),
        {QStringLiteral("addkinsfolkdialog"),
         [](QWidget *mainWindow) {
             return std::unique_ptr<QWidget>(new AddKinsfolkDialog(1, mainWindow));
         }},
        {QStringLiteral("editcustomerdialog"),
         [](QWidget *mainWindow) {
             return std::unique_ptr<QWidget>(new EditCustomerDialog(1, mainWindow));
         }},
        dialog<UselessCustomersDialog>("uselesscustomersdialog"),
        dialog<UselessHelpersDialog>("uselesshelpersdialog"),
        dialog<TodayFirstPhoneCustomersDialog>("todayfirstphonecustomersdialog"),
        dialog<TodayFirstPhoneHelpersDialog>("todayfirstphonehelpersdialog"),
        {QStringLiteral("todaysubscribecustomersdialog"),
         [](QWidget *mainWindow) {
             return std::unique_ptr<QWidget>(new TodaySubscribeCustomersDialog(mainWindow, 1));
         }},
        {QStringLiteral("todaysubscribehelpersdialog"),
         [](QWidget *mainWindow) {
             return std::unique_ptr<QWidget>(new TodaySubscribeHelpersDialog(mainWindow, 1));
         }},
        {QStringLiteral("contactedcustomersdialog"),
         [](QWidget *mainWindow) {
             return std::unique_ptr<QWidget>(
                 new ContactedCustomersDialog(mainWindow, todayBeginTime(), todayEndTime(), 0));
         }},
        {QStringLiteral("calendardialog"),
         [](QWidget *mainWindow) {
             return std::unique_ptr<QWidget>(
                 new CalendarDialog(mainWindow, weekBeginTime(), weekEndTime()));
         }},
        dialog<HelperDialog>("helperdialog"),
        dialog<AddHelperDialog>("addhelperdialog"),
        dialog<AccountDialog>("accountdialog"),
        dialog<DownloadCustomerListDialog>("downloadcustomerlistdialog"),
        dialog<DownInitDataDialog>("downinitdatadialog"),
        {QStringLiteral("addcustomerorderdialog"),
         [](QWidget *mainWindow) {
             auto *dialog = new AddCustomerOrderDialog(mainWindow, 2, QStringLiteral("李娜"));
             // Two lines as an agent would have them after the product lookup.
             auto *table = dialog->findChild<QTableWidget *>(QStringLiteral("tableWidget"));
             const QStringList lines[] = {
                 {QStringLiteral("YL-01"), QStringLiteral("安享养老年金"), "1", "12000"},
                 {QStringLiteral("JY-02"), QStringLiteral("少儿教育金"), "2", "9000"}};
             for (int row = 0; row < 2; ++row)
                 for (int column = 0; column < 4; ++column)
                     table->setItem(row, column, new QTableWidgetItem(lines[row].at(column)));
             return std::unique_ptr<QWidget>(dialog);
         }},
        {QStringLiteral("customerordersdialog"),
         [](QWidget *mainWindow) {
             return std::unique_ptr<QWidget>(
                 new CustomerOrdersDialog(mainWindow, monthBeginTime(), monthEndTime()));
         }},
        dialog<PhoneSkillsDialog>("phoneskillsdialog"),
        {QStringLiteral("calldialog"), callDialog},
        {QStringLiteral("alertpopup"),
         [](QWidget *) {
             return std::unique_ptr<QWidget>(new AlertPopup(
                 QStringLiteral("联系提醒"), QStringLiteral("10:30 电话 张伟 13800000003")));
         }},
        dialog<TeammateDialog>("teammatedialog"),
        dialog<AddTeammateDialog>("addteammatedialog"),
        dialog<AddTeammateTaskDialog>("addteammatetaskdialog"),
        dialog<AddTeammateEarningReportDialog>("addteammateearningreportdialog"),
        dialog<TeammateTaskDialog>("teammatetaskdialog"),
        dialog<TeammateEarningReportDialog>("teammateearningreportdialog"),
        {QStringLiteral("teammateexaminedialog"),
         [](QWidget *mainWindow) { return assessment(mainWindow, 0); }},
        {QStringLiteral("teammateexaminedialog_month"),
         [](QWidget *mainWindow) { return assessment(mainWindow, 1); }},
        {QStringLiteral("statisticsdialog"),
         [](QWidget *mainWindow) { return statistics(mainWindow, 0); }},
        {QStringLiteral("statisticsdialog_orders"),
         [](QWidget *mainWindow) { return statistics(mainWindow, 2); }},
        {QStringLiteral("backupdialog"),
         [](QWidget *mainWindow) {
             // Two daily snapshots of the sample, so the list has rows.
             for (int daysAgo : {1, 0}) {
                 SnapshotJob job;
                 if (job.begin(QDateTime(QDate(2026, 3, 7).addDays(-daysAgo), QTime(9, 12, 5))))
                     job.runToEnd();
             }
             return std::unique_ptr<QWidget>(new BackupDialog(mainWindow));
         }},
    };
}
