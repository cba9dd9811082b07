#include "sidetables.h"

#include "store/databasethread.h"
#include "store/textsearch.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <algorithm>
#include <functional>
#include <limits>

namespace {
// done_through of a part that is built: every id lies within it.
constexpr qint64 allBuilt = std::numeric_limits<qint64>::max();
// Each step of the builder aims at this much work: short enough that a save
// of the agent never waits noticeably for the write lock, and that quitting
// stops it at once.
constexpr qint64 stepMilliseconds = 40;

struct Kind
{
    int number;
    QString people;
    QString logs;
    QString tracks;
    QString person;
    QString names;
};

const Kind kinds[] = {
    {1, QStringLiteral("customers"), QStringLiteral("customers_tel_logs"),
     QStringLiteral("customers_contact_track"), QStringLiteral("customer_id"),
     QStringLiteral("prospect_name_grams")},
    {2, QStringLiteral("helpers"), QStringLiteral("helpers_tel_logs"),
     QStringLiteral("helpers_contact_track"), QStringLiteral("helper_id"),
     QStringLiteral("recruit_name_grams")},
};

bool run(QSqlQuery &query, const QString &statement)
{
    if (query.exec(statement))
        return true;
    qDebug() << "side tables:" << query.lastError().text() << statement.left(200);
    return false;
}

bool runAll(const QSqlDatabase &db, const QStringList &statements)
{
    QSqlQuery query(db);
    for (const QString &statement : statements) {
        if (!run(query, statement))
            return false;
    }
    return true;
}

// Fills {k}, {people}, {logs}, {tracks}, {person}, {names} and {gate:part} in.
QString sql(QString text, const Kind &kind)
{
    text.replace(QLatin1String("{k}"), QString::number(kind.number));
    text.replace(QLatin1String("{people}"), kind.people);
    text.replace(QLatin1String("{logs}"), kind.logs);
    text.replace(QLatin1String("{tracks}"), kind.tracks);
    text.replace(QLatin1String("{person}"), kind.person);
    text.replace(QLatin1String("{names}"), kind.names);
    for (const char *part : {"persons", "tracks", "logs"})
        text.replace(QStringLiteral("{gate:%1}").arg(QLatin1String(part)),
                     QStringLiteral("(SELECT done_through FROM side_index_state WHERE part = "
                                    "'%1%2')")
                         .arg(QLatin1String(part))
                         .arg(kind.number));
    return text;
}

// ---- What the triggers and the builder write --------------------------------

// The person's latest log, again: gone when the person or the logs are.
QStringList refreshDue(const Kind &kind, const QString &person)
{
    return {sql(QStringLiteral("DELETE FROM contact_due WHERE kind = {k} AND person_id = %1 AND "
                               "%1 <= {gate:persons}"),
                kind)
                .arg(person),
            sql(QStringLiteral("INSERT INTO contact_due(kind, person_id, log_id, next_time, "
                               "next_type, user_type) SELECT {k}, p.id, l.id, "
                               "l.next_contact_time, l.next_contact_type, p.user_type FROM "
                               "{people} p JOIN {logs} l ON l.id = (SELECT max(id) FROM {logs} "
                               "WHERE {person} = p.id) WHERE p.id = %1 AND %1 <= {gate:persons}"),
                kind)
                .arg(person)};
}

// The person's first calls and what followed them, again.
QStringList refreshFunnel(const Kind &kind, const QString &person, const QString &when = QString())
{
    const QString also = when.isEmpty() ? QString() : QStringLiteral(" AND (") + when + u')';
    return {sql(QStringLiteral("DELETE FROM stat_people WHERE kind = {k} AND person_id = %1 AND "
                               "%1 <= {gate:persons}"),
                kind)
                    .arg(person) +
                also,
            sql(QStringLiteral(
                    "INSERT INTO stat_people(kind, person_id, first_slot, firsts, later, visits, "
                    "user_type) SELECT {k}, t.{person}, min(t.contact_time) / 900, count(*), "
                    "(SELECT count(*) FROM {tracks} WHERE {person} = t.{person} AND "
                    "contact_state = 2), (SELECT count(*) FROM {logs} WHERE {person} = "
                    "t.{person} AND contact_type = 2), (SELECT user_type FROM {people} WHERE id = "
                    "t.{person}) FROM {tracks} t WHERE t.{person} = %1 AND t.contact_state = 1 "
                    "AND %1 <= {gate:persons}"),
                kind)
                    .arg(person) +
                also + QStringLiteral(" GROUP BY t.") + kind.person};
}

QString addTrack(const Kind &kind, const QString &row)
{
    return sql(QStringLiteral("INSERT INTO stat_slots(kind, slot, first_calls, later_calls, "
                              "visits, talk_seconds, timed_calls) SELECT {k}, %1.contact_time / "
                              "900, %1.contact_state = 1, %1.contact_state = 2, 0, 0, 0 WHERE "
                              "%1.id <= {gate:tracks} ON CONFLICT(kind, slot) DO UPDATE SET "
                              "first_calls = first_calls + excluded.first_calls, later_calls = "
                              "later_calls + excluded.later_calls"),
               kind)
        .arg(row);
}

QString removeTrack(const Kind &kind)
{
    return sql(QStringLiteral("UPDATE stat_slots SET first_calls = first_calls - "
                              "(old.contact_state = 1), later_calls = later_calls - "
                              "(old.contact_state = 2) WHERE kind = {k} AND slot = "
                              "old.contact_time / 900 AND old.id <= {gate:tracks}"),
               kind);
}

// A log's visit, talk time and outcome count in the quarter hour it was added.
QStringList addLog(const Kind &kind, const QString &row)
{
    return {sql(QStringLiteral(
                    "INSERT INTO stat_slots(kind, slot, first_calls, later_calls, visits, "
                    "talk_seconds, timed_calls) SELECT {k}, %1.add_time / 900, 0, 0, "
                    "%1.contact_type = 2, coalesce((SELECT seconds FROM contact_durations WHERE "
                    "kind = {k} AND log_id = %1.id), 0), EXISTS (SELECT 1 FROM "
                    "contact_durations WHERE kind = {k} AND log_id = %1.id) WHERE %1.id <= "
                    "{gate:logs} ON CONFLICT(kind, slot) DO UPDATE SET visits = visits + "
                    "excluded.visits, talk_seconds = talk_seconds + excluded.talk_seconds, "
                    "timed_calls = timed_calls + excluded.timed_calls"),
                kind)
                .arg(row),
            sql(QStringLiteral("INSERT INTO stat_outcomes(kind, slot, outcome, calls) SELECT {k}, "
                               "%1.add_time / 900, outcome, 1 FROM contact_outcomes WHERE kind = "
                               "{k} AND log_id = %1.id AND %1.id <= {gate:logs} ON "
                               "CONFLICT(kind, slot, outcome) DO UPDATE SET calls = calls + 1"),
                kind)
                .arg(row)};
}

QStringList removeLog(const Kind &kind)
{
    return {sql(QStringLiteral(
                    "UPDATE stat_slots SET visits = visits - (old.contact_type = 2), "
                    "talk_seconds = talk_seconds - coalesce((SELECT seconds FROM "
                    "contact_durations WHERE kind = {k} AND log_id = old.id), 0), timed_calls = "
                    "timed_calls - EXISTS (SELECT 1 FROM contact_durations WHERE kind = {k} AND "
                    "log_id = old.id) WHERE kind = {k} AND slot = old.add_time / 900 AND old.id "
                    "<= {gate:logs}"),
                kind),
            sql(QStringLiteral("UPDATE stat_outcomes SET calls = calls - 1 WHERE kind = {k} AND "
                               "slot = old.add_time / 900 AND outcome = (SELECT outcome FROM "
                               "contact_outcomes WHERE kind = {k} AND log_id = old.id) AND old.id "
                               "<= {gate:logs}"),
                kind)};
}

// A talk time or an outcome written apart from its log counts where the log does.
QString addDuration(const Kind &kind, const QString &row)
{
    return sql(QStringLiteral("INSERT INTO stat_slots(kind, slot, first_calls, later_calls, "
                              "visits, talk_seconds, timed_calls) SELECT {k}, l.add_time / 900, "
                              "0, 0, 0, %1.seconds, 1 FROM {logs} l WHERE %1.kind = {k} AND l.id "
                              "= %1.log_id AND %1.log_id <= {gate:logs} ON CONFLICT(kind, slot) "
                              "DO UPDATE SET talk_seconds = talk_seconds + "
                              "excluded.talk_seconds, timed_calls = timed_calls + "
                              "excluded.timed_calls"),
               kind)
        .arg(row);
}

QString removeDuration(const Kind &kind)
{
    return sql(QStringLiteral("UPDATE stat_slots SET talk_seconds = talk_seconds - old.seconds, "
                              "timed_calls = timed_calls - 1 WHERE old.kind = {k} AND kind = {k} "
                              "AND slot = (SELECT add_time / 900 FROM {logs} WHERE id = "
                              "old.log_id) AND old.log_id <= {gate:logs}"),
               kind);
}

QString addOutcome(const Kind &kind, const QString &row)
{
    return sql(QStringLiteral("INSERT INTO stat_outcomes(kind, slot, outcome, calls) SELECT {k}, "
                              "l.add_time / 900, %1.outcome, 1 FROM {logs} l WHERE %1.kind = {k} "
                              "AND l.id = %1.log_id AND %1.log_id <= {gate:logs} ON "
                              "CONFLICT(kind, slot, outcome) DO UPDATE SET calls = calls + 1"),
               kind)
        .arg(row);
}

QString removeOutcome(const Kind &kind)
{
    return sql(QStringLiteral("UPDATE stat_outcomes SET calls = calls - 1 WHERE old.kind = {k} "
                              "AND kind = {k} AND outcome = old.outcome AND slot = (SELECT "
                              "add_time / 900 FROM {logs} WHERE id = old.log_id) AND old.log_id "
                              "<= {gate:logs}"),
               kind);
}

// ---- Triggers ------------------------------------------------------------------

struct Trigger
{
    QString name;
    QString event; // "INSERT ON t", "UPDATE OF c ON t", ...
    QString when;
    QStringList body;
};

QString createTrigger(const Trigger &trigger)
{
    return QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER %2%3 BEGIN %4; END")
        .arg(trigger.name, trigger.event,
             trigger.when.isEmpty() ? QString() : QStringLiteral(" WHEN ") + trigger.when,
             trigger.body.join(QStringLiteral("; ")));
}

QList<Trigger> personTriggers(const Kind &kind)
{
    const QString n = QString::number(kind.number);
    const QString prefix = QStringLiteral("trg_side_persons") + n + u'_';
    const QString visit = QStringLiteral("%1.contact_type = 2");
    return {
        {prefix + QStringLiteral("log_insert"),
         QStringLiteral("INSERT ON ") + kind.logs,
         {},
         refreshDue(kind, QStringLiteral("new.") + kind.person) +
             refreshFunnel(kind, QStringLiteral("new.") + kind.person, visit.arg(u"new"))},
        {prefix + QStringLiteral("log_delete"),
         QStringLiteral("DELETE ON ") + kind.logs,
         {},
         refreshDue(kind, QStringLiteral("old.") + kind.person) +
             refreshFunnel(kind, QStringLiteral("old.") + kind.person, visit.arg(u"old"))},
        {prefix + QStringLiteral("log_update"),
         QStringLiteral("UPDATE ON ") + kind.logs,
         {},
         refreshDue(kind, QStringLiteral("old.") + kind.person) +
             refreshDue(kind, QStringLiteral("new.") + kind.person) +
             refreshFunnel(kind, QStringLiteral("old.") + kind.person) +
             refreshFunnel(kind, QStringLiteral("new.") + kind.person)},
        {prefix + QStringLiteral("track_insert"),
         QStringLiteral("INSERT ON ") + kind.tracks,
         {},
         refreshFunnel(kind, QStringLiteral("new.") + kind.person)},
        {prefix + QStringLiteral("track_delete"),
         QStringLiteral("DELETE ON ") + kind.tracks,
         {},
         refreshFunnel(kind, QStringLiteral("old.") + kind.person)},
        {prefix + QStringLiteral("track_update"),
         QStringLiteral("UPDATE ON ") + kind.tracks,
         {},
         refreshFunnel(kind, QStringLiteral("old.") + kind.person) +
             refreshFunnel(kind, QStringLiteral("new.") + kind.person)},
        // A person typed in has no logs or calls yet: two reads of indexes.
        {prefix + QStringLiteral("person_insert"), QStringLiteral("INSERT ON ") + kind.people,
         sql(QStringLiteral("EXISTS (SELECT 1 FROM {logs} WHERE {person} = new.id) OR EXISTS "
                            "(SELECT 1 FROM {tracks} WHERE {person} = new.id AND contact_state = "
                            "1)"),
             kind),
         refreshDue(kind, QStringLiteral("new.id")) +
             refreshFunnel(kind, QStringLiteral("new.id"))},
        {prefix + QStringLiteral("person_delete"),
         QStringLiteral("DELETE ON ") + kind.people,
         {},
         refreshDue(kind, QStringLiteral("old.id")) +
             refreshFunnel(kind, QStringLiteral("old.id"))},
        {prefix + QStringLiteral("person_update"),
         QStringLiteral("UPDATE OF id, user_type ON ") + kind.people,
         QStringLiteral("old.id <> new.id OR old.user_type IS NOT new.user_type"),
         refreshDue(kind, QStringLiteral("old.id")) + refreshDue(kind, QStringLiteral("new.id")) +
             refreshFunnel(kind, QStringLiteral("old.id")) +
             refreshFunnel(kind, QStringLiteral("new.id"))},
        // Whoever has logs but no row (written by another program, or
        // deleted since): never removed here, the readers check again.
        {prefix + QStringLiteral("orphan_log"),
         QStringLiteral("INSERT ON ") + kind.logs,
         sql(QStringLiteral("NOT EXISTS (SELECT 1 FROM {people} WHERE id = new.{person})"), kind),
         {sql(QStringLiteral("INSERT OR IGNORE INTO contact_orphans VALUES ({k}, new.{person})"),
              kind)}},
        {prefix + QStringLiteral("orphan_log_update"),
         QStringLiteral("UPDATE OF %1 ON %2").arg(kind.person, kind.logs),
         sql(QStringLiteral("NOT EXISTS (SELECT 1 FROM {people} WHERE id = new.{person})"), kind),
         {sql(QStringLiteral("INSERT OR IGNORE INTO contact_orphans VALUES ({k}, new.{person})"),
              kind)}},
        {prefix + QStringLiteral("orphan_person"),
         QStringLiteral("DELETE ON ") + kind.people,
         sql(QStringLiteral("EXISTS (SELECT 1 FROM {logs} WHERE {person} = old.id)"), kind),
         {sql(QStringLiteral("INSERT OR IGNORE INTO contact_orphans VALUES ({k}, old.id)"), kind)}},
        {prefix + QStringLiteral("orphan_person_update"),
         QStringLiteral("UPDATE OF id ON ") + kind.people,
         sql(QStringLiteral("old.id <> new.id AND EXISTS (SELECT 1 FROM {logs} WHERE {person} = "
                            "old.id)"),
             kind),
         {sql(QStringLiteral("INSERT OR IGNORE INTO contact_orphans VALUES ({k}, old.id)"), kind)}},
    };
}

QList<Trigger> trackTriggers(const Kind &kind)
{
    const QString prefix = QStringLiteral("trg_side_tracks%1_").arg(kind.number);
    return {
        {prefix + QStringLiteral("insert"),
         QStringLiteral("INSERT ON ") + kind.tracks,
         {},
         {addTrack(kind, QStringLiteral("new"))}},
        {prefix + QStringLiteral("delete"),
         QStringLiteral("DELETE ON ") + kind.tracks,
         {},
         {removeTrack(kind)}},
        {prefix + QStringLiteral("update"),
         QStringLiteral("UPDATE ON ") + kind.tracks,
         {},
         {removeTrack(kind), addTrack(kind, QStringLiteral("new"))}},
    };
}

QList<Trigger> logTriggers(const Kind &kind)
{
    const QString prefix = QStringLiteral("trg_side_logs%1_").arg(kind.number);
    return {
        {prefix + QStringLiteral("insert"),
         QStringLiteral("INSERT ON ") + kind.logs,
         {},
         addLog(kind, QStringLiteral("new"))},
        {prefix + QStringLiteral("delete"),
         QStringLiteral("DELETE ON ") + kind.logs,
         {},
         removeLog(kind)},
        {prefix + QStringLiteral("update"),
         QStringLiteral("UPDATE ON ") + kind.logs,
         {},
         removeLog(kind) + addLog(kind, QStringLiteral("new"))},
        {prefix + QStringLiteral("duration_insert"),
         QStringLiteral("INSERT ON contact_durations"),
         {},
         {addDuration(kind, QStringLiteral("new"))}},
        {prefix + QStringLiteral("duration_delete"),
         QStringLiteral("DELETE ON contact_durations"),
         {},
         {removeDuration(kind)}},
        {prefix + QStringLiteral("duration_update"),
         QStringLiteral("UPDATE ON contact_durations"),
         {},
         {removeDuration(kind), addDuration(kind, QStringLiteral("new"))}},
        {prefix + QStringLiteral("outcome_insert"),
         QStringLiteral("INSERT ON contact_outcomes"),
         {},
         {addOutcome(kind, QStringLiteral("new"))}},
        {prefix + QStringLiteral("outcome_delete"),
         QStringLiteral("DELETE ON contact_outcomes"),
         {},
         {removeOutcome(kind)}},
        {prefix + QStringLiteral("outcome_update"),
         QStringLiteral("UPDATE ON contact_outcomes"),
         {},
         {removeOutcome(kind), addOutcome(kind, QStringLiteral("new"))}},
    };
}

// The readable names need the program (prospects' are stored encoded): the
// triggers only queue the person; textsearch.h makes the index entry.
QList<Trigger> nameTriggers(const Kind &kind)
{
    const QString prefix = QStringLiteral("trg_side_names%1_").arg(kind.number);
    const QString queue = sql(QStringLiteral("INSERT OR IGNORE INTO name_backlog(kind, person_id) "
                                             "VALUES ({k}, new.id)"),
                              kind);
    const QString drop = sql(QStringLiteral("DELETE FROM {names} WHERE rowid = old.id"), kind);
    return {
        {prefix + QStringLiteral("insert"),
         QStringLiteral("INSERT ON ") + kind.people,
         {},
         {queue}},
        {prefix + QStringLiteral("delete"), QStringLiteral("DELETE ON ") + kind.people, {}, {drop}},
        {prefix + QStringLiteral("update"),
         QStringLiteral("UPDATE OF id, name ON ") + kind.people,
         {},
         {drop, queue}},
    };
}

// Over the rows of phone_keys, whatever they hold per person, an index per
// kind: a search of one kind never walks the numbers of the other.
QList<Trigger> phoneTriggers()
{
    const QString add = QStringLiteral("INSERT OR REPLACE INTO %1_phone_grams(rowid, digits) "
                                       "SELECT new.rowid, new.phone_key WHERE new.kind = %2");
    const QString drop = QStringLiteral("DELETE FROM %1_phone_grams WHERE rowid = old.rowid");
    const QStringList adds = {add.arg(QLatin1String("prospect")).arg(1),
                              add.arg(QLatin1String("recruit")).arg(2)};
    const QStringList drops = {drop.arg(QLatin1String("prospect")),
                               drop.arg(QLatin1String("recruit"))};
    return {
        {QStringLiteral("trg_side_phonegrams_insert"),
         QStringLiteral("INSERT ON phone_keys"),
         {},
         adds},
        {QStringLiteral("trg_side_phonegrams_delete"),
         QStringLiteral("DELETE ON phone_keys"),
         {},
         drops},
        {QStringLiteral("trg_side_phonegrams_update"),
         QStringLiteral("UPDATE ON phone_keys"),
         {},
         drops + adds},
    };
}

// The funnel per quarter hour follows the people first called once in it;
// people called "first" more than once are read one by one (statisticsstore).
QList<Trigger> funnelTriggers()
{
    return {
        {QStringLiteral("trg_side_funnel_insert"),
         QStringLiteral("INSERT ON stat_people"),
         QStringLiteral("new.firsts = 1"),
         {QStringLiteral("INSERT INTO stat_funnel(kind, slot, people, later, visits, converted, "
                         "abandoned) VALUES (new.kind, new.first_slot, 1, new.later > 0, "
                         "new.visits > 0, coalesce(new.user_type = 2, 0), coalesce(new.user_type "
                         "= 0, 0)) ON CONFLICT(kind, slot) DO UPDATE SET people = people + 1, "
                         "later = later + excluded.later, visits = visits + excluded.visits, "
                         "converted = converted + excluded.converted, abandoned = abandoned + "
                         "excluded.abandoned")}},
        {QStringLiteral("trg_side_funnel_delete"),
         QStringLiteral("DELETE ON stat_people"),
         QStringLiteral("old.firsts = 1"),
         {QStringLiteral("UPDATE stat_funnel SET people = people - 1, later = later - (old.later "
                         "> 0), visits = visits - (old.visits > 0), converted = converted - "
                         "coalesce(old.user_type = 2, 0), abandoned = abandoned - "
                         "coalesce(old.user_type = 0, 0) WHERE kind = old.kind AND slot = "
                         "old.first_slot")}},
    };
}

// ---- Parts --------------------------------------------------------------------

struct Part
{
    QString name;
    QList<Trigger> triggers;
    // Empties what the part holds, to build it again from nothing.
    QStringList reset;
    // Statements run once before the first chunk (indexes the part reads).
    QStringList before;
    // The highest id the part has to cover now.
    QString maxId;
    // Builds the part for ids from..to.
    std::function<bool(const QSqlDatabase &, qint64 from, qint64 to)> chunk;
};

bool runChunk(const QSqlDatabase &db, const QStringList &statements, qint64 from, qint64 to)
{
    QStringList filled;
    for (const QString &statement : statements)
        filled << QString(statement)
                      .replace(QLatin1String("{from}"), QString::number(from))
                      .replace(QLatin1String("{to}"), QString::number(to));
    return runAll(db, filled);
}

QList<Part> parts()
{
    QList<Part> list;
    for (const Kind &kind : kinds) {
        const QString n = QString::number(kind.number);
        const QStringList persons = {
            sql(QStringLiteral("DELETE FROM contact_due WHERE kind = {k} AND person_id BETWEEN "
                               "{from} AND {to}"),
                kind),
            sql(QStringLiteral("INSERT INTO contact_due(kind, person_id, log_id, next_time, "
                               "next_type, user_type) SELECT {k}, p.id, l.id, "
                               "l.next_contact_time, l.next_contact_type, p.user_type FROM "
                               "{people} p JOIN {logs} l ON l.id = (SELECT max(id) FROM {logs} "
                               "WHERE {person} = p.id) WHERE p.id BETWEEN {from} AND {to}"),
                kind),
            sql(QStringLiteral("DELETE FROM stat_people WHERE kind = {k} AND person_id BETWEEN "
                               "{from} AND {to}"),
                kind),
            sql(QStringLiteral(
                    "INSERT INTO stat_people(kind, person_id, first_slot, firsts, later, visits, "
                    "user_type) SELECT {k}, t.{person}, min(t.contact_time) / 900, count(*), "
                    "(SELECT count(*) FROM {tracks} WHERE {person} = t.{person} AND "
                    "contact_state = 2), (SELECT count(*) FROM {logs} WHERE {person} = "
                    "t.{person} AND contact_type = 2), (SELECT user_type FROM {people} WHERE id = "
                    "t.{person}) FROM {tracks} t WHERE t.contact_state = 1 AND t.{person} "
                    "BETWEEN {from} AND {to} GROUP BY t.{person}"),
                kind),
            sql(QStringLiteral("INSERT OR IGNORE INTO contact_orphans SELECT DISTINCT {k}, "
                               "l.{person} FROM {logs} l WHERE l.{person} BETWEEN {from} AND {to} "
                               "AND NOT EXISTS (SELECT 1 FROM {people} WHERE id = l.{person})"),
                kind),
        };
        list.append(
            {QStringLiteral("persons") + n,
             personTriggers(kind),
             {sql(QStringLiteral("DELETE FROM contact_due WHERE kind = {k}"), kind),
              sql(QStringLiteral("DELETE FROM stat_people WHERE kind = {k}"), kind),
              sql(QStringLiteral("DELETE FROM stat_funnel WHERE kind = {k}"), kind),
              sql(QStringLiteral("DELETE FROM contact_orphans WHERE kind = {k}"), kind)},
             // The first calls of a person: one seek, for the funnel's people.
             {sql(QStringLiteral("CREATE INDEX IF NOT EXISTS idx_{tracks}_first ON "
                                 "{tracks}({person}, contact_time) WHERE contact_state = 1"),
                  kind)},
             sql(QStringLiteral("SELECT max(coalesce((SELECT max(id) FROM {people}), 0), "
                                "coalesce((SELECT max({person}) FROM {logs}), 0), "
                                "coalesce((SELECT max({person}) FROM {tracks} WHERE "
                                "contact_state = 1), 0))"),
                 kind),
             [persons](const QSqlDatabase &db, qint64 from, qint64 to) {
                 return runChunk(db, persons, from, to);
             }});
        const QStringList tracks = {sql(
            QStringLiteral("INSERT INTO stat_slots(kind, slot, first_calls, later_calls, visits, "
                           "talk_seconds, timed_calls) SELECT {k}, contact_time / 900, "
                           "sum(contact_state = 1), sum(contact_state = 2), 0, 0, 0 FROM {tracks} "
                           "WHERE id BETWEEN {from} AND {to} GROUP BY 2 ON CONFLICT(kind, slot) "
                           "DO UPDATE SET first_calls = first_calls + excluded.first_calls, "
                           "later_calls = later_calls + excluded.later_calls"),
            kind)};
        list.append({QStringLiteral("tracks") + n,
                     trackTriggers(kind),
                     {sql(QStringLiteral("UPDATE stat_slots SET first_calls = 0, later_calls = 0 "
                                         "WHERE kind = {k}"),
                          kind)},
                     {},
                     sql(QStringLiteral("SELECT max(id) FROM {tracks}"), kind),
                     [tracks](const QSqlDatabase &db, qint64 from, qint64 to) {
                         return runChunk(db, tracks, from, to);
                     }});
        const QStringList logs = {
            sql(QStringLiteral(
                    "INSERT INTO stat_slots(kind, slot, first_calls, later_calls, visits, "
                    "talk_seconds, timed_calls) SELECT {k}, l.add_time / 900, 0, 0, "
                    "sum(l.contact_type = 2), coalesce(sum(d.seconds), 0), count(d.log_id) FROM "
                    "{logs} l LEFT JOIN contact_durations d ON d.kind = {k} AND d.log_id = l.id "
                    "WHERE l.id BETWEEN {from} AND {to} GROUP BY 2 ON CONFLICT(kind, slot) DO "
                    "UPDATE SET visits = visits + excluded.visits, talk_seconds = talk_seconds + "
                    "excluded.talk_seconds, timed_calls = timed_calls + excluded.timed_calls"),
                kind),
            sql(QStringLiteral("INSERT INTO stat_outcomes(kind, slot, outcome, calls) SELECT {k}, "
                               "l.add_time / 900, o.outcome, count(*) FROM {logs} l JOIN "
                               "contact_outcomes o ON o.kind = {k} AND o.log_id = l.id WHERE l.id "
                               "BETWEEN {from} AND {to} GROUP BY 2, 3 ON CONFLICT(kind, slot, "
                               "outcome) DO UPDATE SET calls = calls + excluded.calls"),
                kind),
        };
        list.append({QStringLiteral("logs") + n,
                     logTriggers(kind),
                     {sql(QStringLiteral("UPDATE stat_slots SET visits = 0, talk_seconds = 0, "
                                         "timed_calls = 0 WHERE kind = {k}"),
                          kind),
                      sql(QStringLiteral("DELETE FROM stat_outcomes WHERE kind = {k}"), kind)},
                     {},
                     sql(QStringLiteral("SELECT max(id) FROM {logs}"), kind),
                     [logs](const QSqlDatabase &db, qint64 from, qint64 to) {
                         return runChunk(db, logs, from, to);
                     }});
        const int number = kind.number;
        list.append({QStringLiteral("names") + n,
                     nameTriggers(kind),
                     {sql(QStringLiteral("DELETE FROM {names}"), kind),
                      sql(QStringLiteral("DELETE FROM name_backlog WHERE kind = {k}"), kind)},
                     {},
                     sql(QStringLiteral("SELECT max(id) FROM {people}"), kind),
                     [number](const QSqlDatabase &db, qint64 from, qint64 to) {
                         return indexNames(db, number, from, to);
                     }});
    }
    list.append({QStringLiteral("phones"),
                 phoneTriggers(),
                 {QStringLiteral("DELETE FROM prospect_phone_grams"),
                  QStringLiteral("DELETE FROM recruit_phone_grams")},
                 {},
                 QStringLiteral("SELECT max(rowid) FROM phone_keys"),
                 [](const QSqlDatabase &db, qint64 from, qint64 to) {
                     // The unary plus keeps SQLite on the rowid range: through
                     // the key index it would read every key of the kind.
                     const QString fill = QStringLiteral(
                         "INSERT OR REPLACE INTO %1_phone_grams(rowid, digits) SELECT rowid, "
                         "phone_key FROM phone_keys WHERE rowid BETWEEN %2 AND %3 AND +kind = %4");
                     return runAll(db,
                                   {fill.arg(QLatin1String("prospect")).arg(from).arg(to).arg(1),
                                    fill.arg(QLatin1String("recruit")).arg(from).arg(to).arg(2)});
                 }});
    return list;
}

const QList<Part> &allParts()
{
    static const QList<Part> list = parts();
    return list;
}

const QStringList tables = {
    QStringLiteral("CREATE TABLE IF NOT EXISTS side_index_state (part TEXT PRIMARY KEY, "
                   "done_through INTEGER NOT NULL)"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS contact_due (kind INTEGER NOT NULL, person_id "
                   "INTEGER NOT NULL, log_id INTEGER NOT NULL, next_time INTEGER, next_type "
                   "INTEGER, user_type INTEGER, PRIMARY KEY (kind, person_id)) WITHOUT ROWID"),
    // "Due" is a range of this index, which alone answers the counts: the
    // abandoned are in no list.
    QStringLiteral("CREATE INDEX IF NOT EXISTS idx_contact_due_when ON contact_due(kind, "
                   "next_time, next_type, user_type) WHERE user_type <> 0"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS contact_orphans (kind INTEGER NOT NULL, person_id "
                   "INTEGER NOT NULL, PRIMARY KEY (kind, person_id)) WITHOUT ROWID"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS stat_slots (kind INTEGER NOT NULL, slot INTEGER "
                   "NOT NULL, first_calls INTEGER NOT NULL, later_calls INTEGER NOT NULL, visits "
                   "INTEGER NOT NULL, talk_seconds INTEGER NOT NULL, timed_calls INTEGER NOT "
                   "NULL, PRIMARY KEY (kind, slot)) WITHOUT ROWID"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS stat_outcomes (kind INTEGER NOT NULL, slot "
                   "INTEGER NOT NULL, outcome TEXT NOT NULL, calls INTEGER NOT NULL, PRIMARY KEY "
                   "(kind, slot, outcome)) WITHOUT ROWID"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS stat_people (kind INTEGER NOT NULL, person_id "
                   "INTEGER NOT NULL, first_slot INTEGER, firsts INTEGER NOT NULL, later INTEGER "
                   "NOT NULL, visits INTEGER NOT NULL, user_type INTEGER, PRIMARY KEY (kind, "
                   "person_id)) WITHOUT ROWID"),
    QStringLiteral("CREATE INDEX IF NOT EXISTS idx_stat_people_repeated ON stat_people(kind) "
                   "WHERE firsts > 1"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS stat_funnel (kind INTEGER NOT NULL, slot INTEGER "
                   "NOT NULL, people INTEGER NOT NULL, later INTEGER NOT NULL, visits INTEGER NOT "
                   "NULL, converted INTEGER NOT NULL, abandoned INTEGER NOT NULL, PRIMARY KEY "
                   "(kind, slot)) WITHOUT ROWID"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS name_backlog (kind INTEGER NOT NULL, person_id "
                   "INTEGER NOT NULL, PRIMARY KEY (kind, person_id)) WITHOUT ROWID"),
    // Trigram indexes; rowid is the person's id, or the phone key's rowid.
    // Names are indexed with each character three times (textsearch.h).
    QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS prospect_name_grams USING fts5(grams, "
                   "tokenize = 'trigram', columnsize = 0)"),
    QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS recruit_name_grams USING fts5(grams, "
                   "tokenize = 'trigram', columnsize = 0)"),
    QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS prospect_phone_grams USING fts5(digits, "
                   "tokenize = 'trigram', columnsize = 0)"),
    QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS recruit_phone_grams USING fts5(digits, "
                   "tokenize = 'trigram', columnsize = 0)"),
};

qint64 singleValue(const QSqlDatabase &db, const QString &statement, bool *ok = nullptr)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const bool done = run(query, statement) && query.next();
    if (ok)
        *ok = done;
    return done ? query.value(0).toLongLong() : 0;
}

qint64 doneThrough(const QSqlDatabase &db, const QString &part, bool *ok = nullptr)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT done_through FROM side_index_state WHERE part = ?"));
    query.addBindValue(part);
    const bool found = query.exec() && query.next();
    if (ok)
        *ok = found;
    return found ? query.value(0).toLongLong() : 0;
}

bool setDoneThrough(const QSqlDatabase &db, const QString &part, qint64 value)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("UPDATE side_index_state SET done_through = ? WHERE part = ?"));
    query.addBindValue(value);
    query.addBindValue(part);
    return query.exec();
}

bool partsBuilt(const QSqlDatabase &db, const QStringList &names)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const QString list = u'\'' + names.join(QStringLiteral("', '")) + u'\'';
    if (!query.exec(QStringLiteral("SELECT count(*) FROM side_index_state WHERE done_through = "
                                   "%1 AND part IN (%2)")
                        .arg(allBuilt)
                        .arg(list)) ||
        !query.next())
        return false;
    return query.value(0).toInt() == names.size();
}

// All or none of the statements, inside or outside a transaction.
bool inSavepoint(const QSqlDatabase &db, const QStringList &statements)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("SAVEPOINT side_tables")))
        return false;
    if (runAll(db, statements))
        return run(query, QStringLiteral("RELEASE side_tables"));
    run(query, QStringLiteral("ROLLBACK TO side_tables"));
    run(query, QStringLiteral("RELEASE side_tables"));
    return false;
}

// One chunk of the part, without transaction of its own: the caller holds one.
// Grows or shrinks the chunk so that each takes about stepMilliseconds.
bool buildChunk(const QSqlDatabase &db, const Part &part, qint64 *chunkSize, qint64 *nowDone,
                qint64 *nowMax, qint64 maxChunk = 200000)
{
    bool ok = false;
    const qint64 done = doneThrough(db, part.name, &ok);
    if (!ok)
        return false;
    if (done == 0 && !runAll(db, part.before))
        return false;
    const qint64 max = singleValue(db, part.maxId, &ok);
    if (!ok)
        return false;
    const qint64 to = done + *chunkSize;
    QElapsedTimer timer;
    timer.start();
    if (done < max && !part.chunk(db, done + 1, to))
        return false;
    const qint64 spent = std::max<qint64>(1, timer.elapsed());
    *chunkSize = std::clamp<qint64>(*chunkSize * stepMilliseconds / spent,
                                    std::min<qint64>(200, maxChunk), maxChunk);
    // The chunk that reaches the highest id finishes the part in the same
    // transaction: what comes later is kept by the triggers.
    *nowDone = to >= max ? allBuilt : to;
    *nowMax = max;
    return setDoneThrough(db, part.name, *nowDone);
}

// Per thread: each builder learns the sizes of its own steps.
QHash<QString, qint64> &chunkSizes()
{
    thread_local QHash<QString, qint64> sizes;
    return sizes;
}
} // namespace

bool prepareSideTables(QSqlDatabase &db, qint64 buildAtOnceBelow)
{
    QSet<QString> existing;
    {
        QSqlQuery query(db);
        if (!run(query, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger'")))
            return false;
        while (query.next())
            existing.insert(query.value(0).toString());
    }
    const auto intact = [&](const QList<Trigger> &triggers) {
        return std::all_of(triggers.begin(), triggers.end(),
                           [&](const Trigger &t) { return existing.contains(t.name); });
    };
    QStringList common = tables;
    for (const Trigger &trigger : funnelTriggers())
        common << createTrigger(trigger);
    // Without them everything reads the plain statements, as before.
    if (!inSavepoint(db, common))
        return false;
    const bool funnelIntact = intact(funnelTriggers());
    for (const Part &part : allParts()) {
        QStringList statements{QStringLiteral("INSERT OR IGNORE INTO side_index_state(part, "
                                              "done_through) VALUES ('%1', 0)")
                                   .arg(part.name)};
        // A trigger gone (a table dropped and made again, by this program or
        // another) may have missed writes: the part is built again.
        if (!intact(part.triggers) ||
            (part.name.startsWith(QLatin1String("persons")) && !funnelIntact))
            statements << part.reset
                       << QStringLiteral("UPDATE side_index_state SET done_through = 0 WHERE "
                                         "part = '%1'")
                              .arg(part.name);
        for (const Trigger &trigger : part.triggers)
            statements << createTrigger(trigger);
        // A part whose triggers cannot be made is left out: no state, so its
        // readers keep to the plain statements and the builder passes it by.
        if (!inSavepoint(db, statements))
            inSavepoint(
                db,
                {QStringLiteral("DELETE FROM side_index_state WHERE part = '%1'").arg(part.name)});
    }

    // A small file is built at once, inside the schema's transaction.
    qint64 missing = 0;
    for (const Part &part : allParts()) {
        bool present = false;
        const qint64 done = doneThrough(db, part.name, &present);
        if (present && done != allBuilt)
            missing += std::max<qint64>(0, singleValue(db, part.maxId) - done);
    }
    if (missing >= buildAtOnceBelow)
        return true;
    for (const Part &part : allParts()) {
        qint64 size = buildAtOnceBelow;
        bool present = false;
        qint64 done = doneThrough(db, part.name, &present);
        qint64 max = 0;
        while (present && done != allBuilt) {
            if (!buildChunk(db, part, &size, &done, &max))
                return false;
        }
    }
    return true;
}

bool scheduleTablesBuilt(const QSqlDatabase &db)
{
    return partsBuilt(db, {QStringLiteral("persons1"), QStringLiteral("persons2")});
}

bool statisticsTablesBuilt(int kind, const QSqlDatabase &db)
{
    const QString n = QString::number(kind);
    return partsBuilt(db, {QStringLiteral("persons") + n, QStringLiteral("tracks") + n,
                           QStringLiteral("logs") + n});
}

bool textIndexBuilt(int kind, const QSqlDatabase &db)
{
    return partsBuilt(db, {kind == 0 ? QStringLiteral("phones")
                                     : QStringLiteral("names") + QString::number(kind)});
}

bool sideTablesPending(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    return (query.exec(QStringLiteral("SELECT 1 FROM side_index_state WHERE done_through <> %1 "
                                      "LIMIT 1")
                           .arg(allBuilt)) &&
            query.next()) ||
           nameBacklogPending(db);
}

bool buildSideTablesStep(const QSqlDatabase &db, SideBuildProgress *progress, qint64 maxChunk)
{
    *progress = SideBuildProgress();
    QSqlQuery transaction(db);
    // Write-locking from the start: the chunk and the triggers of other
    // writers never interleave.
    if (!run(transaction, QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    bool worked = false;
    bool failed = false;
    for (const Part &part : allParts()) {
        bool present = false;
        const qint64 done = doneThrough(db, part.name, &present);
        if (!present)
            continue;
        const qint64 max = std::max<qint64>(0, singleValue(db, part.maxId));
        progress->total += max;
        if (done == allBuilt) {
            progress->done += max;
            continue;
        }
        if (worked) {
            progress->done += std::min(done, max);
            continue;
        }
        qint64 &size = chunkSizes()[part.name];
        size = std::min(size == 0 ? 1000 : size, maxChunk);
        qint64 nowDone = 0;
        qint64 nowMax = 0;
        if (!buildChunk(db, part, &size, &nowDone, &nowMax, maxChunk)) {
            failed = true;
            break;
        }
        worked = true;
        progress->done += std::min(nowDone, max);
    }
    if (failed || !run(transaction, QStringLiteral("COMMIT"))) {
        run(transaction, QStringLiteral("ROLLBACK"));
        return false;
    }
    progress->finished = !worked;
    return worked;
}

SideTableBuilder::SideTableBuilder(QObject *parent) : QObject(parent) {}

SideTableBuilder::~SideTableBuilder() = default;

void SideTableBuilder::start()
{
    if (m_running || !sideTablesPending())
        return;
    m_running = true;
    if (!m_thread)
        m_thread = std::make_unique<DatabaseThread>(QStringLiteral("side-tables"));
    QPointer<SideTableBuilder> self(this);
    DatabaseThread *thread = m_thread.get();
    m_thread->post([self, thread](const QSqlDatabase &db) {
        SideBuildProgress progress;
        bool built = false;
        int failures = 0;
        while (!thread->stopping()) {
            if (!buildSideTablesStep(db, &progress)) {
                if (progress.finished || ++failures > 20) {
                    built = progress.finished;
                    break;
                }
                // The file was busy (a long write of the agent's): later.
                QThread::msleep(250);
                continue;
            }
            failures = 0;
            // Room for the agent's saves between two steps.
            QThread::msleep(10);
            QMetaObject::invokeMethod(
                self,
                [self, progress] {
                    if (self)
                        emit self->progress(progress.done, progress.total);
                },
                Qt::QueuedConnection);
        }
        if (thread->stopping())
            return;
        // Names queued meanwhile (an import) are indexed now, a few at a time,
        // not at the first search.
        while (!thread->stopping() && nameBacklogPending(db) && drainNameBacklog(db, 2000))
            QThread::msleep(10);
        QMetaObject::invokeMethod(
            self,
            [self, built] {
                if (!self)
                    return;
                self->m_running = false;
                emit self->finished(built);
            },
            Qt::QueuedConnection);
    });
}
