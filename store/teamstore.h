#pragma once

#include <QSqlQueryModel>
#include <QString>

class QObject;

// Yearly plans and earnings reports of team members (helpers with user_type 2).
// The lists join helpers, so rows of a deleted member are not listed.

QSqlQueryModel *loadTeammateTasksModel(QObject *parent, const QString &filter);
bool teammateTaskExists(int helperId, int year);
bool addTeammateTask(int helperId, int year, qint64 beginDate, qint64 money, int helperCount);

QSqlQueryModel *loadEarningReportsModel(QObject *parent);
bool addEarningReport(int helperId, qint64 reportTime, qint64 money, int helperCount,
                      const QString &memo);

// One row: summed money and recruits (NULL when nothing was reported).
// The model has no parent; the caller deletes it.
QSqlQueryModel *loadEarningSumModel(int helperId, const QString &filter);
QSqlQueryModel *loadEarningSumModelForPeriod(int helperId, qint64 from, qint64 to);
