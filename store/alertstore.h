#pragma once

#include <QList>
#include <QString>

// The contacts promised for a period: for every prospect and recruit not
// abandoned, the next call or visit of its latest (last saved) contact log,
// when that falls into [from, to]. An older log's time no longer counts once a newer
// log exists, whether it moved the time or recorded the contact itself.

enum class PersonKind
{
    Prospect = 1,
    Recruit = 2,
};

struct ScheduledContact
{
    PersonKind kind = PersonKind::Prospect;
    qint64 personId = 0;
    qint64 time = 0; // seconds since 1970
    int type = 1;    // 1 phone, 2 visit
    QString name;    // decoded
    QString phone;
};

// One query over both kinds, ordered by time; empty on failure. Without
// names, name and phone stay empty (a day on a large file holds thousands of
// contacts, of which a few are alerted at a time): completeContact adds them.
QList<ScheduledContact> loadScheduledContacts(qint64 from, qint64 to, bool names = true);
// Fills in name and phone of a contact read without them.
void completeContact(ScheduledContact &contact);
