#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <memory>

struct sqlite3;
struct sqlite3_backup;

// Copies of mwdb.dat in backups/ beside it, named mwdb-yyyyMMdd-hhmmss.dat,
// readable by their owner only. Taken through SQLite's online backup, so a
// copy is consistent even while another connection writes.
struct SnapshotInfo
{
    QString path;
    QDateTime taken;
    qint64 size = 0;
    // Read from the snapshot itself; -1 when it cannot be read.
    qint64 prospects = -1;
    qint64 recruits = -1;
    qint64 orders = -1;
    // Named after a time still to come (the clock was once wrong): never
    // counted as the newest, listed after the others.
    bool future = false;
    // Not this program's snapshot (another program's file, a link, another
    // user's file): listed, never restored, pruned or counted. Why, for the list.
    bool foreign = false;
    QString foreignReason;
};

QString snapshotFolder();
// Newest first, those dated in the future last; counts are filled in by
// readSnapshotCounts.
QList<SnapshotInfo> listSnapshots();
bool readSnapshotCounts(SnapshotInfo &info);
// True when no snapshot was taken on now's calendar day (ignoring those dated
// after now).
bool snapshotDue(const QDateTime &now);
// Removes the unfinished copies a killed run left in the snapshot folder.
void removeUnfinishedSnapshots();
// What keeps snapshots from being taken or trusted, one line each: a file
// where the folder should be, a folder that cannot be written, the last
// failure of this run, copies dated in the future. Empty when all is well.
QStringList snapshotProblems(const QDateTime &now);
// The start-up copy: due as above, once the open file holds any of the
// agent's data (a copy of a new, empty file is worth nothing).
bool dailySnapshotDue(const QDateTime &now);
// Deletes all but the newest `keep` snapshots.
void pruneSnapshots(int keep);
// The agent's own snapshot file of this program (judged as start-up judges
// mwdb.dat) with "ok" from PRAGMA quick_check, opened read-only.
bool snapshotIsSound(const QString &path, QString *error);

// One snapshot of the open database, copied a few hundred pages at a time
// from the event loop so that the window never stalls on a large file, or all
// at once with runToEnd().
class SnapshotJob : public QObject
{
    Q_OBJECT
public:
    static constexpr int pagesPerStep = 256;

    explicit SnapshotJob(QObject *parent = nullptr);
    ~SnapshotJob() override;

    // Prepares the copy; false (with errorText) when it cannot begin.
    bool begin(const QDateTime &now);
    // Steps from the event loop until done; finished() tells the outcome.
    void runInBackground();
    // Copies everything now; true when the snapshot is complete.
    bool runToEnd();

    bool isRunning() const { return (m_backup || m_flush) && !m_finished; }
    QString path() const { return m_finalPath; }
    QString errorText() const { return m_error; }

signals:
    void progress(int copiedPages, int totalPages);
    void finished(bool ok);

private:
    // Returns false once the copy is complete or has failed.
    bool step(int pages);
    void conclude(bool ok, const QString &error);
    void publish(bool ok, const QString &error);

    sqlite3 *m_destination = nullptr;
    sqlite3_backup *m_backup = nullptr;
    QString m_partPath;
    QString m_finalPath;
    QString m_error;
    QTimer m_timer;
    std::unique_ptr<QThread> m_flush;
    bool m_inBackground = false;
    bool m_synced = false;
    bool m_finished = false;
};

// Start-up with a damaged data file: the newest snapshot that passes SQLite's
// quick check (empty when there is none).
QString newestSoundSnapshot();
// Moves the damaged file (and its log) aside as mwdb.dat.damaged, never
// deleting it, and puts a copy of the snapshot in its place. The database must
// be closed. Returns the name the damaged file now has.
bool replaceDamagedDatabase(const QString &snapshotPath, QString *damagedPath, QString *error);

// Replaces the open database's contents with the snapshot's. The snapshot is
// checked first and a snapshot of the current data is taken before anything
// changes; the copy itself is one transaction, so a failure midway leaves the
// current data as it was.
bool restoreSnapshot(const QString &path, QString *error, QString *safetyCopy = nullptr);
