#pragma once

#include <QSqlDatabase>
#include <QString>

// The one data file, in the working directory.
inline constexpr char databaseFileName[] = "mwdb.dat";

inline QString defaultConnectionName()
{
    return QLatin1String(QSqlDatabase::defaultConnection);
}

bool openDatabase();
// Opens the file, refuses one that cannot be written, switches it to
// write-ahead logging and creates what is missing.
bool initDatabase();
// True when the last initDatabase failed because the file is damaged (not a
// database, or failing SQLite's quick check), so a snapshot may replace it.
bool databaseFileDamaged();
// Creates every missing table (and seeds the phone scripts of a new file) in
// one write-locking transaction on the open connection.
bool prepareSchema(QSqlDatabase &db);
// The data file's full path, as the start-up boxes name it.
QString databaseFilePath(const QSqlDatabase &db);
// True for mwdb.dat and its journal, log and index files, also under another
// name (compared by file identity). Nothing but SQLite may open them: closing
// any other descriptor of the file drops the process's locks on it.
bool isDatabaseFile(const QString &path);
void closeDatabase();

// A further connection to the same file, for a thread of its own (a connection
// belongs to the thread that opened it). Reports failures like openDatabase.
QSqlDatabase openDatabaseConnection(const QString &connectionName);
void removeDatabaseConnection(const QString &connectionName);

// The SQLite handle behind a connection (null when it is not open).
struct sqlite3;
sqlite3 *sqliteHandle(const QSqlDatabase &db);

// SQL functions every connection offers; decode_name(text) turns a stored
// Base64 name back into its readable form.
bool registerSqlFunctions(QSqlDatabase &db);

bool beginTransaction(const QString &connectionName = defaultConnectionName());
bool commitTransaction(const QString &connectionName = defaultConnectionName());
bool rollbackTransaction(const QString &connectionName = defaultConnectionName());
qint64 lastInsertId(const QString &connectionName = defaultConnectionName());

bool createCustomersTable(QSqlDatabase &db);
bool createKinsfolkTable(QSqlDatabase &db);
bool createProductsTable(QSqlDatabase &db);
bool createOrdersTable(QSqlDatabase &db);
bool createCustomerTelLogsTable(QSqlDatabase &db);
bool createCustomerContactTrackTable(QSqlDatabase &db);
bool createHelpersTable(QSqlDatabase &db);
bool createHelperTelLogsTable(QSqlDatabase &db);
bool createHelperContactTrackTable(QSqlDatabase &db);
bool createPhoneSkillsTable(QSqlDatabase &db);
bool createTeammateTaskTable(QSqlDatabase &db);
bool createEarningReportTable(QSqlDatabase &db);
bool createAccountTable(QSqlDatabase &db);
void seedPhoneSkills();

// Indexes on the columns the every-second reminder counts and the lists filter on.
bool createQueryIndexes(QSqlDatabase &db);
