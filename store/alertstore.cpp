#include "alertstore.h"

#include "store/nameencoding.h"
#include "store/schedulestore.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

QList<ScheduledContact> loadScheduledContacts(qint64 from, qint64 to, bool names)
{
    QSqlQuery query;
    query.setForwardOnly(true);
    // The rule of everything planned (schedulestore.h), abandoned people left out.
    QList<ScheduledContact> contacts;
    if (!query.exec(scheduledContactsStatement(from, to, names))) {
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

void completeContact(ScheduledContact &contact)
{
    if (!contact.name.isEmpty())
        return;
    const bool prospect = contact.kind == PersonKind::Prospect;
    QSqlQuery query;
    query.prepare(prospect ? QStringLiteral("SELECT name, phone_number FROM customers WHERE id = ?")
                           : QStringLiteral("SELECT name, phone_number FROM helpers WHERE id = ?"));
    query.addBindValue(contact.personId);
    if (!query.exec() || !query.next())
        return;
    contact.name = prospect ? decodeName(query.value(0).toString()) : query.value(0).toString();
    contact.phone = query.value(1).toString();
}
