#pragma once

#include "teamserver/activityfigures.h"
#include "teamserver/teamserversettings.h"

#include <QDateTime>
#include <QObject>

#include <memory>

class QTimer;
class TeamServerThread;

// Publishes this member's daily figures to the team server from a thread of
// its own, with its own SQLite and PostgreSQL connections. At start it sends
// the last 31 days; after each local change (a few seconds later, one batch
// per burst) and when the day turns, it recomputes those days from the data
// file and sends the rows that differ from what the server was last given,
// all in one transaction. Nothing is queued: after a failure it simply tries
// again, with a pause that doubles up to five minutes.
class ActivityPublisher : public QObject
{
    Q_OBJECT
public:
    struct Pauses
    {
        int afterChangeMs = 3000;
        int firstRetryMs = 5000;
        int longestRetryMs = 5 * 60 * 1000;
        int dayCheckMs = 20000;
        // A publish waiting this long is said in the status bar...
        int waitingNoticeMs = 10000;
        // ...and this long is broken off (a server that stopped answering).
        int hangLimitMs = 45000;
    };

    ActivityPublisher(const TeamServerSettings &settings, const QString &password,
                      QObject *parent = nullptr);
    ActivityPublisher(const TeamServerSettings &settings, const QString &password,
                      const Pauses &pauses, QObject *parent = nullptr);
    ~ActivityPublisher() override;

    // The data file may have changed.
    void localDataChanged();

    bool lastSynced() const { return m_synced; }
    QString lastReason() const { return m_reason; }

signals:
    // After every attempt: synced with the time, or the reason it failed.
    void statusChanged(bool synced, const QString &reason, const QDateTime &time);
    // Every second while a publish has waited longer than waitingNoticeMs.
    void waiting(int seconds);

private:
    struct Worker;
    void report(bool synced, const QString &reason, const QDateTime &time);

    std::shared_ptr<Worker> m_worker;
    std::unique_ptr<TeamServerThread> m_thread;
    QTimer *m_waitWatch = nullptr;
    bool m_synced = false;
    QString m_reason;
};

// The status bar's words for a publish result.
QString teamServerStatusText(bool synced, const QString &reason, const QDateTime &time);
// "团队服务器: 等待服务器应答 (N 秒)".
QString teamServerWaitingText(int seconds);
