#pragma once

#include "store/callrecords.h"

#include <QSqlTableModel>
#include <QString>

class QObject;

// Recruits and team members (user_type 2), their contact logs and tracking
// rows. Names are stored as plain text.

QSqlTableModel *loadHelpersModel(QObject *parent, const QString &filter);
// The rows loadHelpersModel(filter) holds, counted by the same condition.
int countHelperRows(const QString &filter, const QSqlDatabase &db = QSqlDatabase());
bool addHelper(const QString &name, int sex, const QString &birthDate, const QString &phoneNumber,
               const QString &homeAddress, const QString &homeTel, const QString &companyName,
               const QString &office, int userType);
bool setHelperContacted(int helperId);
bool setHelperUserType(int helperId, int userType);

QSqlTableModel *loadHelperTelLogsModel(QObject *parent, const QString &filter);
bool addHelperTelLog(int helperId, int contactType, const QString &content, qint64 nextContactTime,
                     int nextContactType, qint64 addTime);
bool addHelperContactTrack(int helperId, qint64 contactTime, int contactState);
// One saved contact: log row, talk time and outcome, tracking row and
// contacted flag, all or none.
bool recordHelperContact(int helperId, int contactType, const QString &content,
                         qint64 nextContactTime, int nextContactType, qint64 addTime,
                         int contactState, const CallDetails &details = CallDetails());

// A call that ends with the recruit joining the team: the contact as
// recordHelperContact stores it and the change to a team member, all or none.
bool recordJoiningContact(int helperId, const ContactRecord &contact);

int countHelpersContacted(qint64 from, qint64 to, int contactType);
// The type condition is always applied.
int countHelpersToContact(qint64 from, qint64 to, int nextContactType);
int countHelperContactTracks(qint64 from, qint64 to, int contactState,
                             const QSqlDatabase &db = QSqlDatabase());
