#pragma once

#include <QSqlQueryModel>
#include <QString>

class QObject;

// Yearly plans and earnings reports of team members (helpers with user_type 2).
// The lists join helpers, so rows of a deleted member are not listed.

QSqlQueryModel *loadTeammateTasksModel(QObject *parent, const QString &filter);
bool teammateTaskExists(int helperId, int year);
bool addTeammateTask(int helperId, int year, qint64 beginDate, qint64 money, int helperCount);
// Changes a plan, unless the member has another one for that year; deletes
// one unless the member reported earnings in its year. The checks run inside
// the write's transaction; a refusal is said and changes nothing.
bool updateTeammateTask(int id, int helperId, int year, qint64 beginDate, qint64 money,
                        int helperCount);
bool deleteTeammateTask(int id);

QSqlQueryModel *loadEarningReportsModel(QObject *parent);
bool addEarningReport(int helperId, qint64 reportTime, qint64 money, int helperCount,
                      const QString &memo);
bool updateEarningReport(int id, int helperId, qint64 reportTime, qint64 money, int helperCount,
                         const QString &memo);
bool deleteEarningReport(int id);

// One row: summed money and recruits (NULL when nothing was reported).
// The model has no parent; the caller deletes it.
QSqlQueryModel *loadEarningSumModel(int helperId, const QString &filter);
QSqlQueryModel *loadEarningSumModelForPeriod(int helperId, qint64 from, qint64 to);
