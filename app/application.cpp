#include "application.h"

#include "app/mainwindow.h"
#include "app/messageboxes.h"
#include "app/qtsingleapplication.h"
#include "app/startup.h"
#include "store/database.h"

int runApplication(QtSingleApplication &app)
{
    if (app.isRunning()) {
        // The running instance takes no action on the message; this one just ends.
        app.sendMessage(QStringLiteral("raies"), 5000);
        return 0;
    }
    if (!app.lockError().isEmpty()) {
        // Not another instance: the lock itself failed, and going on would
        // let a second copy write the same file unnoticed.
        showWarning(nullptr, app.lockError(), QStringLiteral("提示"));
        return 1;
    }

    useChineseLocale();

    if (!loadSqlDriver()) {
        showWarning(nullptr, QStringLiteral("不能加载sql驱动,请重新安装软件."),
                    QStringLiteral("提示"));
        return 1;
    }

    installStoreWarningBoxes();
    if (!loadSettingsAndDatabase())
        return 1;

    int result = 0;
    {
        MainWindow window;
        window.show();
        result = app.exec();
    }
    closeDatabase();
    return result;
}
