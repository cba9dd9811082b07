#pragma once

#include "teamserver/activityfigures.h"
#include "teamserver/teamserversettings.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

class QThread;

// The schema this program reads and writes (packaging/teamserver/schema.sql).
inline constexpr int teamServerSchemaVersion = 2;

// Opens a PostgreSQL connection of the given name in the calling thread (it
// belongs to that thread) and checks the schema version. On failure returns
// false with the reason: the server's own text, or what is missing. The
// server must prove itself as the TLS mode asks, and a password goes only
// to one that proves it knows it too (SCRAM with channel binding): libpq
// refuses to hand it over in clear text or as MD5.
bool openTeamServer(const QString &connectionName, const TeamServerSettings &settings,
                    const QString &password, QString *error);
void closeTeamServer(const QString &connectionName);
// Breaks off what the connections of the thread are doing, from any thread:
// their statements fail at once. With cancelOnServer the server is asked to
// cancel them too (PQcancel, on a thread of its own: a server that stopped
// answering would hold it).
void interruptTeamServer(QThread *thread, bool cancelOnServer);

// Upserts this member's rows in one transaction through the server's
// publish function (the member has no other write): either all of them are
// on the server afterwards, or none (a kill midway leaves the previous
// publish).
bool publishActivity(QSqlDatabase &db, const QMap<QDate, ActivityValues> &days, QString *error);

// One member's recorded sums over a period, as the leader may read them.
struct MemberActivity
{
    QString member;
    bool reportedToday = false;
    bool reportedThisWeek = false;
    ActivityValues today{};
    ActivityValues week{};
};
// Today's and this week's figures of every member of the leader's team,
// those who published nothing included, and of others with rows the reader
// may see this week.
bool readTeamActivity(QSqlDatabase &db, const QDate &today, const QDate &weekBegin,
                      QList<MemberActivity> *members, QString *error);
// One member's sums over [from, to]; false with an error text when unreadable.
bool readMemberActivity(QSqlDatabase &db, const QString &member, const QDate &from, const QDate &to,
                        ActivityValues *sums, QString *error);
