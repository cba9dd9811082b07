#pragma once

#include "store/customermodels.h"

#include <QSqlQueryModel>
#include <QString>

class QObject;

// Whom to call or visit, and whom was called, in a closed period [from, to]
// (seconds). The planned questions compare next_contact_time, the done one
// add_time. A type of 0 means any, except for the two calendars, which always
// compare it.
//
// Everything planned follows one rule (today's lists, their numbers on the
// board, the calendar and the alerts): a person's latest contact log says
// when and how the next contact is due. An older log's plan is void once a
// newer log exists, whether that moved the time or recorded the contact.

// The condition that the row `log` of the table `logs` is its person's latest
// log. Logs are only ever appended, so the latest is the highest id; the
// check is one seek in the index on the person column (which ends in the id).
QString isLatestContactLog(const QString &logs, const QString &personColumn, const QString &log);

// One row per person whose latest log schedules a contact of the type in the
// period: log id, next contact time, name. Prospects of every user type.
QSqlCustomerCalendarQueryModel *loadCustomerCalendarModel(QObject *parent, qint64 from, qint64 to,
                                                          int nextContactType);
// Active recruits only.
QSqlQueryModel *loadHelperCalendarModel(QObject *parent, qint64 from, qint64 to,
                                        int nextContactType);

// One row per prospect, whatever its user type, whose latest log falls due,
// in the order of the promised times.
QSqlCustomerQueryModel *loadCustomersToContactModel(QObject *parent, qint64 from, qint64 to,
                                                    int nextContactType);
// One row per recruit, whatever its user type, whose latest log falls due.
QSqlQueryModel *loadHelpersToContactModel(QObject *parent, qint64 from, qint64 to,
                                          int nextContactType);

// Prospects with a log recorded in the period; the filter (may be empty)
// applies before the grouping.
QSqlCustomerQueryModel *loadContactedCustomersModel(QObject *parent, qint64 from, qint64 to,
                                                    int contactType, const QString &filter);

// The numbers of rows the three lists above hold, counted by the lists' own
// statements.
int countCustomersToContactRows(qint64 from, qint64 to, int nextContactType);
int countHelpersToContactRows(qint64 from, qint64 to, int nextContactType);
int countContactedCustomersRows(qint64 from, qint64 to, int contactType, const QString &filter);
