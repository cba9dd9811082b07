#include "alertstore.h"

#include "store/nameencoding.h"
#include "store/schedulestore.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

namespace {
// The rule of everything planned (schedulestore.h): only a person's latest
// log counts. Both the range and the check read indexes only; the person's
// row is the one table read per scheduled contact.
QString latestLogsOf(const QString &logs, const QString &persons, const QString &idColumn, int kind)
{
    return QStringLiteral("SELECT %4, l.%3, l.next_contact_time, l.next_contact_type, p.name, "
                          "p.phone_number FROM %1 l JOIN %2 p ON p.id = l.%3 "
                          "WHERE l.next_contact_time >= :from%4 AND l.next_contact_time <= :to%4 "
                          "AND p.user_type <> 0 AND ")
               .arg(logs, persons, idColumn)
               .arg(kind) +
           isLatestContactLog(logs, idColumn, QStringLiteral("l"));
}
} // namespace

QList<ScheduledContact> loadScheduledContacts(qint64 from, qint64 to)
{
    QSqlQuery query;
    query.setForwardOnly(true);
    const QString statement =
        latestLogsOf(QStringLiteral("customers_tel_logs"), QStringLiteral("customers"),
                     QStringLiteral("customer_id"), int(PersonKind::Prospect)) +
        QStringLiteral(" UNION ALL ") +
        latestLogsOf(QStringLiteral("helpers_tel_logs"), QStringLiteral("helpers"),
                     QStringLiteral("helper_id"), int(PersonKind::Recruit)) +
        QStringLiteral(" ORDER BY 3, 1, 2");
    QList<ScheduledContact> contacts;
    if (!query.prepare(statement)) {
        qDebug() << "schedule:" << query.lastError().text();
        return contacts;
    }
    for (int kind = 1; kind <= 2; ++kind) {
        query.bindValue(QStringLiteral(":from%1").arg(kind), from);
        query.bindValue(QStringLiteral(":to%1").arg(kind), to);
    }
    if (!query.exec()) {
        qDebug() << "schedule:" << query.lastError().text();
        return contacts;
    }
    while (query.next()) {
        ScheduledContact contact;
        contact.kind = PersonKind(query.value(0).toInt());
        contact.personId = query.value(1).toLongLong();
        contact.time = query.value(2).toLongLong();
        contact.type = query.value(3).toInt();
        const QString name = query.value(4).toString();
        contact.name = contact.kind == PersonKind::Prospect ? decodeName(name) : name;
        contact.phone = query.value(5).toString();
        contacts.append(contact);
    }
    return contacts;
}
