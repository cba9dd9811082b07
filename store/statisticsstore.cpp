#include "statisticsstore.h"

#include "common/dateutils.h"
#include "common/planshares.h"
#include "store/sidetables.h"

#include <QDateTime>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <numeric>

namespace {
// The tables of one kind of people; kind is the key of the side tables.
struct PeopleTables
{
    QString track;
    QString logs;
    QString person;
    QString people;
    int kind;
    QString converted;
};

PeopleTables tablesOf(StatPeople people)
{
    if (people == StatPeople::Recruits)
        return {QStringLiteral("helpers_contact_track"),
                QStringLiteral("helpers_tel_logs"),
                QStringLiteral("helper_id"),
                QStringLiteral("helpers"),
                2,
                QStringLiteral("成为团队成员")};
    return {QStringLiteral("customers_contact_track"),
            QStringLiteral("customers_tel_logs"),
            QStringLiteral("customer_id"),
            QStringLiteral("customers"),
            1,
            QStringLiteral("成交")};
}

constexpr int dayBucketLimit = 62;
constexpr int weekBucketLimit = 53 * 7;
constexpr int topProducts = 5;
constexpr int teamMembersShown = 30;

QList<StatBucketSpan> bucketsOf(const StatRequest &request)
{
    return statBuckets(request.from, request.to, bucketForRange(request.from, request.to));
}

QString bucketHeader(const StatRequest &request)
{
    switch (bucketForRange(request.from, request.to)) {
    case StatBucket::Day:
        return QStringLiteral("日期");
    case StatBucket::Week:
        return QStringLiteral("周");
    case StatBucket::Month:
        break;
    }
    return QStringLiteral("月份");
}

// "WITH b(i, lo, hi) AS (VALUES (0, lo, hi), ...) ": the buckets as closed
// second ranges, so that each is one range read of a time index.
QString bucketTable(const QList<StatBucketSpan> &buckets)
{
    QStringList values;
    values.reserve(buckets.size());
    for (int i = 0; i < buckets.size(); ++i)
        values.append(QStringLiteral("(%1, %2, %3)")
                          .arg(i)
                          .arg(GetDayBegin(buckets.at(i).first))
                          .arg(dayEndTime(buckets.at(i).last)));
    return QStringLiteral("WITH b(i, lo, hi) AS (VALUES ") + values.join(QStringLiteral(", ")) +
           QStringLiteral(") ");
}

QString rangeOf(const QString &column, const QDate &from, const QDate &to)
{
    return QStringLiteral("%1 BETWEEN %2 AND %3")
        .arg(column)
        .arg(GetDayBegin(from))
        .arg(dayEndTime(to));
}

QString callsStatement(const StatRequest &request, const QList<StatBucketSpan> &buckets)
{
    const PeopleTables t = tablesOf(request.people);
    return bucketTable(buckets) +
           QStringLiteral("SELECT b.i, SUM(t.contact_state = 1), SUM(t.contact_state = 2), 0 "
                          "FROM b JOIN %1 t ON t.contact_time BETWEEN b.lo AND b.hi GROUP BY b.i "
                          // Without the unary plus SQLite may build an index on
                          // the way of every log instead of reading the time index.
                          "UNION ALL SELECT b.i, 0, 0, COUNT(*) FROM b JOIN %2 l "
                          "ON l.add_time BETWEEN b.lo AND b.hi AND +l.contact_type = 2 "
                          "GROUP BY b.i")
               .arg(t.track, t.logs);
}

QString funnelStatement(const StatRequest &request)
{
    const PeopleTables t = tablesOf(request.people);
    // A person first called twice in the period counts once. Grouped, the
    // people come in the order of their ids, so that the look-ups below walk
    // the person indexes forwards instead of jumping about them.
    return QStringLiteral(
               "WITH f(id) AS (SELECT %3 FROM %1 WHERE contact_state = 1 AND %5 GROUP BY %3) "
               "SELECT COUNT(*), "
               "TOTAL(EXISTS (SELECT 1 FROM %1 t WHERE t.%3 = f.id AND t.contact_state = 2)), "
               "TOTAL(EXISTS (SELECT 1 FROM %2 l WHERE l.%3 = f.id AND l.contact_type = 2)), "
               "TOTAL(p.user_type = 2), TOTAL(p.user_type = 0) "
               "FROM f LEFT JOIN %4 p ON p.id = f.id")
        .arg(t.track, t.logs, t.person, t.people,
             rangeOf(QStringLiteral("contact_time"), request.from, request.to));
}

QString ordersStatement(const QList<StatBucketSpan> &buckets)
{
    return bucketTable(buckets) +
           // Money is never NULL; saying so lets the statistics index serve.
           QStringLiteral("SELECT b.i, SUM(o.money), COUNT(*) FROM b JOIN customers_orders o "
                          "ON o.add_time BETWEEN b.lo AND b.hi AND o.money IS NOT NULL "
                          "GROUP BY b.i");
}

QString productsStatement(const StatRequest &request)
{
    // A product deleted from the catalogue keeps its orders under its code.
    return QStringLiteral("SELECT o.product_id, COALESCE(p.name, o.product_id), SUM(o.money), "
                          "COUNT(*) FROM customers_orders o LEFT JOIN products p "
                          "ON p.id = o.product_id WHERE %1 AND o.money IS NOT NULL "
                          "GROUP BY o.product_id "
                          "ORDER BY 3 DESC, 1")
        .arg(rangeOf(QStringLiteral("o.add_time"), request.from, request.to));
}

// The period's logs span a range of ids; reading the side table within that
// range goes forwards through both tables, where starting from the logs of
// the period would jump about the side table once per log.
QString logIdRange(const PeopleTables &t, const StatRequest &request)
{
    return QStringLiteral("WITH r(lo, hi) AS (SELECT MIN(id), MAX(id) FROM %1 WHERE %2) ")
        .arg(t.logs, rangeOf(QStringLiteral("add_time"), request.from, request.to));
}

// Talk time in quarter hours: every local midnight of every time zone falls on
// one, so the bucket of each is that of its first second.
constexpr qint64 slotSeconds = 900;

QString talkTimeStatement(const StatRequest &request)
{
    const PeopleTables t = tablesOf(request.people);
    return logIdRange(t, request) +
           QStringLiteral("SELECT l.add_time / %3, SUM(d.seconds), COUNT(*) FROM r "
                          "CROSS JOIN contact_durations d CROSS JOIN %1 l "
                          "WHERE d.kind = %2 AND d.log_id BETWEEN r.lo AND r.hi "
                          "AND l.id = d.log_id AND %4 GROUP BY 1")
               .arg(t.logs)
               .arg(t.kind)
               .arg(slotSeconds)
               .arg(rangeOf(QStringLiteral("l.add_time"), request.from, request.to));
}

QString outcomesStatement(const StatRequest &request)
{
    const PeopleTables t = tablesOf(request.people);
    return logIdRange(t, request) +
           QStringLiteral("SELECT o.outcome, COUNT(*) FROM r CROSS JOIN contact_outcomes o "
                          "CROSS JOIN %1 l WHERE o.kind = %2 AND o.log_id BETWEEN r.lo AND r.hi "
                          "AND l.id = o.log_id AND %3 GROUP BY o.outcome")
               .arg(t.logs)
               .arg(t.kind)
               .arg(rangeOf(QStringLiteral("l.add_time"), request.from, request.to));
}

// ---- The same four series from the totals the file keeps (sidetables.h) ----

// A bucket is a range of whole quarter hours when it begins and ends on one,
// as every local midnight does; otherwise the plain statements answer.
bool alignedToSlots(const QList<StatBucketSpan> &buckets)
{
    return std::all_of(buckets.cbegin(), buckets.cend(), [](const StatBucketSpan &bucket) {
        return GetDayBegin(bucket.first) % slotSeconds == 0 &&
               (dayEndTime(bucket.last) + 1) % slotSeconds == 0;
    });
}

QString slotRange(const StatRequest &request)
{
    return QStringLiteral("slot BETWEEN %1 AND %2")
        .arg(GetDayBegin(request.from) / slotSeconds)
        .arg(dayEndTime(request.to) / slotSeconds);
}

QString callsTotals(const StatRequest &request, const QList<StatBucketSpan> &buckets)
{
    QStringList values;
    for (int i = 0; i < buckets.size(); ++i)
        values.append(QStringLiteral("(%1, %2, %3)")
                          .arg(i)
                          .arg(GetDayBegin(buckets.at(i).first) / slotSeconds)
                          .arg(dayEndTime(buckets.at(i).last) / slotSeconds));
    return QStringLiteral("WITH b(i, lo, hi) AS (VALUES %1) SELECT b.i, SUM(s.first_calls), "
                          "SUM(s.later_calls), SUM(s.visits) FROM b JOIN stat_slots s ON s.kind "
                          "= %2 AND s.slot BETWEEN b.lo AND b.hi GROUP BY b.i")
        .arg(values.join(QStringLiteral(", ")))
        .arg(tablesOf(request.people).kind);
}

// People first called once count in their quarter hour's totals; the few
// called "first" more than once are looked up one by one, as the plain
// statement does for everybody.
QString funnelTotals(const StatRequest &request)
{
    const PeopleTables t = tablesOf(request.people);
    return QStringLiteral(
               "SELECT TOTAL(c), TOTAL(l), TOTAL(v), TOTAL(w), TOTAL(a) FROM (SELECT SUM(people) "
               "c, SUM(later) l, SUM(visits) v, SUM(converted) w, SUM(abandoned) a FROM "
               "stat_funnel WHERE kind = %1 AND %2 UNION ALL SELECT COUNT(*), TOTAL(later > 0), "
               "TOTAL(visits > 0), TOTAL(user_type = 2), TOTAL(user_type = 0) FROM stat_people s "
               // Without statistics SQLite would walk every person of the kind.
               "INDEXED BY idx_stat_people_repeated WHERE s.kind = %1 AND s.firsts > 1 AND EXISTS "
               "(SELECT 1 FROM %3 t WHERE t.%4 = "
               "s.person_id AND t.contact_state = 1 AND %5))")
        .arg(t.kind)
        .arg(slotRange(request), t.track, t.person,
             rangeOf(QStringLiteral("t.contact_time"), request.from, request.to));
}

QString talkTimeTotals(const StatRequest &request)
{
    return QStringLiteral("SELECT slot, talk_seconds, timed_calls FROM stat_slots WHERE kind = %1 "
                          "AND %2 AND timed_calls <> 0")
        .arg(tablesOf(request.people).kind)
        .arg(slotRange(request));
}

QString outcomesTotals(const StatRequest &request)
{
    return QStringLiteral("SELECT outcome, SUM(calls) FROM stat_outcomes WHERE kind = %1 AND %2 "
                          "GROUP BY outcome HAVING SUM(calls) > 0")
        .arg(tablesOf(request.people).kind)
        .arg(slotRange(request));
}

QString teamStatement(const StatRequest &request)
{
    const int year = request.today.year();
    return QStringLiteral(
               "SELECT h.id, h.name, t.begin_date, COALESCE(t.money, 0), "
               "COALESCE(t.helper_count, 0), COALESCE(e.money, 0) FROM helpers h "
               "LEFT JOIN teammate_task t ON t.helper_id = h.id AND t.year = %1 "
               "LEFT JOIN (SELECT helper_id, SUM(money) AS money FROM teammate_earning_report "
               "WHERE %2 GROUP BY helper_id) e ON e.helper_id = h.id "
               "WHERE h.user_type = 2 ORDER BY h.id")
        .arg(year)
        .arg(rangeOf(QStringLiteral("report_time"), QDate(year, 1, 1), request.today));
}

// One row per bucket, zeros where the statement had none.
StatTable bucketRows(const QList<StatBucketSpan> &buckets, QStringList headers)
{
    StatTable table;
    table.headers = std::move(headers);
    for (const StatBucketSpan &bucket : buckets) {
        table.labels.append(bucket.label);
        table.rows.append(QList<qint64>(table.headers.size() - 1, 0));
    }
    return table;
}

// Adds the statement's columns 1.. to the row its column 0 names.
void addToBuckets(QSqlQuery &query, StatTable &table, int columns)
{
    while (query.next()) {
        const int row = query.value(0).toInt();
        if (row < 0 || row >= table.rows.size())
            continue;
        for (int column = 0; column < columns; ++column)
            table.rows[row][column] += query.value(column + 1).toLongLong();
    }
}

StatTable shapeCalls(QSqlQuery &query, const StatRequest &request,
                     const QList<StatBucketSpan> &buckets)
{
    StatTable table = bucketRows(buckets, {bucketHeader(request), QStringLiteral("首次电话"),
                                           QStringLiteral("再次联系"), QStringLiteral("约访"),
                                           QStringLiteral("首次电话目标(工作日)")});
    addToBuckets(query, table, 3);
    // The quota is per working day (Monday to Friday): counted on every day,
    // a week's or month's target stood far above what anyone calls.
    for (int i = 0; i < buckets.size(); ++i) {
        qint64 workingDays = 0;
        for (QDate day = buckets.at(i).first; day <= buckets.at(i).last; day = day.addDays(1))
            workingDays += day.dayOfWeek() <= 5 ? 1 : 0;
        table.rows[i][3] = qint64(request.dailyQuota) * workingDays;
    }
    return table;
}

StatTable shapeFunnel(QSqlQuery &query, const StatRequest &request)
{
    StatTable table;
    table.headers = QStringList{QStringLiteral("阶段"), QStringLiteral("人数")};
    table.labels =
        QStringList{QStringLiteral("首次电话"), QStringLiteral("再次联系"), QStringLiteral("约访"),
                    tablesOf(request.people).converted, QStringLiteral("放弃")};
    const bool any = query.next();
    for (int i = 0; i < table.labels.size(); ++i)
        table.rows.append(QList<qint64>{any ? qint64(query.value(i).toDouble()) : 0});
    return table;
}

StatTable shapeProducts(QSqlQuery &query)
{
    StatTable table;
    table.headers =
        QStringList{QStringLiteral("产品"), QStringLiteral("金额(元)"), QStringLiteral("订单数")};
    QList<qint64> rest{0, 0};
    bool anyRest = false;
    while (query.next()) {
        const QList<qint64> values{query.value(2).toLongLong(), query.value(3).toLongLong()};
        if (table.labels.size() < topProducts) {
            table.labels.append(query.value(1).toString());
            table.rows.append(values);
        } else {
            rest[0] += values[0];
            rest[1] += values[1];
            anyRest = true;
        }
    }
    if (anyRest) {
        table.labels.append(QStringLiteral("其他"));
        table.rows.append(rest);
    }
    return table;
}

StatTable shapeTalkTime(QSqlQuery &query, const StatRequest &request,
                        const QList<StatBucketSpan> &buckets)
{
    StatTable table = bucketRows(buckets, {bucketHeader(request), QStringLiteral("通话时长(分钟)"),
                                           QStringLiteral("计时的通话")});
    QList<Seconds> begins;
    for (const StatBucketSpan &bucket : buckets)
        begins.append(GetDayBegin(bucket.first));
    while (query.next()) {
        const Seconds slot = query.value(0).toLongLong() * slotSeconds;
        const auto after = std::upper_bound(begins.cbegin(), begins.cend(), slot);
        if (after == begins.cbegin())
            continue;
        QList<qint64> &row = table.rows[int(after - begins.cbegin()) - 1];
        row[0] += query.value(1).toLongLong();
        row[1] += query.value(2).toLongLong();
    }
    for (QList<qint64> &row : table.rows)
        row[0] = (row[0] + 30) / 60;
    return table;
}

StatTable shapeOutcomes(QSqlQuery &query)
{
    StatTable table;
    table.headers = QStringList{QStringLiteral("结果"), QStringLiteral("次数")};
    table.labels = callOutcomes();
    for (int i = 0; i < table.labels.size(); ++i)
        table.rows.append(QList<qint64>{0});
    // Texts other than the seven (written by another program) follow them.
    while (query.next()) {
        const QString outcome = query.value(0).toString();
        int row = int(table.labels.indexOf(outcome));
        if (row < 0) {
            table.labels.append(outcome);
            table.rows.append(QList<qint64>{0});
            row = int(table.labels.size()) - 1;
        }
        table.rows[row][0] += query.value(1).toLongLong();
    }
    return table;
}

StatTable shapeTeam(QSqlQuery &query, const StatRequest &request)
{
    StatTable table;
    table.headers = QStringList{QStringLiteral("成员"), QStringLiteral("年度计划(元)"),
                                QStringLiteral("计划至今(元)"), QStringLiteral("已报收入(元)")};
    // Plans mostly begin on the same few days; the local date of each is found once.
    QHash<qint64, QDate> beginDates;
    while (query.next()) {
        const QVariant begin = query.value(2);
        const qint64 plan = query.value(3).toLongLong();
        qint64 toDate = 0;
        if (!begin.isNull()) {
            const qint64 seconds = begin.toLongLong();
            auto known = beginDates.constFind(seconds);
            if (known == beginDates.constEnd())
                known = beginDates.insert(seconds, QDateTime::fromSecsSinceEpoch(seconds).date());
            const QDate beginDate = *known;
            if (const auto share =
                    planShareToDate(request.today, beginDate, plan, query.value(4).toLongLong()))
                toDate = share->money;
        }
        table.labels.append(query.value(1).toString());
        table.rows.append(QList<qint64>{plan, toDate, query.value(5).toLongLong()});
    }
    // A chart of a few dozen bars can still be read: the members with the
    // largest plans (then earnings) come first, the rest are summed up.
    QList<int> order(table.rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const QList<qint64> &x = table.rows.at(a);
        const QList<qint64> &y = table.rows.at(b);
        return x[0] != y[0] ? x[0] > y[0] : x[2] > y[2];
    });
    StatTable sorted;
    sorted.headers = table.headers;
    QList<qint64> rest{0, 0, 0};
    for (int position = 0; position < order.size(); ++position) {
        const int row = order.at(position);
        if (position < teamMembersShown) {
            sorted.labels.append(table.labels.at(row));
            sorted.rows.append(table.rows.at(row));
            continue;
        }
        for (int column = 0; column < 3; ++column)
            rest[column] += table.rows.at(row).at(column);
    }
    if (order.size() > teamMembersShown) {
        sorted.labels.append(QStringLiteral("其他 %1 人").arg(order.size() - teamMembersShown));
        sorted.rows.append(rest);
    }
    return sorted;
}
} // namespace

StatBucket bucketForRange(const QDate &from, const QDate &to)
{
    const qint64 days = from.daysTo(to) + 1;
    if (days <= dayBucketLimit)
        return StatBucket::Day;
    if (days <= weekBucketLimit)
        return StatBucket::Week;
    return StatBucket::Month;
}

QList<StatBucketSpan> statBuckets(const QDate &from, const QDate &to, StatBucket bucket)
{
    QList<StatBucketSpan> buckets;
    if (!from.isValid() || !to.isValid() || to < from)
        return buckets;
    QDate start = from;
    while (start <= to) {
        QDate end;
        QString label;
        switch (bucket) {
        case StatBucket::Day:
            end = start;
            label = start.toString(QStringLiteral("yyyy-MM-dd"));
            break;
        case StatBucket::Week:
            end = std::min(to, start.addDays(7 - start.dayOfWeek()));
            label = start.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('~') +
                    end.toString(QStringLiteral("MM-dd"));
            break;
        case StatBucket::Month:
            end = std::min(to, QDate(start.year(), start.month(), start.daysInMonth()));
            label = start.toString(QStringLiteral("yyyy-MM"));
            break;
        }
        buckets.append({start, std::min(end, to), label});
        start = end.addDays(1);
    }
    return buckets;
}

QList<StatSeries> allStatSeries()
{
    return {StatSeries::Calls,    StatSeries::Funnel,   StatSeries::Orders, StatSeries::Products,
            StatSeries::TalkTime, StatSeries::Outcomes, StatSeries::Team};
}

bool StatTable::hasData(int columns) const
{
    for (const QList<qint64> &row : rows) {
        const int count = columns < 0 ? int(row.size()) : std::min(columns, int(row.size()));
        for (int i = 0; i < count; ++i) {
            if (row.at(i) != 0)
                return true;
        }
    }
    return false;
}

QStringList callOutcomes()
{
    return {QStringLiteral("未接通"), QStringLiteral("拒接/挂断"), QStringLiteral("空号/错号"),
            QStringLiteral("无意向"), QStringLiteral("有意向"),    QStringLiteral("约访成功"),
            QStringLiteral("成交")};
}

QString statisticsStatement(StatSeries series, const StatRequest &request, const QSqlDatabase &db)
{
    const QList<StatBucketSpan> buckets = bucketsOf(request);
    const bool fromTotals = !buckets.isEmpty() &&
                            (series == StatSeries::Calls || series == StatSeries::Funnel ||
                             series == StatSeries::TalkTime || series == StatSeries::Outcomes) &&
                            alignedToSlots(buckets) &&
                            statisticsTablesBuilt(int(request.people), db);
    if (!fromTotals)
        return statisticsStatement(series, request);
    switch (series) {
    case StatSeries::Calls:
        return callsTotals(request, buckets);
    case StatSeries::Funnel:
        return funnelTotals(request);
    case StatSeries::TalkTime:
        return talkTimeTotals(request);
    default:
        return outcomesTotals(request);
    }
}

QString statisticsStatement(StatSeries series, const StatRequest &request)
{
    const QList<StatBucketSpan> buckets = bucketsOf(request);
    if (buckets.isEmpty())
        return QString();
    switch (series) {
    case StatSeries::Calls:
        return callsStatement(request, buckets);
    case StatSeries::Funnel:
        return funnelStatement(request);
    case StatSeries::Orders:
        return ordersStatement(buckets);
    case StatSeries::Products:
        return productsStatement(request);
    case StatSeries::TalkTime:
        return talkTimeStatement(request);
    case StatSeries::Outcomes:
        return outcomesStatement(request);
    case StatSeries::Team:
        return teamStatement(request);
    }
    return QString();
}

std::optional<StatTable> loadStatistics(StatSeries series, const StatRequest &request,
                                        const QSqlDatabase &db, QString *error, StatSource source)
{
    const QList<StatBucketSpan> buckets = bucketsOf(request);
    if (buckets.isEmpty())
        return StatTable{};
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(source == StatSource::Plain ? statisticsStatement(series, request)
                                                : statisticsStatement(series, request, db))) {
        if (error)
            *error = query.lastError().text();
        return std::nullopt;
    }
    switch (series) {
    case StatSeries::Calls:
        return shapeCalls(query, request, buckets);
    case StatSeries::Funnel:
        return shapeFunnel(query, request);
    case StatSeries::Orders: {
        StatTable table = bucketRows(
            buckets, {bucketHeader(request), QStringLiteral("金额(元)"), QStringLiteral("订单数")});
        addToBuckets(query, table, 2);
        return table;
    }
    case StatSeries::Products:
        return shapeProducts(query);
    case StatSeries::TalkTime:
        return shapeTalkTime(query, request, buckets);
    case StatSeries::Outcomes:
        return shapeOutcomes(query);
    case StatSeries::Team:
        return shapeTeam(query, request);
    }
    return std::nullopt;
}
