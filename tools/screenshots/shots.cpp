#include "shots.h"

#include "app/aboutdialog.h"
#include "app/systemsetdialog.h"
#include "online/accountdialog.h"
#include "online/downinitdatadialog.h"
#include "online/downloadcustomerlistdialog.h"
#include "prospects/addcustomerdialog.h"
#include "prospects/addkinsfolkdialog.h"
#include "prospects/customersdialog.h"
#include "prospects/editcustomerdialog.h"
#include "prospects/uselesscustomersdialog.h"
#include "prospects/uselesshelpersdialog.h"

namespace {
// Builds a dialog of type T with the main window as parent.
template <typename T> Shot dialog(const char *name)
{
    return {QLatin1String(name),
            [](QWidget *mainWindow) { return std::unique_ptr<QWidget>(new T(mainWindow)); }};
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
        dialog<AccountDialog>("accountdialog"),
        dialog<DownloadCustomerListDialog>("downloadcustomerlistdialog"),
        dialog<DownInitDataDialog>("downinitdatadialog"),
    };
}
