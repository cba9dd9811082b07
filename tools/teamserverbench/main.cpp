// Fills a team server with 200 members' activity over three years (about
// 220,000 rows) on the team of the given leader and times the read behind
// the leader's window "团队今日活动量" (today and this week per member), as
// the leader's role sees it through row-level security.
//
//   teamserverbench LEADER [DATABASE] [--keep]
//
// Connects as a superuser through the usual libpq variables (PGHOST,
// PGPORT, PGUSER), for example: sudo -u postgres teamserverbench boss team
// The generated rows (members bench_m001 ...) are removed again unless --keep.

#include "teamserver/teamserverlink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

#include <algorithm>

namespace {
bool run(QSqlDatabase &db, const char *statement, const QVariantList &values = {})
{
    QSqlQuery query(db);
    // Statements without values run unprepared (PostgreSQL prepares no ANALYZE).
    bool ok = values.isEmpty() ? query.exec(QString::fromLatin1(statement))
                               : query.prepare(QString::fromLatin1(statement));
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (ok && !values.isEmpty())
        ok = query.exec();
    if (ok)
        return true;
    QTextStream(stderr) << statement << ": " << query.lastError().text() << '\n';
    return false;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool keep = args.removeAll(QStringLiteral("--keep")) > 0;
    if (args.isEmpty()) {
        QTextStream(stderr) << "usage: teamserverbench LEADER [DATABASE] [--keep]\n";
        return 2;
    }
    const QString leader = args.at(0);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"));
    db.setDatabaseName(args.value(1, QStringLiteral("team")));
    if (!db.open()) {
        QTextStream(stderr) << db.lastError().text() << '\n';
        return 1;
    }
    QTextStream out(stdout);
    QElapsedTimer clock;
    clock.start();
    const bool filled =
        run(db,
            "INSERT INTO activity (member, day, prospect_first_calls, prospect_later_calls, "
            "prospect_visits, recruit_first_calls, recruit_later_calls, recruit_visits, "
            "new_customers, orders, order_money, talk_seconds) "
            "SELECT 'bench_m' || lpad(m::text, 3, '0'), current_date - d, (m + d) % 20, "
            "(m * d) % 30, d % 5, m % 7, d % 9, (m + d) % 3, d % 2, (m + d) % 4, "
            "((m + d) % 4) * 1200, (m * d) % 7200 "
            "FROM generate_series(1, 200) m, generate_series(0, 1095) d ON CONFLICT DO NOTHING") &&
        run(db,
            "INSERT INTO team_members (leader, member) SELECT ?, 'bench_m' || lpad(m::text, 3, "
            "'0') "
            "FROM generate_series(1, 200) m ON CONFLICT DO NOTHING",
            {leader}) &&
        run(db, "ANALYZE activity");
    if (!filled)
        return 1;
    out << "filled 200 members x 1096 days in " << clock.elapsed() << " ms\n";

    // From here on as the leader: the policies decide what is read.
    run(db, "SELECT set_config('role', ?, false)", {leader});
    const QDate today = QDate::currentDate();
    QList<qint64> times;
    int members = 0;
    for (int round = 0; round < 21; ++round) {
        QList<MemberActivity> read;
        QString error;
        clock.restart();
        if (!readTeamActivity(db, today, today.addDays(1 - today.dayOfWeek()), &read, &error)) {
            QTextStream(stderr) << error << '\n';
            return 1;
        }
        times << clock.nsecsElapsed() / 1000;
        members = int(read.size());
    }
    std::sort(times.begin(), times.end());
    out << "leader window refresh, " << members << " members: median "
        << QString::number(times.at(times.size() / 2) / 1000.0, 'f', 1) << " ms, slowest "
        << QString::number(times.last() / 1000.0, 'f', 1) << " ms\n";

    run(db, "RESET ROLE");
    if (!keep) {
        run(db, "DELETE FROM activity WHERE member LIKE 'bench\\_m%'");
        run(db, "DELETE FROM team_members WHERE member LIKE 'bench\\_m%'");
    }
    return 0;
}
