#include "teamserverlink.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace {
QString errorText(const QSqlError &error)
{
    // The server's (or libpq's) own words: they name what is wrong.
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

// The columns in ActivityField order, as fixed text of the statements below.
#define ACTIVITY_COLUMNS                                                                           \
    "prospect_first_calls, prospect_later_calls, prospect_visits, recruit_first_calls, "           \
    "recruit_later_calls, recruit_visits, new_customers, orders, order_money, talk_seconds"
#define ACTIVITY_SUMS                                                                              \
    "coalesce(sum(prospect_first_calls), 0), coalesce(sum(prospect_later_calls), 0), "             \
    "coalesce(sum(prospect_visits), 0), coalesce(sum(recruit_first_calls), 0), "                   \
    "coalesce(sum(recruit_later_calls), 0), coalesce(sum(recruit_visits), 0), "                    \
    "coalesce(sum(new_customers), 0), coalesce(sum(orders), 0), "                                  \
    "coalesce(sum(order_money), 0), coalesce(sum(talk_seconds), 0)"

const char upsertStatement[] =
    "INSERT INTO activity (member, day, " ACTIVITY_COLUMNS ", updated_at) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, now()) ON CONFLICT (member, day) DO UPDATE SET "
    "prospect_first_calls = excluded.prospect_first_calls, "
    "prospect_later_calls = excluded.prospect_later_calls, "
    "prospect_visits = excluded.prospect_visits, "
    "recruit_first_calls = excluded.recruit_first_calls, "
    "recruit_later_calls = excluded.recruit_later_calls, "
    "recruit_visits = excluded.recruit_visits, new_customers = excluded.new_customers, "
    "orders = excluded.orders, order_money = excluded.order_money, "
    "talk_seconds = excluded.talk_seconds, updated_at = now()";

// Each member the reader may list: whether it published today, today's
// row, whether it published this week, the week's sums. The members are
// given by %1: a leader's whole team (team_members) with whoever else has
// rows this week, so a member who never published is listed too; the
// row-level policies limit what anyone sees.
const char teamStatement[] =
    "SELECT m.member, t.member IS NOT NULL, "
    "coalesce(t.prospect_first_calls, 0), coalesce(t.prospect_later_calls, 0), "
    "coalesce(t.prospect_visits, 0), coalesce(t.recruit_first_calls, 0), "
    "coalesce(t.recruit_later_calls, 0), coalesce(t.recruit_visits, 0), "
    "coalesce(t.new_customers, 0), coalesce(t.orders, 0), coalesce(t.order_money, 0), "
    "coalesce(t.talk_seconds, 0), w.* FROM (%1) m "
    "LEFT JOIN (SELECT member AS week_member, " ACTIVITY_SUMS
    " FROM activity WHERE day >= ? AND day <= ? GROUP BY member) w ON w.week_member = m.member "
    "LEFT JOIN activity t ON t.member = m.member AND t.day = ? ORDER BY m.member";
const char weekMembers[] = "SELECT DISTINCT member FROM activity WHERE day >= ? AND day <= ?";
const char teamAndWeekMembers[] =
    "SELECT member FROM team_members WHERE leader = current_user UNION "
    "SELECT member FROM activity WHERE day >= ? AND day <= ?";

const char memberStatement[] =
    "SELECT " ACTIVITY_SUMS " FROM activity WHERE member = ? AND day >= ? AND day <= ?";

void readValues(const QSqlQuery &query, int first, ActivityValues *values)
{
    for (int field = 0; field < ActivityFieldCount; ++field)
        (*values)[field] = query.value(first + field).toLongLong();
}
} // namespace

bool openTeamServer(const QString &connectionName, const TeamServerSettings &settings,
                    const QString &password, QString *error)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    if (!db.isValid()) {
        *error = QStringLiteral("缺少 PostgreSQL 驱动 (libqt6sql6-psql)");
        return false;
    }
    db.setHostName(settings.host);
    db.setPort(settings.port);
    db.setDatabaseName(settings.database);
    db.setUserName(settings.member);
    db.setPassword(password);
    // Fixed option names; the mode is one of the three known values. The
    // timeouts bound how long a dead network or a held lock can keep the
    // thread (and so the closing program, or new settings) waiting.
    const QString mode = teamServerTlsModes().contains(settings.tlsMode) ? settings.tlsMode
                                                                         : QStringLiteral("prefer");
    db.setConnectOptions(QStringLiteral("sslmode=%1;connect_timeout=10;keepalives_idle=30;"
                                        "application_name=CallLedger;"
                                        "options='-c statement_timeout=30000'")
                             .arg(mode));
    if (!db.open()) {
        *error = errorText(db.lastError());
        return false;
    }
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT to_regclass('public.schema_version') IS NOT NULL")) ||
        !query.next()) {
        *error = errorText(query.lastError());
        return false;
    }
    if (!query.value(0).toBool()) {
        *error = QStringLiteral("服务器上没有团队数据表，请先运行 setup.sh");
        return false;
    }
    if (!query.exec(QStringLiteral("SELECT max(version) FROM schema_version")) || !query.next()) {
        *error = errorText(query.lastError());
        return false;
    }
    const int version = query.value(0).toInt();
    if (version != teamServerSchemaVersion) {
        *error = QStringLiteral("服务器数据版本为 %1，本程序需要版本 %2")
                     .arg(version)
                     .arg(teamServerSchemaVersion);
        return false;
    }
    return true;
}

void closeTeamServer(const QString &connectionName)
{
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

bool publishActivity(QSqlDatabase &db, const QString &member,
                     const QMap<QDate, ActivityValues> &days, QString *error)
{
    if (days.isEmpty())
        return true;
    if (!db.transaction()) {
        *error = errorText(db.lastError());
        return false;
    }
    QSqlQuery query(db);
    bool ok = query.prepare(QString::fromLatin1(upsertStatement));
    for (auto day = days.constBegin(); ok && day != days.constEnd(); ++day) {
        query.addBindValue(member);
        query.addBindValue(day.key());
        for (qint64 value : day.value())
            query.addBindValue(value);
        ok = query.exec();
    }
    if (!ok) {
        *error = errorText(query.lastError());
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        *error = errorText(db.lastError());
        db.rollback();
        return false;
    }
    return true;
}

bool readTeamActivity(QSqlDatabase &db, const QDate &today, const QDate &weekBegin,
                      QList<MemberActivity> *members, QString *error)
{
    members->clear();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // Only leaders may read the team list; anyone else lists what it sees.
    if (!query.exec(QStringLiteral("SELECT has_table_privilege('public.team_members', "
                                   "'SELECT')")) ||
        !query.next()) {
        *error = errorText(query.lastError());
        return false;
    }
    const bool leader = query.value(0).toBool();
    if (!query.prepare(QString::fromLatin1(teamStatement)
                           .arg(QLatin1String(leader ? teamAndWeekMembers : weekMembers)))) {
        *error = errorText(query.lastError());
        return false;
    }
    for (const QDate &day : {weekBegin, today, weekBegin, today, today})
        query.addBindValue(day);
    if (!query.exec()) {
        *error = errorText(query.lastError());
        return false;
    }
    while (query.next()) {
        MemberActivity member;
        member.member = query.value(0).toString();
        member.reportedToday = query.value(1).toBool();
        member.reportedThisWeek = !query.value(2 + ActivityFieldCount).isNull();
        readValues(query, 2, &member.today);
        readValues(query, 3 + ActivityFieldCount, &member.week);
        members->append(member);
    }
    return true;
}

bool readMemberActivity(QSqlDatabase &db, const QString &member, const QDate &from, const QDate &to,
                        ActivityValues *sums, QString *error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(QString::fromLatin1(memberStatement))) {
        *error = errorText(query.lastError());
        return false;
    }
    query.addBindValue(member);
    query.addBindValue(from);
    query.addBindValue(to);
    if (!query.exec() || !query.next()) {
        *error = errorText(query.lastError());
        return false;
    }
    readValues(query, 0, sums);
    return true;
}
