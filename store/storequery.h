#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>

class QAbstractItemModel;
class QSqlQueryModel;
class QSqlTableModel;
class QObject;

// Shared plumbing of the store functions; not for the dialogs.
namespace StoreQuery {

// Prepares the statement, binds the values in order and runs it. On failure
// reports the database's error text under the title (unless the title is
// empty) and returns false; the error text also goes to errorText when given.
bool execPrepared(const QString &statement, const QVariantList &values, const QString &title,
                  const QSqlDatabase &db = QSqlDatabase(), QString *errorText = nullptr);

// The first column of the first row of a prepared statement with the values
// bound in order; an invalid value when there is no row or it fails.
QVariant preparedValue(const QString &statement, const QVariantList &values);

// Runs the writes of one user action in one transaction: committed when they
// all succeed, rolled back otherwise, so the action happens whole or not at
// all. The writes report their own failures; a transaction that cannot begin
// or commit is reported under the title.
bool runInTransaction(const std::function<bool()> &writes, const QString &title);

// The number of distinct ids among the rows of the table matching the
// condition: one cheap aggregate instead of fetching one row per id.
int countDistinct(const QString &table, const QString &idColumn, const QString &condition,
                  const QSqlDatabase &db = QSqlDatabase());

// The number of rows the statement yields: a list's number counted by the
// list's own statement, so the two cannot disagree. 0 on failure.
int countRowsOf(const QString &statement, const QSqlDatabase &db = QSqlDatabase());

// Sets the texts as horizontal headers of columns 0, 1, 2, ...
void setHeaders(QAbstractItemModel *model, const QStringList &headers);

// A table model with the given parent on the default connection, filtered
// when the filter is not empty, with headers, selected.
QSqlTableModel *loadTableModel(QObject *parent, const QString &table, const QString &filter,
                               const QStringList &headers);

// Runs the statement in the model; a failure goes to the debug output.
void runQuery(QSqlQueryModel *model, const QString &statement);

// " AND <filter>" for a non-empty filter, else nothing.
QString andFilter(const QString &filter);

// "<column> >= from AND <column> <= to": a closed period.
QString periodCondition(const QString &column, qint64 from, qint64 to);

// " AND <column> = value" when the value is not 0 (0 means any), else nothing.
QString optionalEquals(const QString &column, int value);

// "ID", "姓名", ...: the eleven headers of every prospect and recruit list.
QStringList personHeaders();
// The seven headers of the contact-log lists of prospects and recruits.
QStringList telLogHeaders();

} // namespace StoreQuery
