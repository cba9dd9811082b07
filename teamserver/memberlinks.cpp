#include "memberlinks.h"

#include "common/messagehook.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {
bool prepareLinks(QSqlQuery &query)
{
    return query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS team_server_links ("
                                     "helper_id INTEGER PRIMARY KEY, member_name TEXT NOT NULL)"));
}
} // namespace

QMap<int, QString> loadServerMemberLinks()
{
    QMap<int, QString> links;
    QSqlQuery query;
    if (!prepareLinks(query) ||
        !query.exec(QStringLiteral("SELECT helper_id, member_name FROM team_server_links")))
        return links;
    while (query.next())
        links.insert(query.value(0).toInt(), query.value(1).toString());
    return links;
}

bool saveServerMemberLink(int helperId, const QString &memberName)
{
    QSqlQuery query;
    bool ok = prepareLinks(query);
    if (ok && memberName.isEmpty()) {
        ok = query.prepare(QStringLiteral("DELETE FROM team_server_links WHERE helper_id = ?"));
        query.addBindValue(helperId);
    } else if (ok) {
        ok = query.prepare(QStringLiteral("INSERT INTO team_server_links (helper_id, member_name) "
                                          "VALUES (?, ?) ON CONFLICT (helper_id) DO UPDATE SET "
                                          "member_name = excluded.member_name"));
        query.addBindValue(helperId);
        query.addBindValue(memberName);
    }
    if (!ok || !query.exec()) {
        reportWarning(query.lastError().text(), QStringLiteral("保存团队服务器成员出错."));
        return false;
    }
    return true;
}

QList<LocalTeamMember> loadLocalTeamMembers()
{
    QList<LocalTeamMember> members;
    QSqlQuery query;
    if (!query.exec(QStringLiteral("SELECT id, name FROM helpers WHERE user_type = 2 ORDER BY id")))
        return members;
    while (query.next())
        members.append({query.value(0).toInt(), query.value(1).toString()});
    return members;
}
