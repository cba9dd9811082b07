#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class QObject;
class QSqlQueryModel;

// What the built-in telephone adds to the data file, in side tables created
// IF NOT EXISTS with the schema (the fixed tables stay as they are):
//   contact_recordings(kind, log_id, file, seconds, sha256)
//       the recordings of a saved contact log (kind 1 prospects, 2 recruits)
//   pending_calls(id, kind, person_id, number, started, seconds, file, sha256)
//       calls that ended without a saved log: their talk time and recording,
//       kept until a log takes them or the agent deletes them
//   missed_calls(id, number, at, kind, person_id, called_back)
//       incoming calls nobody answered (kind 0: a number nobody has)
// Recordings are files in recordings/ beside mwdb.dat (0700, files 0600),
// named in the table by their file name only.
bool preparePhoneRecords(QSqlDatabase &db);

// recordings/ beside the data file.
QString recordingsFolder();
// Creates the folder owner-only, or makes an existing one so; refuses a
// link, something else than a folder, or a folder of another user.
bool ensurePrivateFolder(const QString &path, QString *error);
// SHA-256 of the file as hex, read in pieces; empty when it cannot be read.
QString fileSha256(const QString &path);

struct PendingCall
{
    qint64 id = -1;
    int kind = 0;
    qint64 personId = -1;
    // The dial digits of the far end.
    QString number;
    qint64 started = 0;
    qint64 seconds = 0;
    // File name in recordings/, empty without a recording.
    QString file;
    QString sha256;
};

// The new row's id, or -1 (reported) on failure.
qint64 addPendingCall(const PendingCall &call);
// The unsaved calls of one person, and those of nobody known whose number
// normalises like the person's phone; oldest first.
QList<PendingCall> pendingCallsFor(int kind, qint64 personId, const QString &phone);
// Deletes the row and its recording file.
bool deletePendingCall(qint64 id);
// Inside the transaction of the log just inserted (its id given): the
// recordings of the pending calls go to contact_recordings under the log,
// with a name of the log's kind, id and time, and the rows leave
// pending_calls. Their old names are removed by tidyRecordings().
bool claimPendingCalls(int kind, qint64 logId, const QList<qint64> &ids);
// Removes names of recordings that a log has taken over.
void tidyRecordings();

struct Recording
{
    int kind = 0;
    qint64 logId = -1;
    QString file;
    qint64 seconds = 0;
    QString sha256;
};
QList<Recording> recordingsOfLog(int kind, qint64 logId);

enum class RecordingState
{
    Sound,
    Missing,
    Altered
};
// Whether the file is there and still has the hash it was saved with.
RecordingState checkRecording(const QString &file, const QString &sha256);
// "录音文件不存在", "录音文件已被改动 (校验值不符)", or empty.
QString recordingProblem(RecordingState state);

// Deletes the recordings (files and rows, saved and unsaved) older than the
// given days; what went, for a report.
struct PruneReport
{
    int files = 0;
    qint64 bytes = 0;
    QStringList problems;
};
PruneReport pruneRecordings(int days, qint64 now);
QString pruneReportText(const PruneReport &report);

// Every recording file of one person, saved or not: what deleting the
// person's data must remove too.
QStringList personRecordingFiles(int kind, qint64 personId);
// Removes them with their rows, in one transaction.
bool deletePersonRecordings(int kind, qint64 personId);

// Unanswered incoming calls.
bool addMissedCall(const QString &number, qint64 at, int kind, qint64 personId);
int countMissedCalls();
// A call placed to the number answers its missed calls.
bool markMissedCallsCalledBack(const QString &number);
// Time, number, kind, name of the person, person id, number digits, id:
// the calls not yet called back, newest first.
QSqlQueryModel *loadMissedCallsModel(QObject *parent);
enum MissedCallColumn
{
    MissedTime,
    MissedNumber,
    MissedKind,
    MissedName,
    MissedPersonId,
    MissedKindCode,
    MissedId,
};

// What the incoming-call window shows of a known caller: the name, the
// kind ("准客户", "准增员", "团队成员"), the time of the last contact and the
// next contact the latest log promises (0 when none).
struct PersonGlance
{
    QString name;
    QString kindText;
    qint64 lastContact = 0;
    qint64 nextContact = 0;
    int nextContactType = 0;
};
PersonGlance glanceAt(int kind, qint64 personId);
