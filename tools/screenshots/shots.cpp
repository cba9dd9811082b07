#include "shots.h"

#include "app/aboutdialog.h"
#include "app/systemsetdialog.h"

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
    };
}
