#include "teamserverlink.h"

#include <QMutex>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QThread>
#include <QVariant>

#include <libpq-fe.h>

#include <memory>
#include <sys/socket.h>
#include <thread>

namespace {
// The open connections, so that another thread can break them off.
struct OpenLink
{
    QThread *thread = nullptr;
    QString name;
    int socket = -1;
    std::shared_ptr<PGcancel> cancel;
};

QMutex &linksLock()
{
    static QMutex lock;
    return lock;
}

QList<OpenLink> &openLinks()
{
    static QList<OpenLink> links;
    return links;
}

PGconn *pgConnection(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    // The driver's type name is that of the struct behind PGconn.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn *const *>(handle.constData());
}

// A value of libpq's connection string, quoted as it reads them.
QString quotedOption(QString value)
{
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

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

// The server writes the row under the name the connection logged in with.
const char upsertStatement[] =
    "SELECT publish_activity(?::date, ?::integer, ?::integer, ?::integer, ?::integer, "
    "?::integer, ?::integer, ?::integer, ?::integer, ?::bigint, ?::bigint)";

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
    // Fixed option names; the mode is one of the known values. The
    // timeouts bound how long a dead network or a held lock can keep the
    // thread (and so the closing program, or new settings) waiting.
    const QString mode = teamServerTlsModes().contains(settings.tlsMode)
                             ? settings.tlsMode
                             : teamServerTlsModes().constFirst();
    QString options = QStringLiteral("sslmode=%1;connect_timeout=10;keepalives_idle=30;"
                                     "tcp_user_timeout=30000;application_name=CallLedger;"
                                     "options='-c statement_timeout=30000 -c lock_timeout=20000'")
                          .arg(mode);
    // Whoever answers on the port would otherwise be sent the password as
    // it asks, in clear text or as MD5.
    if (!password.isEmpty())
        options += QStringLiteral(";channel_binding=require");
    if (!settings.caFile.isEmpty()) {
        // The driver turns ";" into a blank before libpq reads the options.
        if (settings.caFile.contains(QLatin1Char(';'))) {
            *error = QStringLiteral("CA 证书文件的路径不能包含分号 (;)");
            return false;
        }
        options += QStringLiteral(";sslrootcert=") + quotedOption(settings.caFile);
    }
    db.setConnectOptions(options);
    if (!db.open()) {
        *error = errorText(db.lastError());
        return false;
    }
    if (PGconn *connection = pgConnection(db)) {
        OpenLink link;
        link.thread = QThread::currentThread();
        link.name = connectionName;
        link.socket = PQsocket(connection);
        link.cancel = std::shared_ptr<PGcancel>(PQgetCancel(connection), PQfreeCancel);
        QMutexLocker lock(&linksLock());
        openLinks().append(link);
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
        // Out of reach of interruptTeamServer before its socket closes.
        QMutexLocker lock(&linksLock());
        openLinks().removeIf([&](const OpenLink &link) { return link.name == connectionName; });
    }
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

void interruptTeamServer(QThread *thread, bool cancelOnServer)
{
    QMutexLocker lock(&linksLock());
    for (const OpenLink &link : std::as_const(openLinks())) {
        if (link.thread != thread)
            continue;
        if (cancelOnServer && link.cancel) {
            std::thread([cancel = link.cancel] {
                char reason[256];
                PQcancel(cancel.get(), reason, sizeof reason);
            }).detach();
        }
        // The thread's waiting read ends at once; the server rolls back.
        if (link.socket >= 0)
            ::shutdown(link.socket, SHUT_RDWR);
    }
}

bool publishActivity(QSqlDatabase &db, const QMap<QDate, ActivityValues> &days, QString *error)
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
