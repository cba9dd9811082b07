#pragma once

#include "store/customermodels.h"

#include <QSqlQueryModel>
#include <QString>

class QObject;

// Whom to call or visit, and whom was called, in a closed period [from, to]
// (seconds). The planned questions compare next_contact_time, the done one
// add_time. A type of 0 means any, except for the two calendars, which always
// compare it.

// One row per scheduled log: log id, next contact time, name.
QSqlCustomerCalendarQueryModel *loadCustomerCalendarModel(QObject *parent, qint64 from, qint64 to,
                                                          int nextContactType);
// Active recruits only; one row per scheduled log.
QSqlQueryModel *loadHelperCalendarModel(QObject *parent, qint64 from, qint64 to,
                                        int nextContactType);

// One row per prospect, whatever its user type.
QSqlCustomerQueryModel *loadCustomersToContactModel(QObject *parent, qint64 from, qint64 to,
                                                    int nextContactType);
// Not grouped: a recruit appears once for every scheduled log.
QSqlQueryModel *loadHelpersToContactModel(QObject *parent, qint64 from, qint64 to,
                                          int nextContactType);

// Prospects with a log recorded in the period; the filter (may be empty)
// applies before the grouping.
QSqlCustomerQueryModel *loadContactedCustomersModel(QObject *parent, qint64 from, qint64 to,
                                                    int contactType, const QString &filter);
