#pragma once

#include <QDate>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

#include <QSqlDatabase>

// The figures of the work statistics: each series is one grouped statement
// over the indexes, shaped into a small table of whole numbers that the
// window draws as a chart and shows as a table alike.

enum class StatBucket
{
    Day,
    Week,
    Month
};

// Days for a range of up to 62 days, weeks (Monday to Sunday) up to 53 weeks,
// months beyond. The range counts both of its ends.
StatBucket bucketForRange(const QDate &from, const QDate &to);

// One bucket, clipped to the range it belongs to.
struct StatBucketSpan
{
    QDate first;
    QDate last;
    QString label;
};

// The buckets that cover the range, in order; none when the range is empty
// (begin after end) or invalid.
QList<StatBucketSpan> statBuckets(const QDate &from, const QDate &to, StatBucket bucket);

enum class StatPeople
{
    Prospects = 1,
    Recruits = 2
};

enum class StatSeries
{
    Calls,
    Funnel,
    Orders,
    Products,
    TalkTime,
    Outcomes,
    Team
};

// Every series, in the order the window shows them.
QList<StatSeries> allStatSeries();

struct StatRequest
{
    QDate from;
    QDate to;
    StatPeople people = StatPeople::Prospects;
    // The daily first-call quota of the settings for the chosen people.
    int dailyQuota = 0;
    // The team series measures today's year up to this day.
    QDate today;
};

// A table of whole numbers: one row per label, one value per header after
// the first (which names the label column).
struct StatTable
{
    QStringList headers;
    QStringList labels;
    QList<QList<qint64>> rows;

    // True when one of the first columns (all when negative) holds a value.
    bool hasData(int columns = -1) const;
};

// The seven outcomes the calling tools record, in their order.
QStringList callOutcomes();

// The plain grouped statement of one series with its numbers written in (they
// come from the program, never from typed text), so that the sqlite3 shell can
// run it as is. It reads the specified tables only: the measure of the rest.
QString statisticsStatement(StatSeries series, const StatRequest &request);
// The statement loadStatistics runs on the connection: the calls, the funnel,
// talk time and outcomes from the totals the file keeps per quarter hour
// (sidetables.h) once they are built, the plain statement otherwise.
QString statisticsStatement(StatSeries series, const StatRequest &request, const QSqlDatabase &db);

enum class StatSource
{
    Best,
    Plain
};

// Runs the series on the connection; nothing when the statement fails (the
// error text goes to error when given). Plain runs the plain statement.
std::optional<StatTable> loadStatistics(StatSeries series, const StatRequest &request,
                                        const QSqlDatabase &db, QString *error = nullptr,
                                        StatSource source = StatSource::Best);

Q_DECLARE_METATYPE(StatTable)
Q_DECLARE_METATYPE(StatRequest)
Q_DECLARE_METATYPE(StatSeries)
Q_DECLARE_METATYPE(StatPeople)
Q_DECLARE_METATYPE(StatBucket)
