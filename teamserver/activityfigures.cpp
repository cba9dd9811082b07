#include "activityfigures.h"

#include "common/dateutils.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTime>
#include <QVariant>

namespace {
struct Source
{
    // Day in column 0, then one value per listed field.
    const char *statement;
    int fields[2];
};

// Every statement takes the period as bound values (from, to), the talk time
// twice over.
const Source sources[] = {
    {"SELECT date(contact_time, 'unixepoch', 'localtime') AS d, "
     "count(DISTINCT CASE contact_state WHEN 1 THEN customer_id END), "
     "count(DISTINCT CASE contact_state WHEN 2 THEN customer_id END) "
     "FROM customers_contact_track WHERE contact_time >= ? AND contact_time <= ? GROUP BY d",
     {ProspectFirstCalls, ProspectLaterCalls}},
    {"SELECT date(contact_time, 'unixepoch', 'localtime') AS d, "
     "count(DISTINCT CASE contact_state WHEN 1 THEN helper_id END), "
     "count(DISTINCT CASE contact_state WHEN 2 THEN helper_id END) "
     "FROM helpers_contact_track WHERE contact_time >= ? AND contact_time <= ? GROUP BY d",
     {RecruitFirstCalls, RecruitLaterCalls}},
    {"SELECT date(add_time, 'unixepoch', 'localtime') AS d, count(DISTINCT customer_id) "
     "FROM customers_tel_logs WHERE add_time >= ? AND add_time <= ? AND contact_type = 2 "
     "GROUP BY d",
     {ProspectVisits, -1}},
    {"SELECT date(add_time, 'unixepoch', 'localtime') AS d, count(DISTINCT helper_id) "
     "FROM helpers_tel_logs WHERE add_time >= ? AND add_time <= ? AND contact_type = 2 "
     "GROUP BY d",
     {RecruitVisits, -1}},
    {"SELECT date(add_time, 'unixepoch', 'localtime') AS d, count(*), sum(money) "
     "FROM customers_orders WHERE add_time >= ? AND add_time <= ? GROUP BY d",
     {Orders, OrderMoney}},
    {"SELECT date(first_time, 'unixepoch', 'localtime') AS d, count(*) FROM "
     "(SELECT min(add_time) AS first_time FROM customers_orders GROUP BY customer_id) "
     "WHERE first_time >= ? AND first_time <= ? GROUP BY d",
     {NewCustomers, -1}},
    {"SELECT d, sum(s) FROM ("
     "SELECT date(l.add_time, 'unixepoch', 'localtime') AS d, c.seconds AS s "
     "FROM contact_durations c JOIN customers_tel_logs l ON l.id = c.log_id "
     "WHERE c.kind = 1 AND l.add_time >= ? AND l.add_time <= ? "
     "UNION ALL SELECT date(l.add_time, 'unixepoch', 'localtime'), c.seconds "
     "FROM contact_durations c JOIN helpers_tel_logs l ON l.id = c.log_id "
     "WHERE c.kind = 2 AND l.add_time >= ? AND l.add_time <= ?) GROUP BY d",
     {TalkSeconds, -1}},
};

const char *const columns[ActivityFieldCount] = {
    "prospect_first_calls", "prospect_later_calls", "prospect_visits", "recruit_first_calls",
    "recruit_later_calls",  "recruit_visits",       "new_customers",   "orders",
    "order_money",          "talk_seconds",
};

const char *const labels[ActivityFieldCount] = {
    "准客户首次电话", "准客户再次电话", "准客户约访", "准增员首次电话", "准增员再次电话",
    "准增员约访",     "新客户",         "保单",       "保费",           "通话时长",
};
} // namespace

QString activityColumn(int field)
{
    return QString::fromLatin1(columns[field]);
}

QString activityLabel(int field)
{
    return QString::fromUtf8(labels[field]);
}

QString activityText(int field, qint64 value)
{
    if (field != TalkSeconds)
        return QString::number(value);
    return QStringLiteral("%1:%2:%3")
        .arg(value / 3600)
        .arg(value / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(value % 60, 2, 10, QLatin1Char('0'));
}

bool computeActivity(QSqlDatabase &db, const QDate &from, const QDate &to,
                     QMap<QDate, ActivityValues> *days, QString *error)
{
    days->clear();
    for (QDate day = from; day <= to; day = day.addDays(1))
        days->insert(day, ActivityValues{});
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("BEGIN"))) {
        *error = query.lastError().text();
        return false;
    }
    bool ok = true;
    for (const Source &source : sources) {
        query.setForwardOnly(true);
        if (!query.prepare(QString::fromLatin1(source.statement))) {
            ok = false;
            break;
        }
        const int periods = QString::fromLatin1(source.statement).count(QLatin1Char('?')) / 2;
        for (int period = 0; period < periods; ++period) {
            query.addBindValue(GetDayBegin(from));
            query.addBindValue(dayEndTime(to));
        }
        if (!query.exec()) {
            ok = false;
            break;
        }
        while (query.next()) {
            const QDate day = QDate::fromString(query.value(0).toString(), Qt::ISODate);
            auto found = days->find(day);
            if (found == days->end())
                continue;
            for (int column = 0; column < 2 && source.fields[column] >= 0; ++column)
                (*found)[source.fields[column]] = query.value(column + 1).toLongLong();
        }
    }
    if (!ok)
        *error = query.lastError().text();
    query.finish();
    QSqlQuery(db).exec(QStringLiteral("COMMIT"));
    return ok;
}
