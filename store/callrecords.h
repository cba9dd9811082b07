#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlTableModel>
#include <QString>

#include <optional>

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
    // Unsaved calls of the built-in telephone whose recordings the log takes.
    QList<qint64> pendingCalls = {};
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

// Talk time of the logs added in [from, to], in seconds. The period's logs
// drive (a range of their time index), each looking up its talk time.
qint64 talkSecondsBetween(CallRecordKind kind, qint64 from, qint64 to,
                          const QSqlDatabase &db = QSqlDatabase());

// The contact history of one person for the call dialogs: the log columns
// followed by "通话时长" (m:ss, empty when none), "结果" and "录音" ("有"
// when the built-in telephone recorded the call).
QSqlTableModel *loadCallHistoryModel(QObject *parent, CallRecordKind kind, qint64 personId);
