#pragma once

#include <QMap>
#include <QString>

// Which server member name each local team member (a helpers row of user
// type 2) publishes under, in the side table team_server_links of the data
// file, created when first needed.
QMap<int, QString> loadServerMemberLinks();
// An empty name removes the link.
bool saveServerMemberLink(int helperId, const QString &memberName);

struct LocalTeamMember
{
    int helperId = -1;
    QString name;
};
QList<LocalTeamMember> loadLocalTeamMembers();
