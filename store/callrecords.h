#pragma once

#include <QSqlTableModel>
#include <QString>

#include <optional>

class QSqlDatabase;

// Side tables that add to a contact log what the fixed log tables have no
// column for, keyed by the kind of person (1 prospects, 2 recruits) and the
// log's id:
//   contact_durations(kind, log_id, seconds)  talk time of the call
//   contact_outcomes(kind, log_id, outcome)   how the call ended (its text)
// Created IF NOT EXISTS with the schema; the log tables stay as they are.
bool prepareCallRecords(QSqlDatabase &db);

enum CallRecordKind
{
    ProspectCalls = 1,
    RecruitCalls = 2,
};

// What the call dialog adds to a saved log: the talk time when it was
// measured, the outcome when one was chosen.
struct CallDetails
{
    std::optional<qint64> seconds;
    QString outcome;
};

// One contact as a call dialog records it.
struct ContactRecord
{
    int contactType = 1;
    QString content;
    // 0 when no next contact is planned (a call that ended in a deal may
    // need none): such a log is due nowhere.
    qint64 nextContactTime = 0;
    int nextContactType = 1;
    qint64 addTime = 0;
    int contactState = 1;
    CallDetails details;
};

// Stores the details of the log just inserted on the default connection
// (its last insert id); runs inside the log's transaction. A talk time
// outside 0 to 24 hours is a clock fault: reported, nothing stored, false.
bool addCallDetails(CallRecordKind kind, const CallDetails &details);

// Talk time of the logs added in [from, to], in seconds.
qint64 talkSecondsBetween(CallRecordKind kind, qint64 from, qint64 to);

// The contact history of one person for the call dialogs: the log columns
// followed by "通话时长" (m:ss, empty when none) and "结果".
QSqlTableModel *loadCallHistoryModel(QObject *parent, CallRecordKind kind, qint64 personId);
