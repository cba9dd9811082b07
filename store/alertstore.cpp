#include "alertstore.h"

#include "store/nameencoding.h"
#include "store/schedulestore.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

QList<ScheduledContact> loadScheduledContacts(qint64 from, qint64 to)
{
    QSqlQuery query;
    query.setForwardOnly(true);
    // The rule of everything planned (schedulestore.h), abandoned people left out.
    QList<ScheduledContact> contacts;
    if (!query.exec(scheduledContactsStatement(from, to))) {
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
