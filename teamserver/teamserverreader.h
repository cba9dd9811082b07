#pragma once

#include "teamserver/teamserverlink.h"

#include <QObject>

#include <functional>
#include <memory>

class TeamServerThread;

// The leader's reading of the team server, on a thread of its own so that a
// slow or unreachable server never holds up a window. Each answer comes
// back on the caller's thread, to the given receiver (dropped when the
// receiver is gone).
class TeamServerReader : public QObject
{
    Q_OBJECT
public:
    TeamServerReader(const TeamServerSettings &settings, const QString &password,
                     QObject *parent = nullptr);
    ~TeamServerReader() override;

    using TeamAnswer =
        std::function<void(const QList<MemberActivity> &, const QString &error, qint64 ms)>;
    using MemberAnswer = std::function<void(const ActivityValues &, const QString &error)>;

    void readTeam(const QDate &today, const QDate &weekBegin, QObject *receiver, TeamAnswer answer);
    void readMember(const QString &member, const QDate &from, const QDate &to, QObject *receiver,
                    MemberAnswer answer);
    // How long the read now running has waited for the server; 0 while idle.
    qint64 busyMs() const;

private:
    struct Link;
    std::shared_ptr<Link> m_link;
    std::unique_ptr<TeamServerThread> m_thread;
};
