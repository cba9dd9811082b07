#pragma once

#include "store/customermodels.h"

#include <QSqlDatabase>
#include <QSqlQueryModel>
#include <QString>

class QObject;

// Whom to call or visit, and whom was called, in a closed period [from, to]
// (seconds). The planned questions compare next_contact_time, the done one
// add_time. A type of 0 means any, except for the two calendars, which always
// compare it.
//
// Everything planned follows one rule (today's lists, their numbers on the
// board, both calendars and the alerts): a person's latest contact log says
// when and how the next contact is due, and an abandoned person (user type 0)
// is due nowhere. An older log's plan is void once a newer log exists, whether
// that moved the time or recorded the contact. A recovered person is due
// again by his latest log. The side table contact_due (sidetables.h) holds
// that latest log for every person, so that "due" is one range of an index;
// while it is being built the same rule is read from the logs.

// The condition that the row `log` of the table `logs` is its person's latest
// log. Logs are only ever appended, so the latest is the highest id; the
// check is one seek in the index on the person column (which ends in the id).
QString isLatestContactLog(const QString &logs, const QString &personColumn, const QString &log);

// One row per person due in the period with a contact of the type, in the
// order of the times: log id, next contact time, name, person id.
QSqlCustomerCalendarQueryModel *loadCustomerCalendarModel(QObject *parent, qint64 from, qint64 to,
                                                          int nextContactType);
QSqlQueryModel *loadHelperCalendarModel(QObject *parent, qint64 from, qint64 to,
                                        int nextContactType);

// One row per person due, in the order of the promised times: the person's
// eleven columns followed by the promised time (seconds).
QSqlCustomerQueryModel *loadCustomersToContactModel(QObject *parent, qint64 from, qint64 to,
                                                    int nextContactType);
QSqlQueryModel *loadHelpersToContactModel(QObject *parent, qint64 from, qint64 to,
                                          int nextContactType);
// The column of the promised time in the two models above.
inline constexpr int ColumnPromisedTime = 11;

// Prospects with a log recorded in the period; the filter (may be empty)
// applies before the grouping.
QSqlCustomerQueryModel *loadContactedCustomersModel(QObject *parent, qint64 from, qint64 to,
                                                    int contactType, const QString &filter);

// The numbers of rows the three lists above hold, by the lists' own condition.
int countCustomersToContactRows(qint64 from, qint64 to, int nextContactType,
                                const QSqlDatabase &db = QSqlDatabase());
int countHelpersToContactRows(qint64 from, qint64 to, int nextContactType,
                              const QSqlDatabase &db = QSqlDatabase());
int countContactedCustomersRows(qint64 from, qint64 to, int contactType, const QString &filter,
                                const QSqlDatabase &db = QSqlDatabase());

// The contacts due in the period for the alerts, by the same rule, ordered
// by time: kind (1, 2), person id, time, type, and with names the stored name
// and the phone number (else two NULLs, the people's rows left unread).
QString scheduledContactsStatement(qint64 from, qint64 to, bool names = true);
