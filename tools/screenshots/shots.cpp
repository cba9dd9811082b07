#include "shots.h"

#include "app/aboutdialog.h"
#include "app/appsettings.h"
#include "app/backupdialog.h"
#include "app/dateutils.h"
#include "app/systemsetdialog.h"
#include "calling/calendardialog.h"
#include "calling/calldialog.h"
#include "calling/contactedcustomersdialog.h"
#include "calling/todayfirstphonecustomersdialog.h"
#include "calling/todayfirstphonehelpersdialog.h"
#include "calling/todaysubscribecustomersdialog.h"
#include "calling/todaysubscribehelpersdialog.h"
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

#include <QTabWidget>

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
} // namespace

// A new dialog needs one line here; dialogs with constructor arguments use
// a lambda of their own instead of dialog<T>.
QList<Shot> allShots()
{
    return {
        dialog<SystemSetDialog>("systemsetdialog"),
        dialog<AboutDialog>("aboutdialog"),
        dialog<CustomersDialog>("customersdialog"),
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
        {QStringLiteral("calldialog"), callDialog},
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
