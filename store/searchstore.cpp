#include "searchstore.h"

#include "store/nameencoding.h"
#include "store/phonekeys.h"
#include "store/sqlcondition.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

namespace {
struct Table
{
    QString name;
    QString logs;
    QString personColumn;
    int kind;
};

const Table prospects{QStringLiteral("customers"), QStringLiteral("customers_tel_logs"),
                      QStringLiteral("customer_id"), 1};
const Table recruits{QStringLiteral("helpers"), QStringLiteral("helpers_tel_logs"),
                     QStringLiteral("helper_id"), 2};

// The people's rows with the latest log's time and next contact; the
// per-person look-ups use the logs' person index.
QString selectPeople(const Table &table, const QString &condition, int limit)
{
    return QStringLiteral("SELECT t.id, t.name, t.phone_number, t.user_type, "
                          "(SELECT max(add_time) FROM %1 WHERE %2 = t.id), "
                          "(SELECT next_contact_time FROM %1 WHERE %2 = t.id ORDER BY id DESC "
                          "LIMIT 1) FROM %3 t WHERE t.user_type != 0 AND %4 ORDER BY t.id LIMIT %5")
        .arg(table.logs, table.personColumn, table.name, condition, QString::number(limit));
}

int collect(QList<FoundPerson> &found, const Table &table, const QString &statement,
            const QVariantList &values = {})
{
    QSqlQuery query;
    query.setForwardOnly(true);
    if (!query.prepare(statement)) {
        qDebug() << "search:" << query.lastError().text();
        return 0;
    }
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        qDebug() << "search:" << query.lastError().text();
        return 0;
    }
    int rows = 0;
    while (query.next()) {
        FoundPerson person;
        person.id = query.value(0).toLongLong();
        const bool prospect = table.kind == 1;
        person.name = prospect ? decodeName(query.value(1).toString()) : query.value(1).toString();
        person.phone = query.value(2).toString();
        person.kind = prospect                      ? FoundKind::Prospect
                      : query.value(3).toInt() == 2 ? FoundKind::Member
                                                    : FoundKind::Recruit;
        person.lastContact = query.value(4).toLongLong();
        person.nextContact = query.value(5).toLongLong();
        found.append(person);
        ++rows;
    }
    return rows;
}
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

QList<FoundPerson> searchPeople(const QString &text, int limit)
{
    QList<FoundPerson> found;
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return found;
    if (searchesNumber(typed)) {
        // The keys drop +86 as the typed number does; the scan reads the
        // narrow key index, not the people's rows.
        const QString digits = normalizedPhone(typed);
        if (digits.isEmpty())
            return found;
        drainPhoneKeyBacklog();
        // Numbers that begin with the digits come from a range of the key
        // index at once; those holding them further in need a scan of the
        // keys, so a whole number (11 digits and more) is looked up by the
        // index alone.
        const QString keys =
            QStringLiteral("t.id IN (SELECT person_id FROM phone_keys WHERE kind = %1 AND %2)");
        for (const Table *table : {&prospects, &recruits}) {
            const QString kind = QString::number(table->kind);
            const int begin = collect(
                found, *table,
                selectPeople(*table, keys.arg(kind, "phone_key >= ? AND phone_key < ?"), limit),
                {digits, digits + QLatin1Char(':')});
            if (begin < limit && digits.size() < 11)
                collect(
                    found, *table,
                    selectPeople(*table, keys.arg(kind, "instr(phone_key, ?) > 1"), limit - begin),
                    {digits});
        }
        return found;
    }
    collect(found, prospects,
            selectPeople(prospects, encodedNameContains(QStringLiteral("t.name"), typed), limit));
    collect(found, recruits,
            selectPeople(recruits, likeContains(QStringLiteral("t.name"), typed), limit));
    return found;
}
