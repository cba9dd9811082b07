#pragma once

#include "store/callrecords.h"
#include "store/customermodels.h"
#include "store/database.h"

#include <QString>

class QObject;

// Prospects, their relatives, contact logs and contact tracking rows.
// Filters are SQL conditions without WHERE (empty = none); conditions built
// from typed text must come from sqlcondition.h.

bool addCustomer(const QString &name, int sex, const QString &birthDate, const QString &phoneNumber,
                 const QString &homeAddress, const QString &homeTel, const QString &companyName,
                 const QString &office);
// Silent on failure (the error text goes to errorText when given); also used
// by the list writer on its own connection.
bool addDownloadedCustomer(const QString &name, const QString &phoneNumber,
                           const QString &companyName, const QString &office,
                           const QString &homeAddress, qint64 serverCustomerId,
                           const QString &connectionName = defaultConnectionName(),
                           QString *errorText = nullptr);
qint64 maxServerCustomerId();
bool setCustomerContacted(int customerId);
bool setCustomerUserType(int customerId, int userType);

int customerPageCount(const QString &filter, int pageSize);
// page is 1-based; page 0 loads every matching row.
QSqlCustomerTableModel *loadCustomersModel(QObject *parent, const QString &filter, int page,
                                           int pageSize);
// The rows loadCustomersModel(filter, page 0) holds, counted by the same
// condition (a limit in the filter included).
int countCustomerRows(const QString &filter, const QSqlDatabase &db = QSqlDatabase());

QSqlTableModel *loadKinsfolkModel(QObject *parent, const QString &filter);
bool addKinsfolk(int customerId, const QString &relation, const QString &name, int sex,
                 const QString &birthDate, const QString &phoneNumber, const QString &companyName,
                 const QString &office);

QSqlTableModel *loadCustomerTelLogsModel(QObject *parent, const QString &filter);
// The add time comes last although it is the second column.
bool addCustomerTelLog(int customerId, int contactType, const QString &content,
                       qint64 nextContactTime, int nextContactType, qint64 addTime);
bool addCustomerContactTrack(int customerId, qint64 contactTime, int contactState);
// One saved contact: the log row, its talk time and outcome, the tracking row
// and the contacted flag, in one transaction (all or none).
bool recordCustomerContact(int customerId, int contactType, const QString &content,
                           qint64 nextContactTime, int nextContactType, qint64 addTime,
                           int contactState, const CallDetails &details = CallDetails());

// The writes of recordCustomerContact without a transaction of their own,
// for an action that stores the contact together with more (a deal's order
// and the change to a customer).
bool writeCustomerContact(int customerId, const ContactRecord &contact);

// Distinct prospects; a type or state of 0 means any.
int countCustomersContacted(qint64 from, qint64 to, int contactType);
int countCustomersToContact(qint64 from, qint64 to, int nextContactType);
int countCustomerContactTracks(qint64 from, qint64 to, int contactState,
                               const QSqlDatabase &db = QSqlDatabase());
