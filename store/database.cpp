#include "database.h"

#include "common/messagehook.h"
#include "common/safefile.h"
#include "store/callrecords.h"
#include "store/catalogstore.h"
#include "store/nameencoding.h"
#include "store/phonekeys.h"
#include "store/phonerecords.h"
#include "store/sidetables.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QStringList>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString databaseErrorTitle = QStringLiteral("数据库错误");
const QString createErrorTitle = QStringLiteral("创建表错误");
const QString busyText =
    QStringLiteral("数据库文件正被另一个程序使用 (已锁定)，请关闭那个程序后再启动。\n");
const QString damagedText = QStringLiteral("数据库文件已损坏: ");
bool damaged = false;
bool checkDeferred = false;
// The running marker this process put there (or took over from a run that
// ended abruptly); empty when there is none to remove at closeDatabase.
QString ownedMarker;

enum class Trouble
{
    Busy,
    Damaged,
    Other
};

// Only a file SQLite calls corrupt or no database is damaged; a lock held by
// another program or an I/O error says nothing about the file's contents.
Trouble troubleOf(int sqliteCode)
{
    switch (sqliteCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Trouble::Busy;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return Trouble::Damaged;
    default:
        return Trouble::Other;
    }
}

Trouble troubleOf(const QSqlError &error)
{
    return troubleOf(error.nativeErrorCode().toInt());
}

QString explain(Trouble trouble, const QString &error)
{
    switch (trouble) {
    case Trouble::Busy:
        return busyText + error;
    case Trouble::Damaged:
        return damagedText + error;
    case Trouble::Other:
        break;
    }
    return error;
}

// The file holds customers' personal data and the web account: only its owner
// may read it. SQLite gives its write-ahead log and shared-memory files the
// same permissions as the file itself.
void createPrivateFile(const QString &path)
{
    if (QFileInfo::exists(path))
        return;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// Start-up boxes name the file, so the agent knows which one is meant even
// when the program was started from an unexpected folder.
void reportDatabaseProblem(const QSqlDatabase &db, const QString &error, const QString &title)
{
    reportWarning(databaseFilePath(db) + QLatin1Char('\n') + error, title);
}

// Opening is lazy in SQLite; read the schema once so that a file that is no
// database is refused here, before anything tries to write to it.
bool verifyReadable(QSqlDatabase &db, QString *error, Trouble *trouble)
{
    QSqlQuery probe(db);
    if (probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        return true;
    *trouble = troubleOf(probe.lastError());
    *error = explain(*trouble, probe.lastError().text());
    return false;
}

// A file or folder the agent cannot write to would open fine and lose the
// first thing typed. SQLite falls back to read-only silently, and a folder
// that refuses the journal only shows at the first write: try one, and take
// it back.
bool verifyWritable(QSqlDatabase &db, QString *error)
{
    const QString permissions =
        QStringLiteral("无法写入数据库文件，请检查文件和所在文件夹的写入权限。\n");
    sqlite3 *handle = sqliteHandle(db);
    if (handle && sqlite3_db_readonly(handle, "main") == 1) {
        *error = permissions + QStringLiteral("文件只能读取，不能写入。");
        return false;
    }
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        const Trouble trouble = troubleOf(probe.lastError());
        *error = (trouble == Trouble::Busy ? busyText : permissions) + probe.lastError().text();
        return false;
    }
    const bool written =
        probe.exec(QStringLiteral("CREATE TABLE callledger_write_probe(probe INTEGER)"));
    if (!written)
        *error = permissions + probe.lastError().text();
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    return written;
}

// Write-ahead logging lets the list writer commit while a list on the GUI
// connection still reads; the mode is kept in the file once set.
void useWriteAheadLog(QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.next() ||
        query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        qDebug() << "journal_mode: write-ahead log not available" << query.lastError().text();
}

// SQLite gives -wal and -shm the data file's mode; they hold the same
// personal data, so they are owner-only whatever mode the file itself has.
void tightenSideFiles(const QString &file)
{
    for (const char *suffix : {"-wal", "-shm"}) {
        const QByteArray path = QFile::encodeName(file + QLatin1String(suffix));
        struct stat info;
        if (::lstat(path.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::getuid() && (info.st_mode & 077) != 0)
            ::chmod(path.constData(), info.st_mode & 0700);
    }
}

// A file is this program's when it carries the mark, or carries none and
// holds no table yet (new) or the program's own tables (written before
// files were marked). Anything else named mwdb.dat is left as it is.
bool isOurFile(QSqlDatabase &db, QString *error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA application_id")) || !query.next()) {
        *error = explain(troubleOf(query.lastError()), query.lastError().text());
        return false;
    }
    const int mark = query.value(0).toInt();
    if (mark == databaseApplicationId)
        return true;
    if (mark == 0 &&
        query.exec(
            QStringLiteral("SELECT count(*), count(CASE WHEN type = 'table' AND name IN "
                           "('customers', 'customers_tel_logs') THEN 1 END) FROM sqlite_master")) &&
        query.next() && (query.value(0).toInt() == 0 || query.value(1).toInt() == 2))
        return true;
    *error = QStringLiteral("这个文件不是本程序的数据文件，程序没有改动它。\n"
                            "请把它移走或换一个文件夹，再启动程序。");
    return false;
}

bool openConnection(QSqlDatabase &db, bool create = true)
{
    // No export, whatever way its name leads, may write over this file.
    SafeFileWriter::guardDataFile(db.databaseName());
    if (create)
        createPrivateFile(db.databaseName());
    QString error;
    if (!db.open()) {
        reportDatabaseProblem(db, db.lastError().text(), databaseErrorTitle);
        return false;
    }
    Trouble trouble = Trouble::Other;
    if (!verifyReadable(db, &error, &trouble)) {
        db.close();
        damaged = trouble == Trouble::Damaged;
        reportDatabaseProblem(db, error, databaseErrorTitle);
        return false;
    }
    // Each connection decides its own durability: a committed contact
    // survives a power cut.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=FULL"));
    // Room for the indexes the everyday lists seek in (SQLite's 2 MiB make
    // every seek on a large file a read from the system); it only grows as
    // pages are read.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA cache_size=-32768"));
    registerSqlFunctions(db);
    tightenSideFiles(db.databaseName());
    return true;
}

void decodeNameFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int size = sqlite3_value_bytes(argv[0]);
    const QByteArray decoded = QByteArray::fromBase64(QByteArray(text, size));
    sqlite3_result_text(context, decoded.constData(), int(decoded.size()), SQLITE_TRANSIENT);
}

bool createTable(QSqlDatabase &db, const QString &table, const QString &columns)
{
    if (!db.isOpen())
        return false;
    if (db.tables(QSql::Tables).contains(table, Qt::CaseSensitive))
        return true;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("create table ") + table + QStringLiteral(" (") + columns +
                    QLatin1Char(')'))) {
        reportDatabaseProblem(db, query.lastError().text(), createErrorTitle);
        return false;
    }
    return true;
}

QSqlDatabase connection(const QString &name)
{
    return QSqlDatabase::database(name, false);
}
} // namespace

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

QString databaseFilePath(const QSqlDatabase &db)
{
    return QDir::toNativeSeparators(QFileInfo(db.databaseName()).absoluteFilePath());
}

bool isDatabaseFile(const QString &path)
{
    struct stat chosen;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &chosen) != 0)
        return false;
    const QString data = QDir::current().absoluteFilePath(QLatin1String(databaseFileName));
    for (const char *suffix : {"", "-wal", "-shm", "-journal"}) {
        struct stat own;
        if (::stat(QFile::encodeName(data + QLatin1String(suffix)).constData(), &own) == 0 &&
            own.st_dev == chosen.st_dev && own.st_ino == chosen.st_ino)
            return true;
    }
    return false;
}

bool registerSqlFunctions(QSqlDatabase &db)
{
    sqlite3 *sqlite = sqliteHandle(db);
    if (!sqlite)
        return false;
    return sqlite3_create_function_v2(sqlite, "decode_name", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                      nullptr, decodeNameFunction, nullptr, nullptr,
                                      nullptr) == SQLITE_OK;
}

bool openDatabase()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(QString::fromLatin1(databaseFileName));
    return openConnection(db);
}

QSqlDatabase openDatabaseConnection(const QString &connectionName)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(QString::fromLatin1(databaseFileName));
    openConnection(db);
    return db;
}

void removeDatabaseConnection(const QString &connectionName)
{
    {
        QSqlDatabase db = connection(connectionName);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

QString runningMarkerPath()
{
    return QFileInfo(QString::fromLatin1(databaseFileName)).absoluteFilePath() +
           QStringLiteral(".running");
}

void checkWholeFileAtNextStart()
{
    ownedMarker.clear();
}

namespace {
int stopRequested(void *stop)
{
    return static_cast<const std::atomic_bool *>(stop)->load() ? 1 : 0;
}
} // namespace

QString quickCheckFile(const QString &path, bool *damage, const std::atomic_bool *stop)
{
    *damage = false;
    sqlite3 *db = nullptr;
    QString verdict;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        verdict = QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return verdict;
    }
    sqlite3_busy_timeout(db, 5000);
    if (stop)
        sqlite3_progress_handler(db, 1000, stopRequested,
                                 const_cast<void *>(static_cast<const void *>(stop)));
    sqlite3_stmt *statement = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &statement, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        verdict =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
        *damage = verdict != QLatin1String("ok");
    } else {
        verdict = QString::fromUtf8(sqlite3_errmsg(db));
        *damage = troubleOf(rc) == Trouble::Damaged;
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return verdict;
}

namespace {
// SQLite notices most damage only where it reads; the quick check reads
// every page once, so a damaged file is caught before the agent works on it.
bool passesQuickCheck(QSqlDatabase &db, QString *error)
{
    QSqlQuery check(db);
    if (!check.exec(QStringLiteral("PRAGMA quick_check")) || !check.next()) {
        const Trouble trouble = troubleOf(check.lastError());
        damaged = trouble == Trouble::Damaged;
        *error = explain(trouble, check.lastError().text());
        return false;
    }
    if (check.value(0).toString() == QLatin1String("ok"))
        return true;
    damaged = true;
    *error = damagedText + check.value(0).toString();
    return false;
}

// Refuses, with a box naming the file, what is not this program's file.
bool refuseForeignFile(QSqlDatabase &db)
{
    QString error;
    if (isOurFile(db, &error))
        return false;
    db.close();
    reportDatabaseProblem(db, error, databaseErrorTitle);
    return true;
}
} // namespace

bool initDatabase(FileCheck check)
{
    damaged = false;
    checkDeferred = false;
    const QFileInfo marker(runningMarkerPath());
    const bool uncleanEnd = marker.exists() || marker.isSymLink();
    if (!openDatabase())
        return false;
    QSqlDatabase db = QSqlDatabase::database();
    if (refuseForeignFile(db))
        return false;
    QString error;
    // The whole file is read only when there is a reason to doubt it: on a
    // large file it costs many times the rest of the start-up.
    if (check == FileCheck::Always || uncleanEnd) {
        if (!passesQuickCheck(db, &error)) {
            db.close();
            reportDatabaseProblem(db, error, databaseErrorTitle);
            return false;
        }
    } else {
        checkDeferred = true;
    }
    if (!verifyWritable(db, &error)) {
        db.close();
        reportDatabaseProblem(db, error, databaseErrorTitle);
        return false;
    }
    useWriteAheadLog(db);
    tightenSideFiles(db.databaseName());
    if (!prepareSchema(db))
        return false;
    if (check == FileCheck::WhenUncleanForScript) {
        ownedMarker.clear();
        return true;
    }
    if (!uncleanEnd) {
        QFile file(marker.filePath());
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    ownedMarker = marker.absoluteFilePath();
    return true;
}

bool openDatabaseForReading()
{
    damaged = false;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(QString::fromLatin1(databaseFileName));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    return openConnection(db, false) && !refuseForeignFile(db);
}

bool databaseFileDamaged()
{
    return damaged;
}

bool databaseCheckDeferred()
{
    return checkDeferred;
}

bool prepareSchema(QSqlDatabase &db)
{
    // One write-locking transaction: a second program starting at the same
    // moment waits and then finds every table, and a start killed halfway
    // leaves either no new table or all of them with their default scripts.
    QSqlQuery lock(db);
    if (!lock.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        reportDatabaseProblem(db, lock.lastError().text(), databaseErrorTitle);
        return false;
    }
    using Create = bool (*)(QSqlDatabase &);
    const Create creators[] = {
        createCustomersTable,   createKinsfolkTable,        createProductsTable,
        createOrdersTable,      createCustomerTelLogsTable, createCustomerContactTrackTable,
        createHelpersTable,     createHelperTelLogsTable,   createHelperContactTrackTable,
        createPhoneSkillsTable, createTeammateTaskTable,    createEarningReportTable,
        createAccountTable,
    };
    for (Create create : creators) {
        if (!create(db)) {
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            return false;
        }
    }
    // Missing indexes only slow the reminder board down; start-up goes on.
    createQueryIndexes(db);
    // Without the side table only the duplicate warning is lost; start-up goes on.
    preparePhoneKeys(db);
    // Without them talk time and outcomes are not kept; start-up goes on.
    prepareCallRecords(db);
    // Without them the built-in telephone keeps no recordings or missed calls.
    preparePhoneRecords(db);
    // Without them everything reads the plain statements; start-up goes on.
    prepareSideTables(db);
    // Marks the file as this program's, new or written before files were marked.
    if (lock.exec(QStringLiteral("PRAGMA application_id")) && lock.next() &&
        lock.value(0).toInt() != databaseApplicationId)
        lock.exec(QStringLiteral("PRAGMA application_id=%1").arg(databaseApplicationId));
    if (!lock.exec(QStringLiteral("COMMIT"))) {
        reportDatabaseProblem(db, lock.lastError().text(), databaseErrorTitle);
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

void closeDatabase()
{
    QSqlDatabase db = connection(defaultConnectionName());
    if (db.isValid() && db.isOpen() && !ownedMarker.isEmpty())
        QFile::remove(ownedMarker);
    ownedMarker.clear();
    if (db.isValid())
        db.close();
}

bool beginTransaction(const QString &connectionName)
{
    return connection(connectionName).transaction();
}

bool commitTransaction(const QString &connectionName)
{
    return connection(connectionName).commit();
}

bool rollbackTransaction(const QString &connectionName)
{
    return connection(connectionName).rollback();
}

qint64 lastInsertId(const QString &connectionName)
{
    QSqlQueryModel model;
    model.setQuery(QStringLiteral("SELECT last_insert_rowid()"), connection(connectionName));
    const qint64 id = model.rowCount() > 0 ? model.data(model.index(0, 0)).toLongLong() : -1;
    qDebug() << "autoId:" << id;
    return id;
}

bool createCustomersTable(QSqlDatabase &db)
{
    return createTable(db, QStringLiteral("customers"),
                       QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL, "
                                      "sex INTEGER NOT NULL, birth_date TEXT NOT NULL, "
                                      "phone_number TEXT NOT NULL, home_address TEXT, "
                                      "home_tel TEXT, company_name TEXT, office TEXT, "
                                      "is_contact INTEGER NOT NULL, user_type INTEGER NOT NULL, "
                                      "server_customer_id INTEGER"));
}

bool createKinsfolkTable(QSqlDatabase &db)
{
    return createTable(db, QStringLiteral("customer_kinsfolk"),
                       QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                      "customer_id INTEGER NOT NULL, "
                                      "relation nvarchar(50) NOT NULL, name nvarchar(50) NOT NULL, "
                                      "sex int NOT NULL, birth_date nvarchar(20) NOT NULL, "
                                      "phone_number nvarchar(20), company_name nvarchar(50), "
                                      "office nvarchar(20)"));
}

bool createProductsTable(QSqlDatabase &db)
{
    return createTable(db, QStringLiteral("products"),
                       QStringLiteral("id nvarchar(50) PRIMARY KEY, name nvarchar(50) NOT NULL, "
                                      "introduce nvarchar(500) NOT NULL"));
}

bool createOrdersTable(QSqlDatabase &db)
{
    return createTable(db, QStringLiteral("customers_orders"),
                       QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                      "customer_id INTEGER NOT NULL, add_time INTEGER NOT NULL, "
                                      "product_id nvarchar(50) NOT NULL, "
                                      "amount INTEGER NOT NULL, money INTEGER NOT NULL, "
                                      "memo NVARCHAR(100)"));
}

bool createCustomerTelLogsTable(QSqlDatabase &db)
{
    return createTable(db, QStringLiteral("customers_tel_logs"),
                       QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                      "customer_id INTEGER NOT NULL, add_time INTEGER NOT NULL, "
                                      "contact_type INTEGER NOT NULL, "
                                      "content nvarchar(500) NOT NULL, "
                                      "next_contact_time INTEGER NOT NULL, "
                                      "next_contact_type INTEGER NOT NULL"));
}

bool createCustomerContactTrackTable(QSqlDatabase &db)
{
    return createTable(db, QStringLiteral("customers_contact_track"),
                       QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                      "customer_id INTEGER NOT NULL, "
                                      "contact_time INTEGER NOT NULL, "
                                      "contact_state INTEGER NOT NULL"));
}

bool createHelpersTable(QSqlDatabase &db)
{
    return createTable(db, QStringLiteral("helpers"),
                       QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                      "name nvarchar(50) NOT NULL, sex int NOT NULL, "
                                      "birth_date nvarchar(20) NOT NULL, "
                                      "phone_number nvarchar(20) NOT NULL, "
                                      "home_address nvarchar(100), home_tel nvarchar(20), "
                                      "company_name nvarchar(50), office nvarchar(20), "
                                      "is_contact int NOT NULL, user_type int NOT NULL"));
}

bool createHelperTelLogsTable(QSqlDatabase &db)
{
    return createTable(db, QStringLiteral("helpers_tel_logs"),
                       QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                      "helper_id INTEGER NOT NULL, add_time INTEGER NOT NULL, "
                                      "contact_type INTEGER NOT NULL, "
                                      "content nvarchar(500) NOT NULL, "
                                      "next_contact_time INTEGER NOT NULL, "
                                      "next_contact_type INTEGER NOT NULL"));
}

bool createHelperContactTrackTable(QSqlDatabase &db)
{
    return createTable(db, QStringLiteral("helpers_contact_track"),
                       QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                      "helper_id INTEGER NOT NULL, "
                                      "contact_time INTEGER NOT NULL, "
                                      "contact_state INTEGER NOT NULL"));
}

bool createPhoneSkillsTable(QSqlDatabase &db)
{
    const bool existed =
        db.isOpen() && db.tables(QSql::Tables).contains(QStringLiteral("phoneskills"));
    if (!createTable(db, QStringLiteral("phoneskills"),
                     QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                    "type INTEGER NOT NULL, category nvarchar(100) NOT NULL, "
                                    "content TEXT NOT NULL")))
        return false;
    // Only a freshly created table is seeded: scripts the user deleted stay deleted.
    if (!existed)
        seedPhoneSkills();
    return true;
}

bool createTeammateTaskTable(QSqlDatabase &db)
{
    return createTable(db, QStringLiteral("teammate_task"),
                       QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                      "helper_id INTEGER NOT NULL, year INTEGER NOT NULL, "
                                      "begin_date INTEGER NOT NULL, money INTEGER NOT NULL, "
                                      "helper_count INTEGER NOT NULL"));
}

bool createEarningReportTable(QSqlDatabase &db)
{
    return createTable(db, QStringLiteral("teammate_earning_report"),
                       QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                      "helper_id INTEGER NOT NULL, report_time INTEGER NOT NULL, "
                                      "money INTEGER NOT NULL, helper_count INTEGER NOT NULL, "
                                      "memo NVARCHAR(50)"));
}

bool createAccountTable(QSqlDatabase &db)
{
    return createTable(db, QStringLiteral("account"),
                       QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                      "userName nvarchar(50) NOT NULL, "
                                      "password nvarchar(20) NOT NULL"));
}

void seedPhoneSkills()
{
    struct Seed
    {
        const char *category;
        const char *content;
    };
    static const Seed seeds[] = {
        {"你要约是不是叫我买保险？",
         "X先生，您放心，我们是朋友，我不会让您有任何压力。我只是想把一项很有价值的服务带给您，"
         "您看是明天下午还是后天下午方便，我过去拜访您？"},
        {"你把资料寄给我，我看看再和你联系。",
         "X先生，我们的服务是为每个家庭量身定做的，资料很难说清楚。当面给您讲解更节省您的时间，"
         "只需要30分钟。您看明天下午还是后天下午比较方便？"},
        {"我不需要，也没有兴趣。",
         "X先生，很多朋友一开始也是这么说的，见面聊过之后都觉得对自己很有帮助。只占用您30分钟，"
         "您看明天下午还是后天下午方便？"},
        {"我没钱买保险。",
         "X先生，我今天不是要您买什么。做完家庭财务需求分析以后，是否对您有帮助由您自己决定。"
         "只需要30分钟，明天下午还是后天下午方便？"},
        {"你要谈什么？",
         "X先生，我最近刚为您的朋友XXX做了家庭财务需求分析，他觉得很有帮助，建议我也来拜访您。"
         "您看明天下午还是后天下午方便？"},
        {"你是要谈保险吗？",
         "X先生，我想和您谈的是家庭财务需求分析。今天只是约个时间见面，至于保险是不是适合您的"
         "解决办法，完全由您来决定。您看明天下午还是后天下午方便？"},
        {"什么是家庭财务需求分析？",
         "X先生，简单地说，就是提前分析您家庭的财务状况和现有保障，做好规划，让任何意外都不会"
         "给家庭带来太大的打击。详细情况见面再谈，明天下午还是后天下午方便？"},
        {"我已经买了很多保险了！",
         "X先生，恭喜您已经有了这么完善的保障！家庭财务需求分析可以帮您检查现有的保单是否还"
         "符合您现在的需要。您看明天下午还是后天下午方便？"},
        {"我有朋友在做保险。",
         "X先生，多一个朋友、多一份资讯对您并没有任何损失，还可以多一个参考。您看明天下午还是"
         "后天下午方便，我过去拜访您？"},
        {"保险的事情是我太太决定的。",
         "X先生，这说明您很爱家人，也很尊重太太。那我晚上拜访你们两位好吗？或者我先和您太太"
         "约个时间，请问她的电话是多少？"},
        {"客户出现持续性问题",
         "X先生，我向您做两个承诺：第一次见面绝不向您推销任何产品；只有得到您的同意，我们才会"
         "有第二次见面。您看明天下午还是后天下午方便？"},
        {"我没时间，我很忙！",
         "X先生，正因为您忙，我才先打电话和您预约时间。那我两周以后再给您打电话好吗？"},
        {"我在（要）开会",
         "X先生，看来今天不太方便打扰您，那我一周以后再给您打电话好吗？祝您会议顺利！"},
        {"我要出差",
         "X先生，那等您出差回来我再和您联系好吗？请问这次出差大概需要几天？祝您一路顺利！"},
    };
    // Each insert reports its own failure; the remaining scripts are still added.
    for (const Seed &seed : seeds)
        addPhoneSkill(1, QString::fromUtf8(seed.category), QString::fromUtf8(seed.content));
}

bool createQueryIndexes(QSqlDatabase &db)
{
    static const char *const statements[] = {
        "CREATE INDEX IF NOT EXISTS idx_customers_tel_logs_add "
        "ON customers_tel_logs(add_time, contact_type, customer_id)",
        "CREATE INDEX IF NOT EXISTS idx_customers_tel_logs_next "
        "ON customers_tel_logs(next_contact_time, next_contact_type, customer_id)",
        "CREATE INDEX IF NOT EXISTS idx_customers_contact_track_time "
        "ON customers_contact_track(contact_time, contact_state, customer_id)",
        "CREATE INDEX IF NOT EXISTS idx_helpers_tel_logs_add "
        "ON helpers_tel_logs(add_time, contact_type, helper_id)",
        "CREATE INDEX IF NOT EXISTS idx_helpers_tel_logs_next "
        "ON helpers_tel_logs(next_contact_time, next_contact_type, helper_id)",
        "CREATE INDEX IF NOT EXISTS idx_helpers_contact_track_time "
        "ON helpers_contact_track(contact_time, contact_state, helper_id)",
        "CREATE INDEX IF NOT EXISTS idx_customers_user_type ON customers(user_type)",
        // The call dialogs load one person's history and relatives on every row change.
        "CREATE INDEX IF NOT EXISTS idx_customers_tel_logs_customer "
        "ON customers_tel_logs(customer_id)",
        "CREATE INDEX IF NOT EXISTS idx_helpers_tel_logs_helper ON helpers_tel_logs(helper_id)",
        "CREATE INDEX IF NOT EXISTS idx_customer_kinsfolk_customer "
        "ON customer_kinsfolk(customer_id)",
        "CREATE INDEX IF NOT EXISTS idx_helpers_user_type ON helpers(user_type)",
        // The recruit calendar walks the active recruits (through the index
        // above) and needs each one's logs in the range without a scan.
        "CREATE INDEX IF NOT EXISTS idx_helpers_tel_logs_helper_next "
        "ON helpers_tel_logs(helper_id, next_contact_time)",
        // The work statistics: what became of the people first called in a
        // period, and orders by time. Partial, so that no list whose rows
        // come in the order of the index it reads changes its order.
        "CREATE INDEX IF NOT EXISTS idx_customers_contact_track_later "
        "ON customers_contact_track(customer_id) WHERE contact_state = 2",
        "CREATE INDEX IF NOT EXISTS idx_helpers_contact_track_later "
        "ON helpers_contact_track(helper_id) WHERE contact_state = 2",
        "CREATE INDEX IF NOT EXISTS idx_customers_tel_logs_visits "
        "ON customers_tel_logs(customer_id) WHERE contact_type = 2",
        "CREATE INDEX IF NOT EXISTS idx_helpers_tel_logs_visits "
        "ON helpers_tel_logs(helper_id) WHERE contact_type = 2",
        "CREATE INDEX IF NOT EXISTS idx_customers_orders_statistics "
        "ON customers_orders(add_time, product_id, money) WHERE money IS NOT NULL",
        "CREATE INDEX IF NOT EXISTS idx_teammate_earning_report_time "
        "ON teammate_earning_report(report_time, helper_id, money)",
        "CREATE INDEX IF NOT EXISTS idx_teammate_task_helper ON teammate_task(helper_id, year)",
    };
    bool ok = true;
    QSqlQuery query(db);
    for (const char *statement : statements) {
        if (!query.exec(QString::fromLatin1(statement))) {
            qDebug() << "index:" << query.lastError().text();
            ok = false;
        }
    }
    return ok;
}
