#include "activitypublisher.h"

#include "common/dateutils.h"
#include "store/database.h"
#include "teamserver/teamserverlink.h"
#include "teamserver/teamserverthread.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QTimer>

#include <algorithm>

struct ActivityPublisher::Worker
{
    TeamServerSettings settings;
    QString password;
    Pauses pauses;
    QString sqliteName;
    QString serverName;
    bool serverOpen = false;
    // What the server holds from this run, day by day.
    QMap<QDate, ActivityValues> published;
    QDate lastDay;
    int retryPause = 0;
    QTimer *publishTimer = nullptr;
    QTimer *retryTimer = nullptr;
    QTimer *dayTimer = nullptr;
    std::function<void(bool, const QString &, const QDateTime &)> report;
    // A publish as the thread watches it (TeamServerThread::watched).
    std::function<void()> watchedPublish;

    void start(QObject *context)
    {
        retryPause = pauses.firstRetryMs;
        publishTimer = new QTimer(context);
        publishTimer->setSingleShot(true);
        QObject::connect(publishTimer, &QTimer::timeout, context, watchedPublish);
        retryTimer = new QTimer(context);
        retryTimer->setSingleShot(true);
        QObject::connect(retryTimer, &QTimer::timeout, context, watchedPublish);
        dayTimer = new QTimer(context);
        QObject::connect(dayTimer, &QTimer::timeout, context, [this] {
            // A pending retry covers the new day too, and keeps its pause.
            if (Clock::now().date() != lastDay && !retryTimer->isActive())
                watchedPublish();
        });
        dayTimer->start(pauses.dayCheckMs);
        publish();
    }

    void changed()
    {
        // The first change of a burst starts the wait; later ones ride along.
        if (!publishTimer->isActive() && !retryTimer->isActive())
            publishTimer->start(pauses.afterChangeMs);
    }

    bool openSqlite(QString *error)
    {
        QSqlDatabase db = QSqlDatabase::database(sqliteName, false);
        if (db.isOpen())
            return true;
        // Opened here rather than through the store, whose failures become
        // boxes: this thread reports through the status bar only.
        if (!db.isValid()) {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), sqliteName);
            db.setDatabaseName(QString::fromLatin1(databaseFileName));
        }
        if (!db.open()) {
            *error = db.lastError().text();
            return false;
        }
        return true;
    }

    void publish()
    {
        publishTimer->stop();
        retryTimer->stop();
        const QDate today = Clock::now().date();
        const QDate from = today.addDays(-30);
        lastDay = today;
        QMap<QDate, ActivityValues> days;
        QString error;
        if (!openSqlite(&error)) {
            fail(QStringLiteral("本地数据无法读取: ") + error);
            return;
        }
        QSqlDatabase sqlite = QSqlDatabase::database(sqliteName, false);
        if (!computeActivity(sqlite, from, today, &days, &error)) {
            fail(QStringLiteral("本地数据无法读取: ") + error);
            return;
        }
        QMap<QDate, ActivityValues> changedDays;
        for (auto day = days.constBegin(); day != days.constEnd(); ++day) {
            const auto sent = published.constFind(day.key());
            if (sent == published.constEnd() || *sent != day.value())
                changedDays.insert(day.key(), day.value());
        }
        if (!changedDays.isEmpty()) {
            if (!serverOpen) {
                serverOpen = openTeamServer(serverName, settings, password, &error);
                if (!serverOpen) {
                    closeTeamServer(serverName);
                    fail(error);
                    return;
                }
            }
            bool written = false;
            {
                QSqlDatabase server = QSqlDatabase::database(serverName, false);
                written = publishActivity(server, changedDays, &error);
            }
            if (!written) {
                // A broken link is opened anew at the next try.
                serverOpen = false;
                closeTeamServer(serverName);
                fail(error);
                return;
            }
            for (auto day = changedDays.constBegin(); day != changedDays.constEnd(); ++day)
                published.insert(day.key(), day.value());
            published.erase(published.begin(), published.lowerBound(from));
        }
        retryPause = pauses.firstRetryMs;
        report(true, QString(), Clock::now());
    }

    void fail(const QString &reason)
    {
        report(false, reason, Clock::now());
        retryTimer->start(retryPause);
        retryPause = std::min(retryPause * 2, pauses.longestRetryMs);
    }

    void close()
    {
        closeTeamServer(serverName);
        QSqlDatabase::database(sqliteName, false).close();
        QSqlDatabase::removeDatabase(sqliteName);
    }
};

ActivityPublisher::ActivityPublisher(const TeamServerSettings &settings, const QString &password,
                                     QObject *parent)
    : ActivityPublisher(settings, password, Pauses(), parent)
{
}

ActivityPublisher::ActivityPublisher(const TeamServerSettings &settings, const QString &password,
                                     const Pauses &pauses, QObject *parent)
    : QObject(parent), m_worker(std::make_shared<Worker>())
{
    const QString id = uniqueConnectionName(QString());
    m_worker->settings = settings;
    m_worker->password = password;
    m_worker->pauses = pauses;
    m_worker->sqliteName = QStringLiteral("teamserver-publish-local-") + id;
    m_worker->serverName = QStringLiteral("teamserver-publish-server-") + id;
    // The worker may outlive this object (see TeamServerThread): it holds a
    // guard made here, never a bare pointer it would have to check itself.
    const QPointer<QObject> self(this);
    m_worker->report = [self, this](bool synced, const QString &reason, const QDateTime &time) {
        deliver(self, [this, synced, reason, time] { report(synced, reason, time); });
    };
    std::shared_ptr<Worker> worker = m_worker;
    m_thread =
        std::make_unique<TeamServerThread>([worker] { worker->close(); }, pauses.hangLimitMs);
    QObject *context = m_thread->context();
    Worker *raw = worker.get(); // the thread's timers die with the worker's thread
    m_worker->watchedPublish = m_thread->watched([raw] { raw->publish(); });
    m_thread->post([worker, context] { worker->start(context); });
    // The last "已同步" must not stand while newer changes wait for a
    // server that takes its time.
    m_waitWatch = new QTimer(this);
    connect(m_waitWatch, &QTimer::timeout, this, [this, notice = pauses.waitingNoticeMs] {
        const qint64 busy = m_thread->busyMs();
        if (busy > notice)
            emit waiting(int(busy / 1000));
    });
    m_waitWatch->start(1000);
}

ActivityPublisher::~ActivityPublisher()
{
    m_waitWatch->stop();
    m_thread.reset();
}

void ActivityPublisher::localDataChanged()
{
    std::shared_ptr<Worker> worker = m_worker;
    m_thread->post([worker] { worker->changed(); });
}

void ActivityPublisher::report(bool synced, const QString &reason, const QDateTime &time)
{
    m_synced = synced;
    m_reason = reason;
    emit statusChanged(synced, reason, time);
}

QString teamServerStatusText(bool synced, const QString &reason, const QDateTime &time)
{
    if (synced)
        return QStringLiteral("团队服务器: 已同步 ") + time.toString(QStringLiteral("HH:mm"));
    return QStringLiteral("团队服务器: 无法连接 (") + reason.simplified() + QLatin1Char(')');
}

QString teamServerWaitingText(int seconds)
{
    return QStringLiteral("团队服务器: 等待服务器应答 (%1 秒)").arg(seconds);
}
