#include "searchstore.h"

#include "store/nameencoding.h"
#include "store/phonekeys.h"
#include "store/sidetables.h"
#include "store/sqlcondition.h"
#include "store/textsearch.h"

#include <QDebug>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

namespace {
struct Table
{
    QString name;
    QString logs;
    QString personColumn;
    QString grams;
    QString phoneGrams;
    int kind;
};

const Table prospects{QStringLiteral("customers"),
                      QStringLiteral("customers_tel_logs"),
                      QStringLiteral("customer_id"),
                      QStringLiteral("prospect_name_grams"),
                      QStringLiteral("prospect_phone_grams"),
                      1};
const Table recruits{QStringLiteral("helpers"),
                     QStringLiteral("helpers_tel_logs"),
                     QStringLiteral("helper_id"),
                     QStringLiteral("recruit_name_grams"),
                     QStringLiteral("recruit_phone_grams"),
                     2};

// The people's rows with the latest log's time and next contact, the rows
// coming from `from` (which names the person t) in its own order, so that
// the first `limit` found end the read; the per-person look-ups use the
// logs' person index.
QString selectPeople(const Table &table, const QString &from, const QString &condition, int limit)
{
    return QStringLiteral("SELECT DISTINCT t.id, t.name, t.phone_number, t.user_type, "
                          "(SELECT max(add_time) FROM %1 WHERE %2 = t.id), "
                          "(SELECT next_contact_time FROM %1 WHERE %2 = t.id ORDER BY id DESC "
                          "LIMIT 1) FROM %3 WHERE t.user_type != 0 AND %4 LIMIT %5")
        .arg(table.logs, table.personColumn, from, condition, QString::number(limit));
}

class Collector
{
public:
    Collector(const QSqlDatabase &db, int limit) : m_db(db), m_limit(limit) {}

    // Adds what the statement finds of the table, up to the limit per table.
    void add(const Table &table, const QString &from, const QString &condition,
             const QVariantList &values = {})
    {
        const int room = m_limit - m_taken.value(table.kind);
        if (room <= 0)
            return;
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        if (!query.prepare(selectPeople(table, from, condition, room))) {
            qDebug() << "search:" << query.lastError().text();
            return;
        }
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (!query.exec()) {
            qDebug() << "search:" << query.lastError().text();
            return;
        }
        while (query.next()) {
            FoundPerson person;
            person.id = query.value(0).toLongLong();
            // A person found twice (two numbers holding the digits) is shown once.
            if (m_seen.contains({table.kind, person.id}))
                continue;
            m_seen.insert({table.kind, person.id});
            const bool prospect = table.kind == 1;
            person.name =
                prospect ? decodeName(query.value(1).toString()) : query.value(1).toString();
            person.phone = query.value(2).toString();
            person.kind = prospect                      ? FoundKind::Prospect
                          : query.value(3).toInt() == 2 ? FoundKind::Member
                                                        : FoundKind::Recruit;
            person.lastContact = query.value(4).toLongLong();
            person.nextContact = query.value(5).toLongLong();
            m_found.append(person);
            ++m_taken[table.kind];
        }
    }

    QList<FoundPerson> found() const { return m_found; }

private:
    QSqlDatabase m_db;
    int m_limit;
    QList<FoundPerson> m_found;
    QHash<int, int> m_taken;
    QSet<QPair<int, qint64>> m_seen;
};

// The keys drive: a range of their index, never a walk through the people.
const QString keysFrom = QStringLiteral("phone_keys k CROSS JOIN %1 t ON t.id = k.person_id");
} // namespace

bool searchesNumber(const QString &text)
{
    bool digit = false;
    for (const QChar c : text) {
        if (c.isDigit())
            digit = true;
        else if (!c.isSpace() && !QStringLiteral("+-()\uFF0B\uFF08\uFF09").contains(c))
            return false;
    }
    return digit;
}

bool searchNeedsScan(const QString &text, const QSqlDatabase &db)
{
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return false;
    if (searchesNumber(typed)) {
        const QString digits = normalizedPhone(typed);
        return digits.size() < 11 && (digits.size() < 3 || !textIndexBuilt(0, db));
    }
    return !textIndexBuilt(1, db) || !textIndexBuilt(2, db);
}

QList<FoundPerson> searchPeople(const QString &text, int limit, const QSqlDatabase &db)
{
    Collector collector(db, limit);
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return {};
    if (searchesNumber(typed)) {
        // The keys drop +86 as the typed number does.
        const QString digits = normalizedPhone(typed);
        if (digits.isEmpty())
            return {};
        drainPhoneKeyBacklog(db);
        // Numbers that begin with the digits are a range of the key index;
        // those holding them further in come from the trigram index of the
        // keys (checked again by instr), or for one or two digits, or while
        // that index is being built, from a scan of the keys that stops at
        // the limit. A whole number (11 digits and more) is looked up by the
        // key index alone.
        const bool inside = digits.size() < 11;
        const bool grams = digits.size() >= 3 && textIndexBuilt(0, db);
        for (const Table *table : {&prospects, &recruits}) {
            const QString from = keysFrom.arg(table->name);
            const QString kind = QStringLiteral("k.kind = %1 AND ").arg(table->kind);
            collector.add(*table, from,
                          kind + QStringLiteral("k.phone_key >= ? AND k.phone_key < ?"),
                          {digits, digits + QLatin1Char(':')});
            if (!inside)
                continue;
            if (grams)
                collector.add(*table,
                              QStringLiteral("%1(?) g CROSS JOIN phone_keys k ON k.rowid = "
                                             "g.rowid CROSS JOIN %2 t ON t.id = k.person_id")
                                  .arg(table->phoneGrams, table->name),
                              kind + QStringLiteral("instr(k.phone_key, ?) > 1"),
                              {ftsPhrase(digits), digits});
            else
                collector.add(*table, from, kind + QStringLiteral("instr(k.phone_key, ?) > 1"),
                              {digits});
        }
        return collector.found();
    }
    for (const Table *table : {&prospects, &recruits}) {
        const QString scan = nameScanCondition(table->kind, QStringLiteral("t.name"), typed);
        if (nameIndexUsable(table->kind, db))
            collector.add(*table,
                          QStringLiteral("%1(?) g CROSS JOIN %2 t ON t.id = g.rowid")
                              .arg(table->grams, table->name),
                          scan, {ftsPhrase(tripledText(typed))});
        else
            collector.add(*table, table->name + QStringLiteral(" t"), scan);
    }
    return collector.found();
}
