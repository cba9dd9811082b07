#include "application.h"

#include "app/dailysnapshot.h"
#include "app/mainwindow.h"
#include "app/qtsingleapplication.h"
#include "app/quitsignals.h"
#include "app/startup.h"
#include "common/dateutils.h"
#include "store/database.h"
#include "store/snapshots.h"
#include "teamserver/teamserverthread.h"
#include "widgets/messageboxes.h"
#include "widgets/statusnotices.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSessionManager>
#include <QSqlDatabase>
#include <QStatusBar>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <memory>

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
    // The copy was checked, but whatever comes next must not doubt it unseen.
    return initDatabase(FileCheck::Always);
}

// Troubles of the data file and its backups that the agent should see but
// that need no answer: a line of red text among the status bar's notices.
class StatusNotice
{
public:
    explicit StatusNotice(MainWindow &window) : m_notices(StatusNotices::of(window.statusBar()))
    {
        m_notices->label(ownTopic, QStringLiteral("statusNoticeLabel"));
    }
    void set(const QString &topic, const QString &text)
    {
        if (text.isEmpty())
            m_texts.remove(topic);
        else
            m_texts.insert(topic, text);
        m_notices->set(ownTopic, m_texts.values().join(QStringLiteral("  ")),
                       StatusNotices::Tone::Alarm);
    }

private:
    static inline const QString ownTopic = QStringLiteral("problems");
    StatusNotices *m_notices;
    QMap<QString, QString> m_texts;
};

// The whole file is read once, on a thread with its own connection, after the
// window shows; damage is shown in the status bar (no box from the
// background) and makes the next start check the file again.
class BackgroundCheck
{
public:
    BackgroundCheck(StatusNotice &notice, QObject *context)
    {
        const QString path = QFileInfo(QString::fromLatin1(databaseFileName)).absoluteFilePath();
        m_thread.reset(QThread::create(
            [this, path] { m_verdict = quickCheckFile(path, &m_damage, &m_stop); }));
        QObject::connect(m_thread.get(), &QThread::finished, context, [this, &notice] {
            if (!m_damage)
                return;
            checkWholeFileAtNextStart();
            notice.set(QStringLiteral("check"),
                       QStringLiteral("数据文件已损坏 (%1)，请在 系统设置 → 数据备份与恢复 "
                                      "中恢复一个备份。")
                           .arg(m_verdict));
        });
        m_thread->start(QThread::LowPriority);
    }
    ~BackgroundCheck()
    {
        m_stop = true;
        m_thread->wait();
    }

private:
    std::unique_ptr<QThread> m_thread;
    std::atomic_bool m_stop{false};
    QString m_verdict;
    bool m_damage = false;
};

// The end a signal or the session manager asks for: every dialog still open
// closes without saving and without a question, then the main window closes
// as 退出系统 closes it, and the event loop ends (aboutToQuit follows): the
// database is closed and the clean-exit marker removed below.
void quitNormally(MainWindow &window)
{
    answerBoxesSafely();
    for (QWidget *top : QApplication::topLevelWidgets()) {
        auto *dialog = qobject_cast<QDialog *>(top);
        // The base class's done: a dialog's own close handling would ask.
        if (dialog && dialog->isVisible())
            dialog->QDialog::done(QDialog::Rejected);
    }
    window.close();
    QCoreApplication::quit();
}

void showSnapshotProblems(StatusNotice &notice)
{
    notice.set(QStringLiteral("backup"), snapshotProblems(Clock::now()).join(QStringLiteral("  ")));
}
} // namespace

int runApplication(QtSingleApplication &app)
{
    if (app.isRunning()) {
        if (app.runningOnOtherFolder()) {
            // Said on the terminal too, for a start from a script.
            const QString folder = app.runningFolder().isEmpty()
                                       ? QStringLiteral("另一个文件夹")
                                       : QDir::toNativeSeparators(app.runningFolder());
            const QString text = QStringLiteral("已在 %1 运行, 不能同时打开 %2")
                                     .arg(folder, QDir::toNativeSeparators(app.dataFolder()));
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
            showWarning(nullptr, text, QStringLiteral("提示"));
            return 1;
        }
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
        QuitSignals quitSignals([&window] { quitNormally(window); });
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                         [&window](QSessionManager &) { quitNormally(window); });
        window.show();
        StatusNotice notice(window);
        std::unique_ptr<BackgroundCheck> check;
        if (databaseCheckDeferred())
            check = std::make_unique<BackgroundCheck>(notice, &window);
        // A copy a day, taken a few pages at a time while the agent works;
        // what a killed run left half-written goes first.
        removeUnfinishedSnapshots();
        DailySnapshot dailySnapshot;
        QObject::connect(&dailySnapshot, &DailySnapshot::finished, &window,
                         [&notice] { showSnapshotProblems(notice); });
        dailySnapshot.start();
        showSnapshotProblems(notice);
        result = app.exec();
    }
    closeDatabase();
    // A team server that never answers must not keep the program alive.
    finishTeamServerThreads(result);
    return result;
}
