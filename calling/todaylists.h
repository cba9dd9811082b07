#pragma once

#include <QSqlDatabase>
#include <QString>

// The arithmetic and row conditions of today's first-call lists, apart from
// the dialogs so that they read like the rules they follow.

// How many never-contacted people the list may still offer today: the daily
// quota plus what the agent appended, minus today's first contacts, never
// below zero.
int firstCallQuota(int dailyQuota, int extraCount, int doneToday);

// Never-contacted active prospects, narrowed to addresses containing the
// region (as a quoted LIKE pattern, never pasted as SQL), at most quota rows.
QString firstCallCustomersFilter(const QString &region, int quota);

// Never-contacted active recruits, at most quota rows; no region.
QString firstCallHelpersFilter(int quota);

// Today's first-call list as it opens now with extraCount appended: the quota
// left (the settings less today's first contacts) and the filter that loads
// it, the region of the settings included.
struct FirstCallList
{
    int quota = 0;
    QString filter;
};
FirstCallList todayFirstCallCustomers(int extraCount);
FirstCallList todayFirstCallHelpers(int extraCount);

// The people the list holds when it opens now, counted through its own
// filter: the quota left, at most the never-contacted active people there
// are. The board shows these, so it never promises calls the list lacks.
int countTodayFirstCallCustomers();
int countTodayFirstCallHelpers();

// Everything the board and today's pace show, counted at once (on any
// connection: a worker counts them while the side tables are being built).
struct BoardRequest
{
    qint64 from = 0;
    qint64 to = 0;
    int customersQuota = 0;
    int helpersQuota = 0;
    QString region;
};
// Today's, with the quotas and region of the settings.
BoardRequest todayBoardRequest();

struct BoardCounts
{
    // The numbers of the board, each the rows of the list its link opens.
    int firstCallCustomers = 0;
    int phoneCustomers = 0;
    int visitCustomers = 0;
    int firstCallHelpers = 0;
    int phoneHelpers = 0;
    int visitHelpers = 0;
    int contactedCustomers = 0;
    // Today's pace: first calls made and talk time.
    int firstCalledCustomers = 0;
    int firstCalledHelpers = 0;
    qint64 talkCustomers = 0;
    qint64 talkHelpers = 0;
};
BoardCounts countBoard(const BoardRequest &request, const QSqlDatabase &db = QSqlDatabase());

// How many people one press of the append button adds to today's quota.
constexpr int appendStep = 5;
