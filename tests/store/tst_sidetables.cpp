#include "calling/todaylists.h"
#include "common/dateutils.h"
#include "store/alertstore.h"
#include "store/customerstore.h"
#include "store/database.h"
#include "store/helperstore.h"
#include "store/nameencoding.h"
#include "store/phonekeys.h"
#include "store/schedulestore.h"
#include "store/searchstore.h"
#include "store/sidetables.h"
#include "store/snapshots.h"
#include "store/statisticsstore.h"
#include "store/textsearch.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QTest>

namespace {
const QDate day(2026, 3, 10);
const QStringList outcomes = {"未接通", "有意向", "约访成功", "成交", "别的程序写的"};

// Random writes as the program and other writers make them: people, logs with
// their talk times and outcomes, tracks; moved across midnight, retyped,
// deleted, abandoned and recovered.
QStringList randomWrites(QRandomGenerator &random, int count)
{
    const qint64 midnight = GetDayBegin(day);
    const auto time = [&] {
        // Often a few seconds around a midnight, to catch a slot one off.
        const qint64 base = midnight + 86400 * qint64(random.bounded(-20, 20));
        return random.bounded(3) == 0 ? base + random.bounded(-3, 3) : base + random.bounded(86400);
    };
    QStringList sql;
    for (int i = 0; i < count; ++i) {
        const int k = 1 + random.bounded(2);
        const QString logs = k == 1 ? "customers_tel_logs" : "helpers_tel_logs";
        const QString tracks = k == 1 ? "customers_contact_track" : "helpers_contact_track";
        const QString person = k == 1 ? "customer_id" : "helper_id";
        const QString people = k == 1 ? "customers" : "helpers";
        const int id = 1 + random.bounded(40);
        switch (random.bounded(10)) {
        case 0:
            sql << QString("INSERT INTO %1(name, sex, birth_date, phone_number, is_contact, "
                           "user_type) VALUES ('%2', 1, '1980-01-01', '1', 0, %3)")
                       .arg(people, encodeName("人"), QString::number(random.bounded(3)));
            break;
        case 1:
        case 2:
            sql << QString("INSERT INTO %1(%2, add_time, contact_type, content, next_contact_time, "
                           "next_contact_type) VALUES (%3, %4, %5, 'x', %6, %7)")
                       .arg(logs, person)
                       .arg(id)
                       .arg(time())
                       .arg(1 + random.bounded(2))
                       .arg(time())
                       .arg(1 + random.bounded(2))
                << QString("INSERT OR REPLACE INTO contact_durations VALUES (%1, (SELECT max(id) "
                           "FROM %2), %3)")
                       .arg(k)
                       .arg(logs)
                       .arg(random.bounded(600))
                << QString("INSERT OR REPLACE INTO contact_outcomes VALUES (%1, (SELECT max(id) "
                           "FROM %2), '%3')")
                       .arg(k)
                       .arg(logs, outcomes.at(random.bounded(int(outcomes.size()))));
            break;
        case 3:
            sql << QString("INSERT INTO %1(%2, contact_time, contact_state) VALUES (%3, %4, %5)")
                       .arg(tracks, person)
                       .arg(id)
                       .arg(time())
                       .arg(1 + random.bounded(2));
            break;
        case 4:
            sql << QString("UPDATE %1 SET add_time = %2, contact_type = %3 WHERE id = %4")
                       .arg(logs)
                       .arg(time())
                       .arg(1 + random.bounded(2))
                       .arg(1 + random.bounded(80))
                << QString("UPDATE %1 SET contact_time = %2, %3 = %4 WHERE id = %5")
                       .arg(tracks)
                       .arg(time())
                       .arg(person)
                       .arg(id)
                       .arg(1 + random.bounded(80));
            break;
        case 5:
            sql << QString("DELETE FROM %1 WHERE id = %2").arg(logs).arg(1 + random.bounded(80))
                << QString("DELETE FROM %1 WHERE id = %2").arg(tracks).arg(1 + random.bounded(80));
            break;
        case 6:
            sql << QString("UPDATE contact_durations SET seconds = %1 WHERE log_id = %2")
                       .arg(random.bounded(900))
                       .arg(1 + random.bounded(80))
                << QString("DELETE FROM contact_outcomes WHERE log_id = %1")
                       .arg(1 + random.bounded(80));
            break;
        case 7:
            sql << QString("UPDATE %1 SET user_type = %2 WHERE id = %3")
                       .arg(people)
                       .arg(random.bounded(3))
                       .arg(id);
            break;
        case 8:
            sql << QString("DELETE FROM %1 WHERE id = %2").arg(people).arg(id);
            break;
        default:
            // A whole batch in one statement, as an import writes.
            sql << QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 30) INSERT INTO %1(%2, contact_time, contact_state) "
                           "SELECT 1 + i % 40, %3 + i * 7200, 1 + i % 2 FROM n")
                       .arg(tracks, person)
                       .arg(time());
        }
    }
    return sql;
}

void write(const QSqlDatabase &db, const QStringList &sql)
{
    QSqlQuery query(db);
    for (const QString &statement : sql)
        QVERIFY2(query.exec(statement), qPrintable(statement));
}

void writeThroughShell(const QString &file, const QStringList &sql)
{
    QProcess shell;
    shell.start("sqlite3", {file});
    QVERIFY(shell.waitForStarted());
    shell.write((sql.join(";\n") + ";\n").toUtf8());
    shell.closeWriteChannel();
    QVERIFY(shell.waitForFinished(30000));
    QCOMPARE(shell.readAllStandardError(), QByteArray());
}

// Every series from the totals equals the plain grouped statement, bucket by
// bucket, over days and over weeks.
void compareWithOracle()
{
    const QSqlDatabase db = QSqlDatabase::database();
    for (const StatPeople people : {StatPeople::Prospects, StatPeople::Recruits}) {
        QVERIFY(statisticsTablesBuilt(int(people)));
        for (const int days : {25, 130}) {
            const StatRequest request{day.addDays(-days / 2), day.addDays(days / 2), people, 3,
                                      day};
            for (const StatSeries series : allStatSeries()) {
                const auto fast = loadStatistics(series, request, db);
                const auto plain = loadStatistics(series, request, db, nullptr, StatSource::Plain);
                QVERIFY(fast && plain);
                QCOMPARE(fast->labels, plain->labels);
                QCOMPARE(fast->rows, plain->rows);
            }
            QVERIFY(statisticsStatement(StatSeries::Funnel, request, db).contains("stat_funnel"));
        }
    }
    // The board's count of the contacted prospects equals their list's rows
    // (a filter makes it count the list), logs of people not there included.
    for (int offset = -12; offset <= 12; offset += 4) {
        const qint64 from = GetDayBegin(day.addDays(offset));
        const qint64 to = dayEndTime(day.addDays(offset + 3));
        QCOMPARE(countContactedCustomersRows(from, to, 0, QString()),
                 countContactedCustomersRows(from, to, 0, "1 = 1"));
    }
}

void dropSideTables()
{
    QSqlQuery query;
    QVERIFY(query.exec("SELECT type, name FROM sqlite_master WHERE name LIKE 'trg_side_%' OR "
                       "(type = 'table' AND (name LIKE 'stat_%' OR name IN ('contact_due', "
                       "'side_index_state')))"));
    QStringList drops;
    while (query.next())
        drops << QString("DROP %1 IF EXISTS %2")
                     .arg(query.value(0).toString(), query.value(1).toString());
    write(QSqlDatabase::database(), drops);
}

QSet<QString> found(const QString &text)
{
    QSet<QString> keys;
    for (const FoundPerson &person : searchPeople(text, 100000))
        keys.insert(QString("%1:%2").arg(int(person.kind) == 1 ? 1 : 2).arg(person.id));
    return keys;
}

void setTextIndexesBuilt(bool built)
{
    QVERIFY(execSql(QString("UPDATE side_index_state SET done_through = %1 WHERE part IN "
                            "('names1', 'names2', 'phones')")
                        .arg(built ? std::numeric_limits<qint64>::max() : 0)));
}
} // namespace

class TestSideTables : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        workspace = std::make_unique<TestWorkspace>();
        QVERIFY(workspace->openDatabase());
    }
    void cleanup() { workspace.reset(); }

    // Written by this connection, another one, the sqlite3 shell and a bulk
    // insert; built again by steps between writes, as for a file from before
    // the totals; and a restored snapshot of such a file.
    void statisticsFromTotalsEqualTheOracle()
    {
        QRandomGenerator random(28);
        write(QSqlDatabase::database(), randomWrites(random, 400));
        compareWithOracle();
        {
            const QSqlDatabase other = openDatabaseConnection("other-writer");
            write(other, randomWrites(random, 200));
        }
        removeDatabaseConnection("other-writer");
        compareWithOracle();
        writeThroughShell(workspace->filePath("mwdb.dat"), randomWrites(random, 200));
        compareWithOracle();

        dropSideTables();
        SnapshotJob before;
        QVERIFY(before.begin(QDateTime(day, QTime(8, 0))) && before.runToEnd());
        QSqlDatabase db = QSqlDatabase::database();
        QVERIFY(execSql("BEGIN") && prepareSideTables(db, 0) && execSql("COMMIT"));
        QVERIFY(!statisticsTablesBuilt(1));
        SideBuildProgress progress;
        int steps = 0;
        // Chunks of a few ids, so that writes land before, inside and after
        // the part built so far.
        while (steps < 3000 && buildSideTablesStep(db, &progress, 40)) {
            write(db, randomWrites(random, 1));
            ++steps;
        }
        QVERIFY(progress.finished);
        QVERIFY(steps > 30);
        compareWithOracle();

        QString error;
        QVERIFY2(restoreSnapshot(before.path(), &error), qPrintable(error));
        compareWithOracle();
    }

    void talkTimeSumEqualsTheJoinOfAllTalkTimes()
    {
        QRandomGenerator random(7);
        write(QSqlDatabase::database(), randomWrites(random, 600));
        // From the totals of whole quarter hours, and from the day's logs
        // while the totals are being built.
        for (int k = 1; k <= 4; ++k) {
            QVERIFY(execSql(QString("UPDATE side_index_state SET done_through = %1 WHERE part "
                                    "LIKE 'logs%'")
                                .arg(k <= 2 ? std::numeric_limits<qint64>::max() : 0)));
            for (int offset = -15; offset <= 15; offset += 3) {
                const qint64 from = GetDayBegin(day.addDays(offset));
                const qint64 to = dayEndTime(day.addDays(offset + random.bounded(3)));
                const QString old =
                    QString("SELECT coalesce(sum(d.seconds), 0) FROM %1 l JOIN contact_durations "
                            "d ON d.kind = %2 AND d.log_id = l.id WHERE l.add_time >= %3 AND "
                            "l.add_time <= %4")
                        .arg(k % 2 ? "customers_tel_logs" : "helpers_tel_logs")
                        .arg(2 - k % 2)
                        .arg(from)
                        .arg(to);
                QCOMPARE(talkSecondsBetween(CallRecordKind(2 - k % 2), from, to),
                         queryValue(old).toLongLong());
            }
        }
    }

    // Kind, user type (-1: abandoned, then recovered), next contact type, due.
    void abandonedPeopleAreDueNowhere_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("userType");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("due");
        QTest::newRow("prospect, call") << 1 << 1 << 1 << true;
        QTest::newRow("customer, visit") << 1 << 2 << 2 << true;
        QTest::newRow("abandoned prospect, call") << 1 << 0 << 1 << false;
        QTest::newRow("abandoned prospect, visit") << 1 << 0 << 2 << false;
        QTest::newRow("recovered prospect, visit") << 1 << -1 << 2 << true;
        QTest::newRow("recruit, visit") << 2 << 1 << 2 << true;
        QTest::newRow("member, call") << 2 << 2 << 1 << true;
        QTest::newRow("abandoned recruit, visit") << 2 << 0 << 2 << false;
        QTest::newRow("abandoned recruit, call") << 2 << 0 << 1 << false;
        QTest::newRow("recovered recruit, call") << 2 << -1 << 1 << true;
    }
    void abandonedPeopleAreDueNowhere()
    {
        QFETCH(int, kind);
        QFETCH(int, userType);
        QFETCH(int, type);
        QFETCH(bool, due);
        Clock::setFixedNow(QDateTime(day, QTime(9, 0)));
        const qint64 at = GetDayBegin(day) + 15 * 3600;
        const bool prospect = kind == 1;
        QVERIFY(prospect ? addCustomer("张三", 1, "1980-01-01", "138", "", "", "", "")
                         : addHelper("李四", 1, "1980-01-01", "139", "", "", "", "", 1));
        const int id = int(lastInsertId());
        QVERIFY(prospect ? recordCustomerContact(id, 1, "谈过", at, type, at - 86400, 1)
                         : recordHelperContact(id, 1, "谈过", at, type, at - 86400, 1));
        const auto setType = prospect ? setCustomerUserType : setHelperUserType;
        if (userType == -1)
            QVERIFY(setType(id, 0));
        QVERIFY(setType(id, userType == -1 ? 1 : userType));
        const qint64 from = todayBeginTime();
        const qint64 to = todayEndTime();
        // Through the side table, and as a file still being built reads it.
        for (const bool side : {true, false}) {
            QVERIFY(execSql(QString("UPDATE side_index_state SET done_through = %1 WHERE part "
                                    "LIKE 'persons%'")
                                .arg(side ? std::numeric_limits<qint64>::max() : 0)));
            std::unique_ptr<QSqlQueryModel> list(
                prospect ? loadCustomersToContactModel(nullptr, from, to, type)
                         : loadHelpersToContactModel(nullptr, from, to, type));
            std::unique_ptr<QSqlQueryModel> calendar(
                prospect ? loadCustomerCalendarModel(nullptr, from, to, type)
                         : loadHelperCalendarModel(nullptr, from, to, type));
            const BoardCounts board = countBoard(todayBoardRequest());
            const int boardNumber = prospect
                                        ? (type == 1 ? board.phoneCustomers : board.visitCustomers)
                                        : (type == 1 ? board.phoneHelpers : board.visitHelpers);
            const QList<int> places = {list->rowCount(), calendar->rowCount(), boardNumber,
                                       int(loadScheduledContacts(from, to).size())};
            QCOMPARE(places, QList<int>(4, due ? 1 : 0));
            if (due)
                QCOMPARE(list->index(0, ColumnPromisedTime).data().toLongLong(), at);
        }
        Clock::setFixedNow(QDateTime());
    }

    // Typed text | kind of test data; the index and a scan of every row find
    // the same people.
    void trigramSearchEqualsAScan_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("digits inside") << "0013";
        QTest::newRow("digits at the start") << "1380";
        QTest::newRow("digits at the end") << "8000";
        QTest::newRow("full-width digits") << "００１３";
        QTest::newRow("+86 and a number") << "+86 138 0013";
        QTest::newRow("two digits") << "13";
        QTest::newRow("one digit") << "8";
        QTest::newRow("one character") << "张";
        QTest::newRow("two characters") << "张伟";
        QTest::newRow("name inside") << "伟明";
        QTest::newRow("latin, other case") << "li";
        QTest::newRow("quote and wildcard") << "a\"%";
    }
    void trigramSearchEqualsAScan()
    {
        QFETCH(QString, typed);
        QRandomGenerator random(11);
        const QStringList parts = {"张", "伟", "明", "李", "Li", "LI", "a\"%", " "};
        for (int i = 0; i < 600; ++i) {
            QString name;
            for (int n = 1 + random.bounded(4); n > 0; --n)
                name += parts.at(random.bounded(int(parts.size())));
            // Few digits, so that parts of numbers recur.
            QString phone = "1";
            while (phone.size() < 11)
                phone += QString("0138").at(random.bounded(4));
            if (random.bounded(4) == 0)
                phone = "+86 " + phone.left(3) + "-" + phone.mid(3);
            if (i % 50 == 0)
                phone = "＋86 138-0013-8000";
            QVERIFY(i % 3 ? addCustomer(name, 1, "1980-01-01", phone, "", "", "", "")
                          : addHelper(name, 1, "1980-01-01", phone, "", "", "", "", i % 2 + 1));
        }
        QVERIFY(textIndexBuilt(0) && textIndexBuilt(1) && textIndexBuilt(2));
        QCOMPARE(searchNeedsScan(typed),
                 normalizedDigitsCount(typed) > 0 && normalizedDigitsCount(typed) < 3);
        const QSet<QString> viaIndex = found(typed);
        const int listed = countCustomerRows(nameContainsCondition(1, "id", "name", typed));
        QVERIFY(nameContainsCondition(1, "id", "name", typed).contains("MATCH"));
        setTextIndexesBuilt(false);
        QCOMPARE(found(typed), viaIndex);
        QCOMPARE(countCustomerRows(nameScanCondition(1, "name", typed)), listed);
        setTextIndexesBuilt(true);
        QVERIFY(!viaIndex.isEmpty());
    }

private:
    static int normalizedDigitsCount(const QString &typed)
    {
        return searchesNumber(typed) ? int(normalizedPhone(typed).size()) : 0;
    }

    std::unique_ptr<TestWorkspace> workspace;
};

CALLLEDGER_TEST_MAIN(TestSideTables, QCoreApplication)
#include "tst_sidetables.moc"
