#pragma once

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
// Silent on failure; also used by the list writer on its own connection.
bool addDownloadedCustomer(const QString &name, const QString &phoneNumber,
                           const QString &companyName, const QString &office,
                           const QString &homeAddress, int serverCustomerId,
                           const QString &connectionName = defaultConnectionName());
int maxServerCustomerId();
bool setCustomerContacted(int customerId);
bool setCustomerUserType(int customerId, int userType);

int customerPageCount(const QString &filter, int pageSize);
// page is 1-based; page 0 loads every matching row.
QSqlCustomerTableModel *loadCustomersModel(QObject *parent, const QString &filter, int page,
                                           int pageSize);

QSqlTableModel *loadKinsfolkModel(QObject *parent, const QString &filter);
bool addKinsfolk(int customerId, const QString &relation, const QString &name, int sex,
                 const QString &birthDate, const QString &phoneNumber, const QString &companyName,
                 const QString &office);

QSqlTableModel *loadCustomerTelLogsModel(QObject *parent, const QString &filter);
// The add time comes last although it is the second column.
bool addCustomerTelLog(int customerId, int contactType, const QString &content, int nextContactTime,
                       int nextContactType, int addTime);
bool addCustomerContactTrack(int customerId, int contactTime, int contactState);

// Distinct prospects; a type or state of 0 means any.
int countCustomersContacted(int from, int to, int contactType);
int countCustomersToContact(int from, int to, int nextContactType);
int countCustomerContactTracks(int from, int to, int contactState);
