#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <memory>

class DatabaseThread;

// Side tables the data file keeps for itself, so that the questions of every
// day are one range read of an index instead of a walk through every log:
//
//   contact_due(kind, person_id, log_id, next_time, next_type, user_type)
//       each person's latest contact log: when and how the next contact is
//       due, with the person's user type (the rule of everything planned,
//       schedulestore.h); contact_orphans(kind, person_id) holds (at least)
//       every id that has logs but no person;
//   stat_slots(kind, slot, first_calls, later_calls, visits, talk_seconds,
//       timed_calls) and stat_outcomes(kind, slot, outcome, calls)
//       the work statistics summed per quarter hour (slot = time / 900):
//       every local midnight of every time zone falls on a quarter hour, so
//       any range of days is a range of slots;
//   stat_people(kind, person_id, first_slot, firsts, later, visits, user_type)
//       and stat_funnel(kind, slot, people, later, visits, converted,
//       abandoned): who was first called when, and what became of them;
//   prospect_name_grams, recruit_name_grams, prospect_phone_grams,
//   recruit_phone_grams
//       FTS5 trigram indexes of the readable names and of the phone keys
//       (textsearch.h).
//
// Kind is 1 for prospects and 2 for recruits. Plain SQL triggers on the
// program's tables keep them true in the same transaction as every write, by
// this program or any other (the sqlite3 shell included); only the readable
// names need the program, which decodes them from a backlog (as the phone
// keys are made). The specified tables are never altered.
//
// A file from before these tables is built once, part by part, in short
// transactions on a thread of its own (SideTableBuilder); until a part is
// built its triggers leave it alone and its readers use the plain statements.
// Each part records how far it is built (side_index_state): the triggers keep
// only what lies within it, the builder adds the rest.

// Creates what is missing inside the schema's transaction. A file with fewer
// rows to read than buildAtOnceBelow is built at once; a larger one is left
// to the builder.
bool prepareSideTables(QSqlDatabase &db, qint64 buildAtOnceBelow = 30000);

// The parts a reader needs, all built.
bool scheduleTablesBuilt(const QSqlDatabase &db = QSqlDatabase::database());
bool statisticsTablesBuilt(int kind, const QSqlDatabase &db = QSqlDatabase::database());
// The trigram index of the names of a kind, or (kind 0) of the phone keys.
bool textIndexBuilt(int kind, const QSqlDatabase &db = QSqlDatabase::database());
// True when some part still has to be built.
bool sideTablesPending(const QSqlDatabase &db = QSqlDatabase::database());

// How far the building is, in rows of the tables read so far.
struct SideBuildProgress
{
    qint64 done = 0;
    qint64 total = 0;
    bool finished = false;
};

// Builds the parts that are missing, one short write transaction at a time, on
// a thread of its own, so that the agent's saves never wait long for the file.
class SideTableBuilder : public QObject
{
    Q_OBJECT

public:
    explicit SideTableBuilder(QObject *parent = nullptr);
    ~SideTableBuilder() override;

    // Starts (or starts again after a restore) when a part is missing.
    void start();
    bool isRunning() const { return m_running; }

signals:
    void progress(qint64 done, qint64 total);
    // Every part is built (or the building gave up: the file cannot be written).
    void finished(bool built);

private:
    std::unique_ptr<DatabaseThread> m_thread;
    bool m_running = false;
};

// One step of the building on the given connection: one chunk of the first
// part not yet built, in a transaction of its own. False when nothing is left
// or the step failed; progress tells which.
// A chunk covers at most maxChunk ids.
bool buildSideTablesStep(const QSqlDatabase &db, SideBuildProgress *progress,
                         qint64 maxChunk = 200000);
