#pragma once

#include <QSqlDatabase>
#include <QString>

#include <atomic>

// The one data file, in the working directory.
inline constexpr char databaseFileName[] = "mwdb.dat";

inline QString defaultConnectionName()
{
    return QLatin1String(QSqlDatabase::defaultConnection);
}

// Marks this program's data files (PRAGMA application_id), 'CLdg'.
inline constexpr int databaseApplicationId = 0x434C6467;

bool openDatabase();
// How much of the file initDatabase reads before the program uses it.
enum class FileCheck
{
    // The whole file only when the last run did not end cleanly (the marker
    // below was left behind); otherwise the caller may check it later.
    WhenUnclean,
    Always,
    // As WhenUnclean, for a command-line run: the marker belongs to the
    // window, which may be running on the same file, so the run neither
    // writes nor removes it.
    WhenUncleanForScript,
};
// Opens the file, refuses a foreign one or one that cannot be written,
// switches it to write-ahead logging and creates what is missing.
bool initDatabase(FileCheck check = FileCheck::WhenUnclean);
// For reading only (exports): opens an existing file of this program
// read-only; nothing is created, marked or converted.
bool openDatabaseForReading();
// True when the last initDatabase failed because the file is damaged (not a
// database, or failing SQLite's quick check), so a snapshot may replace it.
// A busy, locked, unreadable or foreign file is not damaged.
bool databaseFileDamaged();
// True when the last successful initDatabase skipped the whole-file check.
bool databaseCheckDeferred();
// Beside mwdb.dat while initDatabase's connection is open; closeDatabase
// removes it. One found at start-up means the last run ended abruptly.
QString runningMarkerPath();
// Leaves the marker at closeDatabase, so the next start checks the whole file.
void checkWholeFileAtNextStart();
// SQLite's quick check of the whole file, from a connection of its own
// (read-only, no box); "ok", or what is wrong. *damage is true only for a
// verdict other than "ok" or a corrupt or non-database file, never for a
// busy, locked or unreadable one. *stop, when set, interrupts the check.
QString quickCheckFile(const QString &path, bool *damage, const std::atomic_bool *stop = nullptr);
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
