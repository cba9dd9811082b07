#include "textsearch.h"

#include "store/nameencoding.h"
#include "store/sidetables.h"
#include "store/sqlcondition.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

namespace {
// More queued names than this are left to the builder's thread: the window
// scans meanwhile instead of indexing them while the agent waits.
constexpr int drainOnTheSpot = 2000;

QString peopleTable(int kind)
{
    return kind == 1 ? QStringLiteral("customers") : QStringLiteral("helpers");
}

QString gramsTable(int kind)
{
    return kind == 1 ? QStringLiteral("prospect_name_grams") : QStringLiteral("recruit_name_grams");
}

QString readable(int kind, const QString &stored)
{
    return kind == 1 ? decodeName(stored) : stored;
}

bool run(QSqlQuery &query, const QString &statement)
{
    if (query.exec(statement))
        return true;
    qDebug() << "name index:" << query.lastError().text();
    return false;
}

bool storeGrams(const QSqlDatabase &db, int kind, QSqlQuery &people)
{
    QSqlQuery store(db);
    if (!store.prepare(QStringLiteral("INSERT OR REPLACE INTO %1(rowid, grams) VALUES (?, ?)")
                           .arg(gramsTable(kind))))
        return false;
    while (people.next()) {
        store.addBindValue(people.value(0));
        store.addBindValue(tripledText(readable(kind, people.value(1).toString())));
        if (!store.exec()) {
            qDebug() << "name index:" << store.lastError().text();
            return false;
        }
    }
    return true;
}
} // namespace

QString tripledText(const QString &text)
{
    QList<uint> tripled;
    const QList<uint> points = text.toUcs4();
    tripled.reserve(points.size() * 3);
    for (const uint point : points)
        tripled << point << point << point;
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(tripled.constData()),
                             tripled.size());
}

QString ftsPhrase(const QString &text)
{
    QString phrase = text;
    phrase.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + phrase + QLatin1Char('"');
}

bool indexNames(const QSqlDatabase &db, int kind, qint64 from, qint64 to)
{
    QSqlQuery people(db);
    people.setForwardOnly(true);
    if (!run(people, QStringLiteral("SELECT id, name FROM %1 WHERE id BETWEEN %2 AND %3")
                         .arg(peopleTable(kind))
                         .arg(from)
                         .arg(to)) ||
        !storeGrams(db, kind, people))
        return false;
    QSqlQuery done(db);
    return run(done, QStringLiteral("DELETE FROM name_backlog WHERE kind = %1 AND person_id "
                                    "BETWEEN %2 AND %3")
                         .arg(kind)
                         .arg(from)
                         .arg(to));
}

bool nameBacklogPending(const QSqlDatabase &db)
{
    QSqlQuery probe(db);
    probe.setForwardOnly(true);
    return probe.exec(QStringLiteral("SELECT 1 FROM name_backlog LIMIT 1")) && probe.next();
}

bool drainNameBacklog(const QSqlDatabase &db, int limit)
{
    if (!nameBacklogPending(db))
        return true;
    QSqlQuery savepoint(db);
    if (!run(savepoint, QStringLiteral("SAVEPOINT name_backlog")))
        return false;
    bool ok = true;
    for (int kind = 1; kind <= 2 && ok; ++kind) {
        const QString taken =
            QStringLiteral(
                "SELECT person_id FROM name_backlog WHERE kind = %1 ORDER BY person_id%2")
                .arg(kind)
                .arg(limit < 0 ? QString() : QStringLiteral(" LIMIT %1").arg(limit));
        // People deleted since they were queued drop out of the join; their
        // entries went with them.
        QSqlQuery people(db);
        people.setForwardOnly(true);
        QSqlQuery done(db);
        ok = run(people, QStringLiteral("SELECT p.id, p.name FROM %1 p WHERE p.id IN (%2)")
                             .arg(peopleTable(kind), taken)) &&
             storeGrams(db, kind, people) &&
             run(done, QStringLiteral("DELETE FROM name_backlog WHERE kind = %1 AND person_id "
                                      "IN (%2)")
                           .arg(kind)
                           .arg(taken));
    }
    if (ok)
        return run(savepoint, QStringLiteral("RELEASE name_backlog"));
    run(savepoint, QStringLiteral("ROLLBACK TO name_backlog"));
    run(savepoint, QStringLiteral("RELEASE name_backlog"));
    return false;
}

bool nameIndexUsable(int kind, const QSqlDatabase &db)
{
    if (!textIndexBuilt(kind, db))
        return false;
    QSqlQuery count(db);
    count.setForwardOnly(true);
    if (!count.exec(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM name_backlog LIMIT %1)")
                        .arg(drainOnTheSpot + 1)) ||
        !count.next() || count.value(0).toInt() > drainOnTheSpot)
        return false;
    return count.value(0).toInt() == 0 || drainNameBacklog(db);
}

QString nameScanCondition(int kind, const QString &nameColumn, const QString &typed)
{
    return kind == 1 ? encodedNameContains(nameColumn, typed) : likeContains(nameColumn, typed);
}

QString nameContainsCondition(int kind, const QString &idColumn, const QString &nameColumn,
                              const QString &typed, const QSqlDatabase &db)
{
    const QString scan = nameScanCondition(kind, nameColumn, typed);
    if (typed.isEmpty() || !nameIndexUsable(kind, db))
        return scan;
    return QStringLiteral("%1 IN (SELECT rowid FROM %2 WHERE %2 MATCH %3) AND %4")
        .arg(idColumn, gramsTable(kind), sqlQuoted(ftsPhrase(tripledText(typed))), scan);
}
