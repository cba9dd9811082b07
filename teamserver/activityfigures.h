#pragma once

#include <QDate>
#include <QMap>
#include <QString>

#include <array>

class QSqlDatabase;

// The figures of one day that leave the agent's machine: counts and sums
// only, never a name or a number.
enum ActivityField
{
    ProspectFirstCalls,
    ProspectLaterCalls,
    ProspectVisits,
    RecruitFirstCalls,
    RecruitLaterCalls,
    RecruitVisits,
    NewCustomers,
    Orders,
    OrderMoney,
    TalkSeconds,
    ActivityFieldCount
};

using ActivityValues = std::array<qint64, ActivityFieldCount>;

// The server's column of a field (fixed names, never user text).
QString activityColumn(int field);
// The short heading the windows show for it.
QString activityLabel(int field);
// A value as the windows show it (talk time as h:mm:ss).
QString activityText(int field, qint64 value);

// Each day of [from, to] (every day present, zero when nothing happened),
// read from the data file through the given connection in one read
// transaction, so the figures belong to one state of the file. Calls count
// people as the reminder board does: first and later calls are the contact
// tracks of state 1 and 2, visits the contact logs of way 2; a new customer
// is a prospect whose first order falls on that day; talk time is what the
// call tools recorded in contact_durations.
bool computeActivity(QSqlDatabase &db, const QDate &from, const QDate &to,
                     QMap<QDate, ActivityValues> *days, QString *error);
