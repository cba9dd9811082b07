#include "common/dateutils.h"
#include "store/catalogstore.h"
#include "store/customerstore.h"
#include "store/database.h"
#include "store/nameencoding.h"
#include "store/schedulestore.h"
#include "store/sqlcondition.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "support/warningrecorder.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <limits>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {
struct ChildResult
{
    bool killed = false;
    int exitCode = -1;
    QString output;
};

ChildResult runChild(const QString &folder, const QStringList &args = {})
{
    QProcess child;
    child.setWorkingDirectory(folder);
    child.start(QStringLiteral(SCHEMA_CHILD), args);
    ChildResult result;
    if (!child.waitForFinished(30000)) {
        child.kill();
        child.waitForFinished();
    }
    result.killed = child.exitStatus() == QProcess::CrashExit;
    result.exitCode = child.exitCode();
    result.output = QString::fromUtf8(child.readAllStandardOutput());
    return result;
}

// Tables and phone scripts of the file in the folder, read through a
// connection of the test's own (-1 scripts: no such table).
struct SchemaState
{
    int tables = 0;
    int scripts = -1;
};

SchemaState schemaState(const QString &folder)
{
    SchemaState state;
    const QString name = QStringLiteral("inspect");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(folder + QStringLiteral("/mwdb.dat"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name NOT "
                           "LIKE 'sqlite_%'") &&
                query.next())
                state.tables = query.value(0).toInt();
            if (query.exec("SELECT count(*) FROM phoneskills") && query.next())
                state.scripts = query.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return state;
}

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
}

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Inserts 500 downloaded prospects in one transaction on its own connection,
// as the list writer does, and times the whole batch.
class BatchWriter : public QThread
{
public:
    bool committed = false;
    qint64 elapsedMs = -1;

protected:
    void run() override
    {
        const QString name = QStringLiteral("batch-writer");
        {
            QSqlDatabase db = openDatabaseConnection(name);
            QElapsedTimer timer;
            timer.start();
            bool ok = db.isOpen() && beginTransaction(name);
            for (int n = 0; ok && n < 500; ++n)
                ok = addDownloadedCustomer(QStringLiteral("下载%1").arg(n), "139", "", "", "",
                                           100000 + n, name);
            committed = ok && commitTransaction(name);
            elapsedMs = timer.elapsed();
            if (!committed)
                rollbackTransaction(name);
        }
        removeDatabaseConnection(name);
    }
};
} // namespace

class TestDataSafety : public QObject
{
    Q_OBJECT

private slots:
    void writerCommitsWhileAListIsPartLoaded()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QCOMPARE(queryValue("PRAGMA journal_mode").toString(), QString("wal"));
        QVERIFY(beginTransaction());
        for (int n = 0; n < 1000; ++n)
            QVERIFY(addCustomer(QString("P%1").arg(n), 1, "1980-01-01", "1", "", "", "", ""));
        QVERIFY(commitTransaction());

        // Qt has fetched the first batch only and keeps the statement open.
        QSqlQueryModel list;
        list.setQuery("SELECT * FROM customers");
        QVERIFY(list.canFetchMore());
        QVERIFY(list.rowCount() < 1000);

        BatchWriter writer;
        writer.start();
        QVERIFY(writer.wait(10000));
        QVERIFY(writer.committed);
        QVERIFY2(writer.elapsedMs < 1000, qPrintable(QString::number(writer.elapsedMs)));
        // The open list reads its own snapshot; once it lets go, the GUI
        // connection sees the batch.
        list.clear();
        QCOMPARE(queryValue("SELECT count(*) FROM customers").toInt(), 1500);

        for (const char *suffix : {"", "-wal", "-shm"}) {
            const QString path = workspace.filePath(QString("mwdb.dat") + suffix);
            QVERIFY2(QFileInfo::exists(path), suffix);
            struct stat info = {};
            QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
            QCOMPARE(info.st_mode & 0777, mode_t(0600));
        }
    }

    // SQLite copies the data file's mode to its side files; an agent's 0644
    // file kept it, but the log holds the same personal data.
    void sideFilesAreOwnerOnlyWhateverTheFileMode()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        workspace.closeDatabase();
        const QByteArray file = QFile::encodeName(workspace.filePath("mwdb.dat"));
        QCOMPARE(::chmod(file.constData(), 0644), 0);
        QVERIFY(workspace.openDatabase());
        QVERIFY(addCustomer("P", 1, "1980-01-01", "1", "", "", "", ""));
        for (const auto &[suffix, mode] : {std::pair{"", 0644}, {"-wal", 0600}, {"-shm", 0600}}) {
            struct stat info = {};
            QCOMPARE(::stat((file + suffix).constData(), &info), 0);
            QCOMPARE(int(info.st_mode & 0777), mode);
        }
    }

    // A command-line import beside the window must not take the window's
    // marker away (a later crash of the window would go unnoticed), and
    // run alone it leaves none.
    void scriptRunsLeaveTheMarkerAsTheyFoundIt_data()
    {
        QTest::addColumn<bool>("windowRunning");
        QTest::newRow("beside the window") << true;
        QTest::newRow("alone") << false;
    }

    void scriptRunsLeaveTheMarkerAsTheyFoundIt()
    {
        QFETCH(bool, windowRunning);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        workspace.closeDatabase();
        QVERIFY(!windowRunning || QFile(runningMarkerPath()).open(QIODevice::WriteOnly));
        QVERIFY(initDatabase(FileCheck::WhenUncleanForScript));
        QCOMPARE(QFileInfo::exists(runningMarkerPath()), windowRunning);
        workspace.closeDatabase();
        QCOMPARE(QFileInfo::exists(runningMarkerPath()), windowRunning);
    }

    // A start killed at any statement of the first preparation leaves no
    // table of scripts, or all fourteen; the next start completes the file.
    void firstStartKilledAnywhereIsCompletedNextTime()
    {
        int killedRuns = 0;
        for (int statement = 0; statement < 500; ++statement) {
            QTemporaryDir folder;
            const ChildResult first =
                runChild(folder.path(), {"--kill-at", QString::number(statement)});
            if (!first.killed) {
                QCOMPARE(first.exitCode, 0);
                break;
            }
            ++killedRuns;
            const SchemaState afterKill = schemaState(folder.path());
            QVERIFY2(
                afterKill.scripts == -1 || afterKill.scripts == 14,
                qPrintable(
                    QString("statement %1: %2 scripts").arg(statement).arg(afterKill.scripts)));
            QCOMPARE(runChild(folder.path()).exitCode, 0);
            const SchemaState completed = schemaState(folder.path());
            // The program's tables, the side tables and the trigram indexes' own.
            QCOMPARE(completed.tables, 48);
            QCOMPARE(completed.scripts, 14);
        }
        // Every statement of the preparation was a place to die.
        QVERIFY(killedRuns > 40);
    }

    void twoFirstStartsAtOnceBothSucceed()
    {
        for (int round = 0; round < 20; ++round) {
            QTemporaryDir folder;
            QProcess a;
            QProcess b;
            for (QProcess *child : {&a, &b}) {
                child->setWorkingDirectory(folder.path());
                child->start(QStringLiteral(SCHEMA_CHILD), QStringList());
            }
            for (QProcess *child : {&a, &b}) {
                QVERIFY(child->waitForFinished(30000));
                QVERIFY2(child->exitCode() == 0, child->readAllStandardOutput().constData());
            }
            const SchemaState state = schemaState(folder.path());
            QCOMPARE(state.tables, 48);
            QCOMPARE(state.scripts, 14);
        }
    }

    void unwritableDatabaseStopsStartUpUntouched_data()
    {
        QTest::addColumn<bool>("folderReadOnly");
        QTest::newRow("read-only file") << false;
        QTest::newRow("read-only folder") << true;
    }

    void unwritableDatabaseStopsStartUpUntouched()
    {
        QFETCH(bool, folderReadOnly);
        QTemporaryDir root;
        const QString folder = root.filePath("data");
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(runChild(folder).exitCode, 0);
        const QString file = folder + "/mwdb.dat";
        const QByteArray before = fileHash(file);

        // As root the child runs as "nobody", who owns what it may write.
        const bool root_ = ::geteuid() == 0;
        const QFileDevice::Permissions traverse = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                  QFileDevice::ExeOther;
        QVERIFY(QFile::setPermissions(root.path(), traverse));
        if (root_) {
            const QString owned = folderReadOnly ? file : folder;
            QVERIFY(::chown(QFile::encodeName(owned).constData(), 65534, 65534) == 0);
            QVERIFY(QFile::setPermissions(folder, traverse));
            QVERIFY(QFile::setPermissions(file, ownerOnly | QFileDevice::ReadOther));
        } else if (folderReadOnly) {
            QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        } else {
            QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner));
        }

        const ChildResult result = runChild(folder, {"--as-nobody"});
        QVERIFY(!result.killed);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.output.startsWith("数据库错误\n"), qPrintable(result.output));
        QVERIFY2(result.output.contains(QFileInfo(file).absoluteFilePath()),
                 qPrintable(result.output));
        QCOMPARE(fileHash(file), before);
        QFile::setPermissions(folder, traverse);
    }

    // Only a corrupt file is damage; a locked one is said as such, a foreign one (or a link to
    // one) refused, all untouched. The whole file is read only after an abrupt end. An unmarked
    // file of ours is marked, but an export reads it without changing a byte.
    void startUpJudgesTheFile_data()
    {
        QTest::addColumn<QString>("make"); // a file of these statements, else ours
        QTest::addColumn<QString>("hold"); // by a second connection
        QTest::addColumn<int>("damageAt"); // 8 KiB of junk at 0, the middle (1), none
        QTest::addColumn<bool>("abruptEnd");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("says"); // empty: the file is opened
        const QString lock = "BEGIN EXCLUSIVE; DELETE FROM customers";
        const QString foreign = "CREATE TABLE notes(text); INSERT INTO notes VALUES ('x')";
        const QString old = "CREATE TABLE customers(id); CREATE TABLE customers_tel_logs(id)";
        const QString ours; // made by the program, with rows
        QTest::newRow("locked") << ours << "PRAGMA journal_mode=DELETE; " + lock << -1 << false
                                << false << "已锁定";
        QTest::newRow("writer") << ours << lock << -1 << false << false << "已锁定";
        QTest::newRow("not a database") << ours << ours << 0 << false << false << "已损坏";
        QTest::newRow("bad page, abrupt end") << ours << ours << 1 << true << false << "已损坏";
        QTest::newRow("bad page, clean end") << ours << ours << 1 << false << false << "";
        const QString refused = "不是本程序的";
        QTest::newRow("foreign") << foreign << ours << -1 << false << false << refused;
        QTest::newRow("link to foreign") << foreign << "link" << -1 << false << false << refused;
        QTest::newRow("foreign, export") << foreign << ours << -1 << false << true << refused;
        QTest::newRow("ours unmarked") << old << ours << -1 << false << false << ours;
        QTest::newRow("ours unmarked, export") << old << ours << -1 << false << true << ours;
    }

    void startUpJudgesTheFile()
    {
        QFETCH(QString, make);
        QFETCH(QString, hold);
        QFETCH(int, damageAt);
        QFETCH(bool, abruptEnd);
        QFETCH(bool, readOnly);
        QFETCH(QString, says);
        const bool opens = says.isEmpty();
        TestWorkspace workspace;
        const QString file = workspace.filePath(hold == "link" ? "other.db" : "mwdb.dat");
        if (make.isEmpty()) {
            QVERIFY(workspace.openDatabase());
            // Orders make the bulk of the file, so its middle lies in their
            // pages, which start-up never reads, whatever the schema adds.
            QVERIFY(
                execSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                        "WHERE i < 30000) INSERT INTO customers_orders(customer_id, add_time, "
                        "product_id, amount, money, memo) SELECT i, i, 'A', 1, 1, hex(i) FROM n"));
            QVERIFY(execSql("PRAGMA wal_checkpoint(TRUNCATE)"));
            workspace.closeDatabase();
        }
        // A connection of the test's own makes the file, or holds its lock.
        const QString first = make.isEmpty() ? hold : make;
        sqlite3 *holder = nullptr;
        QVERIFY(first.isEmpty() ||
                (sqlite3_open(QFile::encodeName(file).constData(), &holder) == SQLITE_OK &&
                 sqlite3_exec(holder, first.toUtf8().constData(), 0, 0, 0) == SQLITE_OK));
        if (!make.isEmpty())
            sqlite3_close(std::exchange(holder, nullptr));
        QVERIFY(hold != "link" || QFile::link(file, workspace.filePath("mwdb.dat")));
        QFile bytes(file);
        QVERIFY(bytes.open(QIODevice::ReadWrite));
        QVERIFY(damageAt < 0 || (bytes.seek(damageAt * bytes.size() / 2) &&
                                 bytes.write(QByteArray(8192, '\x5a')) == 8192));
        bytes.close();
        QVERIFY(!abruptEnd || QFile(runningMarkerPath()).open(QIODevice::WriteOnly));
        const QByteArray before = fileHash(file);

        WarningRecorder warnings;
        QCOMPARE(readOnly ? openDatabaseForReading() : initDatabase(), opens);
        QCOMPARE(databaseFileDamaged(), says.contains("损坏"));
        QCOMPARE(warnings.count(), opens ? 0 : 1);
        const QString said = opens ? QString() : warnings.warnings().first().text;
        QVERIFY2(opens || (said.startsWith(QFileInfo("mwdb.dat").absoluteFilePath() + "\n") &&
                           said.contains(says) && !said.contains("权限")),
                 qPrintable(said));
        bool damage = false;
        if (opens && make.isEmpty()) // the check in the background finds what start-up left
            QVERIFY(databaseCheckDeferred() && !quickCheckFile(file, &damage).isEmpty() && damage);
        if (opens && !make.isEmpty())
            QCOMPARE(queryValue("PRAGMA application_id").toInt(),
                     readOnly ? 0 : databaseApplicationId);
        // The marker stays while the file is open, and after an abrupt end.
        QCOMPARE(QFileInfo::exists(runningMarkerPath()), (opens && !readOnly) || abruptEnd);
        workspace.closeDatabase();
        QCOMPARE(QFileInfo::exists(runningMarkerPath()), abruptEnd && !opens);
        sqlite3_close(holder);
        if (!opens || readOnly)
            QCOMPARE(fileHash(file), before);
    }

    void figuresBeyondThirtyTwoBits()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(addCustomerOrder(1, 10, "A", 1, 2000000000));
        QVERIFY(addCustomerOrder(2, 20, "A", 1, 2000000000));
        qint64 amount = 0, money = 0, customers = 0;
        orderTotalsForPeriod(0, 100, amount, money, customers);
        QCOMPARE(money, Q_INT64_C(4000000000));

        QVERIFY(addDownloadedCustomer("远", "1", "", "", "", Q_INT64_C(5000000000)));
        QCOMPARE(maxServerCustomerId(), Q_INT64_C(5000000000));

        QVERIFY(execSql("INSERT INTO customers_orders(id, customer_id, add_time, product_id, "
                        "amount, money) VALUES (3000000000, 1, 1, 'A', 1, 1)"));
        QVERIFY(addCustomerOrder(1, 30, "A", 1, 1));
        QCOMPARE(lastInsertId(), Q_INT64_C(3000000001));
    }

    void visitAfter2038IsStoredAndListedOnItsDay()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(addCustomer("张三", 1, "1980-01-01", "1", "", "", "", ""));
        const QDate day(2040, 6, 1);
        const Seconds visit = QDateTime(day, QTime(9, 0)).toSecsSinceEpoch();
        QVERIFY(visit > std::numeric_limits<int>::max());
        QVERIFY(addCustomerTelLog(1, 1, "约好了", visit, 2, nowTime()));
        QCOMPARE(queryValue("SELECT next_contact_time FROM customers_tel_logs").toLongLong(),
                 visit);

        std::unique_ptr<QSqlQueryModel> calendar(
            loadCustomerCalendarModel(nullptr, GetDayBegin(day), dayEndTime(day), 2));
        QCOMPARE(calendar->rowCount(), 1);
        QCOMPARE(calendar->data(calendar->index(0, 1)).toLongLong(), visit);
        QCOMPARE(calendar->data(calendar->index(0, 2)).toString(), QString("张三"));
        QCOMPARE(countCustomersToContact(GetDayBegin(day), dayEndTime(day), 2), 1);
    }

    void hugePageNumberGivesAnEmptyPage()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        for (const char *name : {"甲", "乙", "丙"})
            QVERIFY(addCustomer(name, 1, "1980-01-01", "1", "", "", "", ""));
        for (const int page : {std::numeric_limits<int>::max(), 1 << 30}) {
            std::unique_ptr<QSqlTableModel> model(loadCustomersModel(nullptr, "", page, 100));
            QCOMPARE(model->rowCount(), 0);
        }
        std::unique_ptr<QSqlTableModel> first(loadCustomersModel(nullptr, "", 1, 100));
        QCOMPARE(first->rowCount(), 3);
    }

    void controlCharactersAreCleanedOnTheWayIn_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("NUL") << QString("张") + QChar(0) + QString("三") << QString("张三");
        QTest::newRow("lone high surrogate")
            << QString("李") + QChar(0xD83D) + QString("四") << QString("李\uFFFD四");
        QTest::newRow("lone low surrogate") << QString("王") + QChar(0xDE00) << QString("王\uFFFD");
        QTest::newRow("pair kept") << QString("赵😀") << QString("赵😀");
    }

    void controlCharactersAreCleanedOnTheWayIn()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        WarningRecorder warnings;
        QVERIFY(addCustomer(typed, 1, "1980-01-01", "1", typed, "", "", ""));
        QCOMPARE(warnings.count(), 0);
        QCOMPARE(decodeName(queryValue("SELECT name FROM customers").toString()), stored);
        QCOMPARE(queryValue("SELECT home_address FROM customers").toString(), stored);

        // Searching with the same raw text neither fails nor misses.
        for (const QString &condition :
             {encodedNameContains("name", typed), likeContains("home_address", typed)}) {
            QSqlQuery query;
            QVERIFY2(query.exec("SELECT count(*) FROM customers WHERE " + condition),
                     qPrintable(query.lastError().text()));
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toInt(), 1);
        }
    }
};

CALLLEDGER_TEST_MAIN(TestDataSafety, QCoreApplication)
#include "tst_datasafety.moc"
