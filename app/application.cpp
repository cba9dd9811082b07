#include "application.h"

#include "common/dateutils.h"
#include "app/mainwindow.h"
#include "widgets/messageboxes.h"
#include "app/qtsingleapplication.h"
#include "app/startup.h"
#include "store/database.h"
#include "store/snapshots.h"

#include <QSqlDatabase>

namespace {
// The data file failed to open as a database: offer the newest good snapshot.
// The damaged file is kept beside it, never deleted.
bool restoreDamagedDatabase()
{
    if (!databaseFileDamaged())
        return false;
    const QString snapshot = newestSoundSnapshot();
    if (snapshot.isEmpty())
        return false;
    SnapshotInfo info;
    for (const SnapshotInfo &candidate : listSnapshots()) {
        if (candidate.path == snapshot)
            info = candidate;
    }
    if (!askYesNo(nullptr,
                  QStringLiteral("数据文件已损坏，无法打开。\n是否用 %1 的备份恢复数据?\n"
                                 "损坏的文件会保留下来，改名为 mwdb.dat.damaged。")
                      .arg(info.taken.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))),
                  QStringLiteral("数据库错误"), QMessageBox::Warning))
        return false;
    closeDatabase();
    QSqlDatabase::removeDatabase(defaultConnectionName());
    QString damagedPath;
    QString error;
    if (!replaceDamagedDatabase(snapshot, &damagedPath, &error)) {
        showWarning(nullptr, error, QStringLiteral("数据库错误"));
        return false;
    }
    return initDatabase();
}
} // namespace

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
    if (!loadSettingsAndDatabase() && !restoreDamagedDatabase())
        return 1;

    int result = 0;
    {
        MainWindow window;
        window.show();
        // A copy a day, taken a few pages at a time while the agent works.
        SnapshotJob dailySnapshot;
        if (dailySnapshotDue(Clock::now()) && dailySnapshot.begin(Clock::now()))
            dailySnapshot.runInBackground();
        result = app.exec();
    }
    closeDatabase();
    return result;
}
