// Generates a mwdb.dat of a chosen size and times the queries that run on the
// GUI thread: the seven reminder counts after every change, a prospect page and
// a name search, and the lists of the calling day (--calling-lists), whose
// statements it can print for tools/compare-sqlite3.sh, and the series of the
// work statistics over the last year (--statistics).

#include "calling/todaylists.h"
#include "common/appsettings.h"
#include "common/dateutils.h"
#include "store/alertstore.h"
#include "store/changewatch.h"
#include "store/customerstore.h"
#include "store/database.h"
#include "store/helperstore.h"
#include "store/nameencoding.h"
#include "store/phonekeys.h"
#include "store/schedulestore.h"
#include "store/searchstore.h"
#include "store/sidetables.h"
#include "store/sqlcondition.h"
#include "store/statisticsstore.h"
#include "store/textsearch.h"

#include <QBitArray>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTextStream>

#include <functional>
#include <memory>

namespace {
QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

struct Sizes
{
    int prospects = 100000;
    int logs = 1000000;
    int recruits = 0;
    int recruitLogs = 0;
    int days = 60;
};

const char16_t *const surnames[] = {u"张", u"王", u"李", u"赵", u"刘", u"陈", u"杨", u"黄",
                                    u"周", u"吴", u"徐", u"孙", u"马", u"朱", u"胡", u"郭"};
const char16_t *const givenNames[] = {u"伟", u"芳", u"娜", u"敏", u"静", u"丽", u"强", u"磊",
                                      u"军", u"洋", u"勇", u"艳", u"杰", u"娟", u"涛", u"明"};

template <size_t N> QString pick(const char16_t *const (&list)[N], QRandomGenerator &random)
{
    return QString::fromUtf16(list[random.bounded(int(N))]);
}

QString randomName(QRandomGenerator &random)
{
    QString name = pick(surnames, random) + pick(givenNames, random);
    if (random.bounded(2) == 0)
        name += pick(givenNames, random);
    return name;
}

// Prepared once, bound and run per row; stops at the first failure.
class Inserter
{
public:
    explicit Inserter(const QString &statement)
    {
        if (!m_query.prepare(statement))
            fail();
    }
    bool run(const QVariantList &values)
    {
        for (int i = 0; i < values.size(); ++i)
            m_query.bindValue(i, values.at(i));
        if (m_query.exec())
            return true;
        fail();
        return false;
    }

    qint64 lastId() const { return m_query.lastInsertId().toLongLong(); }

private:
    void fail() { err() << "insert failed: " << m_query.lastError().text() << Qt::endl; }
    QSqlQuery m_query;
};

bool generate(const Sizes &sizes)
{
    QRandomGenerator random(20260310);
    const int now = nowTime();
    const int span = sizes.days * 86400;
    QElapsedTimer timer;
    timer.start();
    if (!beginTransaction())
        return false;

    Inserter customers(QStringLiteral(
        "INSERT INTO customers(name, sex, birth_date, phone_number, home_address, home_tel, "
        "company_name, office, is_contact, user_type, server_customer_id) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 1; i <= sizes.prospects; ++i) {
        const int roll = random.bounded(100);
        const int userType = roll < 8 ? 0 : (roll < 12 ? 2 : 1); // some abandoned, some won
        const QVariant serverId = i % 3 == 0 ? QVariant(i) : QVariant();
        if (!customers.run({encodeName(randomName(random)), random.bounded(2),
                            QStringLiteral("1975-06-01"),
                            QStringLiteral("138%1").arg(i, 8, 10, QLatin1Char('0')),
                            QStringLiteral("地址%1").arg(i), QString(),
                            encodeName(QStringLiteral("公司%1").arg(i % 500)),
                            QStringLiteral("经理"), random.bounded(2), userType, serverId}))
            return false;
    }

    Inserter helpers(QStringLiteral(
        "INSERT INTO helpers(name, sex, birth_date, phone_number, home_address, home_tel, "
        "company_name, office, is_contact, user_type) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 1; i <= sizes.recruits; ++i) {
        const int roll = random.bounded(100);
        const int userType = roll < 8 ? 0 : (roll < 20 ? 2 : 1);
        if (!helpers.run({randomName(random), random.bounded(2), QStringLiteral("1985-01-01"),
                          QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')), QString(),
                          QString(), QString(), QString(), random.bounded(2), userType}))
            return false;
    }

    // Every contact leaves a log and a tracking row, as the call dialogs do.
    const auto addContacts = [&](const QString &logTable, const QString &trackTable,
                                 const QString &idColumn, int rows, int people) {
        if (people < 1)
            return true;
        Inserter logs(QStringLiteral("INSERT INTO ") + logTable + QStringLiteral("(") + idColumn +
                      QStringLiteral(", add_time, contact_type, content, next_contact_time, "
                                     "next_contact_type) VALUES (?, ?, ?, ?, ?, ?)"));
        Inserter tracks(QStringLiteral("INSERT INTO ") + trackTable + QStringLiteral("(") +
                        idColumn +
                        QStringLiteral(", contact_time, contact_state) VALUES (?, ?, ?)"));
        // Talk time and outcome of each call, as the calling tools keep them.
        const int kind = trackTable.startsWith(QLatin1String("helpers")) ? 2 : 1;
        Inserter durations(QStringLiteral(
            "INSERT INTO contact_durations(kind, log_id, seconds) VALUES (?, ?, ?)"));
        Inserter outcomes(QStringLiteral(
            "INSERT INTO contact_outcomes(kind, log_id, outcome) VALUES (?, ?, ?)"));
        const QStringList outcomeTexts = callOutcomes();
        // A person's first contact is tracked as the first (state 1), every
        // later one as a later contact (2), as the call dialogs track them.
        QBitArray called(people + 1);
        for (int i = 0; i < rows; ++i) {
            const int person = 1 + random.bounded(people);
            const int addTime = now - random.bounded(span);
            const int nextTime = addTime + random.bounded(30 * 86400);
            if (!logs.run({person, addTime, 1 + random.bounded(2), QStringLiteral("通话记录"),
                           nextTime, 1 + random.bounded(2)}))
                return false;
            if (!tracks.run({person, addTime, called.testBit(person) ? 2 : 1}))
                return false;
            called.setBit(person);
            const qint64 logId = logs.lastId();
            if (!durations.run({kind, logId, random.bounded(900)}) ||
                !outcomes.run(
                    {kind, logId, outcomeTexts.at(random.bounded(int(outcomeTexts.size())))}))
                return false;
        }
        return true;
    };
    if (!addContacts(QStringLiteral("customers_tel_logs"),
                     QStringLiteral("customers_contact_track"), QStringLiteral("customer_id"),
                     sizes.logs, sizes.prospects))
        return false;
    if (!addContacts(QStringLiteral("helpers_tel_logs"), QStringLiteral("helpers_contact_track"),
                     QStringLiteral("helper_id"), sizes.recruitLogs, sizes.recruits))
        return false;
    // Orders of a tenth of the logs over 30 products (two of them since
    // deleted from the catalogue), and a yearly plan and monthly earnings for
    // each team member.
    Inserter products(
        QStringLiteral("INSERT INTO products(id, name, introduce) VALUES (?, ?, '')"));
    for (int i = 0; i < 28; ++i) {
        if (!products.run({QStringLiteral("P%1").arg(i), QStringLiteral("产品%1").arg(i)}))
            return false;
    }
    Inserter orders(QStringLiteral("INSERT INTO customers_orders(customer_id, add_time, "
                                   "product_id, amount, money) VALUES (?, ?, ?, ?, ?)"));
    for (int i = 0; i < sizes.logs / 10 && sizes.prospects > 0; ++i) {
        if (!orders.run({1 + random.bounded(sizes.prospects), now - random.bounded(span),
                         QStringLiteral("P%1").arg(random.bounded(30)), 1,
                         1000 + random.bounded(50000)}))
            return false;
    }
    const int year = Clock::now().date().year();
    Inserter tasks(QStringLiteral("INSERT INTO teammate_task(helper_id, year, begin_date, money, "
                                  "helper_count) SELECT id, ?, ?, 1200000, 12 FROM helpers "
                                  "WHERE user_type = 2"));
    Inserter earnings(QStringLiteral(
        "INSERT INTO teammate_earning_report(helper_id, report_time, money, helper_count) "
        "SELECT id, ?, 40000 + id % 1000, 1 FROM helpers WHERE user_type = 2"));
    if (!tasks.run({year, GetDayBegin(QDate(year, 1, 1))}))
        return false;
    for (int month = 1; month <= Clock::now().date().month(); ++month) {
        if (!earnings.run({GetDayBegin(QDate(year, month, 1)) + 3600}))
            return false;
    }
    if (!commitTransaction())
        return false;
    // The triggers only queued the new people; their phone keys are made here
    // once, as the first start after an upgrade does.
    QElapsedTimer keys;
    keys.start();
    if (!drainPhoneKeyBacklog())
        return false;
    out() << "phone keys of " << sizes.prospects + sizes.recruits << " people in " << keys.elapsed()
          << " ms" << Qt::endl;
    // The same for the trigram index of the names, which the program's
    // builder thread does after an import.
    QElapsedTimer names;
    names.start();
    if (!drainNameBacklog(QSqlDatabase::database()))
        return false;
    out() << "name index of " << sizes.prospects + sizes.recruits << " people in "
          << names.elapsed() << " ms" << Qt::endl;
    out() << "generated " << sizes.prospects << " prospects, " << sizes.logs << " logs, "
          << sizes.recruits << " recruits, " << sizes.recruitLogs << " recruit logs in "
          << timer.elapsed() << " ms" << Qt::endl;
    return true;
}

// Runs the job repeatedly and prints the mean time of one run.
double timeIt(const QString &label, int repeats, const std::function<int()> &job)
{
    int result = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < repeats; ++i)
        result = job();
    const double ms = double(timer.nsecsElapsed()) / 1e6 / repeats;
    out() << QStringLiteral("%1 %2 ms  (result %3)").arg(label, -58).arg(ms, 9, 'f', 3).arg(result)
          << Qt::endl;
    return ms;
}

void runTimings(int repeats)
{
    const Seconds from = todayBeginTime();
    const Seconds to = todayEndTime();
    out() << "reminder counts (mean of " << repeats << " runs each):" << Qt::endl;
    double tick = 0;
    // The board's seven numbers, each the row count of the list it opens.
    const QList<QPair<QString, std::function<int()>>> counts = {
        {"countTodayFirstCallCustomers()", [] { return countTodayFirstCallCustomers(); }},
        {"countCustomersToContactRows(today, 1)",
         [&] { return countCustomersToContactRows(from, to, 1); }},
        {"countCustomersToContactRows(today, 2)",
         [&] { return countCustomersToContactRows(from, to, 2); }},
        {"countTodayFirstCallHelpers()", [] { return countTodayFirstCallHelpers(); }},
        {"countHelpersToContactRows(today, 1)",
         [&] { return countHelpersToContactRows(from, to, 1); }},
        {"countHelpersToContactRows(today, 2)",
         [&] { return countHelpersToContactRows(from, to, 2); }},
        {"countContactedCustomersRows(today, 0)",
         [&] { return countContactedCustomersRows(from, to, 0, QString()); }},
    };
    for (const auto &[label, job] : counts)
        tick += timeIt(label, repeats, job);
    out() << QStringLiteral("%1 %2 ms")
                 .arg(QStringLiteral("the seven counts one by one"), -58)
                 .arg(tick, 9, 'f', 3)
          << Qt::endl;
    // What the board runs after a change: its seven numbers and today's pace.
    timeIt(QStringLiteral("all counts of one tick (board and pace)"), repeats,
           [] { return countBoard(todayBoardRequest()).phoneCustomers; });
    // 北京 matches no generated address: the first-call count reads every
    // never-called prospect before it knows there are none.
    appSettings.setRegion(QStringLiteral("北京"));
    timeIt(QStringLiteral("countTodayFirstCallCustomers(), region 北京"), repeats,
           [] { return countTodayFirstCallCustomers(); });
    appSettings.setRegion(QString());

    // The board asks the change watch every second and counts only after a change.
    DataChangeWatch watch;
    watch.changed();
    QElapsedTimer idle;
    idle.start();
    int changes = 0;
    for (int i = 0; i < 1000; ++i)
        changes += watch.changed() ? 1 : 0;
    out() << QStringLiteral("idle tick  %1 ms  (%2 changes seen)")
                 .arg(double(idle.nsecsElapsed()) / 1e9, 0, 'f', 4)
                 .arg(changes)
          << Qt::endl;
    {
        const QString writer = QStringLiteral("bench-writer");
        QSqlDatabase other = openDatabaseConnection(writer);
        QSqlQuery(other).exec(QStringLiteral("INSERT INTO customers_contact_track(customer_id, "
                                             "contact_time, contact_state) VALUES (1, 1, 1)"));
        QElapsedTimer changedTick;
        changedTick.start();
        if (watch.changed())
            countBoard(todayBoardRequest());
        out() << QStringLiteral("changed tick  %1 ms")
                     .arg(double(changedTick.nsecsElapsed()) / 1e6, 0, 'f', 3)
              << Qt::endl;
        QSqlQuery(other).exec(
            QStringLiteral("DELETE FROM customers_contact_track WHERE contact_time = 1"));
        other = QSqlDatabase();
        removeDatabaseConnection(writer);
    }
    // The alerts read their schedule only after a change, like the board.
    // Without the names, as the alerts read it; with them, as a list would.
    timeIt(QStringLiteral("loadScheduledContacts(today), after a change"), repeats,
           [&] { return int(loadScheduledContacts(from, to, false).size()); });
    timeIt(QStringLiteral("loadScheduledContacts(today) with names"), repeats,
           [&] { return int(loadScheduledContacts(from, to).size()); });

    out() << "lists:" << Qt::endl;
    const QString active = QStringLiteral(" user_type != 0 ");
    timeIt(QStringLiteral("customerPageCount(\" user_type != 0 \", 100)"), repeats,
           [&] { return customerPageCount(active, 100); });
    timeIt(QStringLiteral("loadCustomersModel(page 2 of 100, \" user_type != 0 \")"), repeats, [&] {
        std::unique_ptr<QSqlCustomerTableModel> model(loadCustomersModel(nullptr, active, 2, 100));
        return model->rowCount();
    });
    const QString search = active + QStringLiteral(" AND ") +
                           encodedNameContains(QStringLiteral("name"), QStringLiteral("张伟"));
    timeIt(QStringLiteral("customerPageCount(name contains 张伟)"), repeats,
           [&] { return customerPageCount(search, 100); });
    timeIt(QStringLiteral("loadCustomersModel(page 1, name contains 张伟)"), repeats, [&] {
        std::unique_ptr<QSqlCustomerTableModel> model(loadCustomersModel(nullptr, search, 1, 100));
        return model->rowCount();
    });
    // The main window's search box: a name (decoded, like the search above)
    // and numbers, whole or in part, through the phone keys.
    timeIt(QStringLiteral("search box: name 张伟"), repeats,
           [&] { return int(searchPeople(QStringLiteral("张伟")).size()); });
    timeIt(QStringLiteral("search box: name 伟明 (inside)"), repeats,
           [&] { return int(searchPeople(QStringLiteral("伟明")).size()); });
    timeIt(QStringLiteral("search box: one character 张"), repeats,
           [&] { return int(searchPeople(QStringLiteral("张")).size()); });
    timeIt(QStringLiteral("search box: digits inside 0013"), repeats,
           [&] { return int(searchPeople(QStringLiteral("0013")).size()); });
    const QString index = active + QStringLiteral(" AND ") +
                          nameContainsCondition(1, QStringLiteral("id"), QStringLiteral("name"),
                                                QStringLiteral("张伟"));
    const int lastPage = customerPageCount(index, 100);
    timeIt(QStringLiteral("list's name search 张伟: page count"), repeats,
           [&] { return customerPageCount(index, 100); });
    timeIt(QStringLiteral("list's name search 张伟: last page"), repeats, [&] {
        std::unique_ptr<QSqlCustomerTableModel> model(
            loadCustomersModel(nullptr, index, lastPage, 100));
        return model->rowCount();
    });
    timeIt(QStringLiteral("search box: number +86 138 0000 0777"), repeats,
           [&] { return int(searchPeople(QStringLiteral("+86 138 0000 0777")).size()); });
    timeIt(QStringLiteral("search box: part of a number 0000 777"), repeats,
           [&] { return int(searchPeople(QStringLiteral("0000 777")).size()); });
    // The duplicate warning runs on every save of the entry dialogs.
    timeIt(QStringLiteral("findPhoneHolders(prospects, a stored number)"), repeats, [&] {
        return int(
            findPhoneHolders(PersonTable::Customers, QStringLiteral("+86 138-0000-0777")).size());
    });
    timeIt(QStringLiteral("findPhoneHolders(prospects, a new number)"), repeats, [&] {
        return int(
            findPhoneHolders(PersonTable::Customers, QStringLiteral("137 0000 0777")).size());
    });
    int entry = 0;
    timeIt(QStringLiteral("addCustomer, then findPhoneHolders of the next"), repeats, [&] {
        ++entry;
        addCustomer(QStringLiteral("测速"), 1, QStringLiteral("1900-01-01"),
                    QStringLiteral("136%1").arg(entry, 8, 10, QLatin1Char('0')), QString(),
                    QString(), QString(), QString());
        return int(findPhoneHolders(PersonTable::Customers,
                                    QStringLiteral("136%1").arg(entry, 8, 10, QLatin1Char('0')))
                       .size());
    });
    timeIt(QStringLiteral("loadCustomersToContactModel(today, 0), all rows"), repeats, [&] {
        std::unique_ptr<QSqlCustomerQueryModel> model(
            loadCustomersToContactModel(nullptr, from, to, 0));
        while (model->canFetchMore())
            model->fetchMore();
        return model->rowCount();
    });
    // What a dialog shows when it opens: the first rows; more come as it scrolls.
    timeIt(QStringLiteral("calendar prospects, this month, first screen"), repeats, [&] {
        std::unique_ptr<QSqlQueryModel> model(
            loadCustomerCalendarModel(nullptr, monthBeginTime(), monthEndTime(), 2));
        return model->rowCount();
    });
    timeIt(QStringLiteral("calendar prospects, this month, one more screen"), repeats, [&] {
        std::unique_ptr<QSqlQueryModel> model(
            loadCustomerCalendarModel(nullptr, monthBeginTime(), monthEndTime(), 2));
        QElapsedTimer more;
        more.start();
        model->fetchMore();
        return int(more.nsecsElapsed() / 1000);
    });
    timeIt(QStringLiteral("loadContactedCustomersModel(today, 0), all rows"), repeats, [&] {
        std::unique_ptr<QSqlCustomerQueryModel> model(
            loadContactedCustomersModel(nullptr, from, to, 0, QString()));
        while (model->canFetchMore())
            model->fetchMore();
        return model->rowCount();
    });
}
// The first start after the upgrade on this file: its side tables are dropped
// (as if it were older) and built again step by step, as the program's thread
// does, printing the whole time and the longest step (the longest a save of
// the agent may wait for the file meanwhile).
bool rebuildSideTables()
{
    QSqlDatabase db = QSqlDatabase::database();
    QSqlQuery query(db);
    QStringList drops;
    if (!query.exec(QStringLiteral("SELECT type, name FROM sqlite_master WHERE (type = 'trigger' "
                                   "AND name LIKE 'trg_side_%') OR (type = 'table' AND name IN "
                                   "('side_index_state', 'contact_due', 'stat_slots', "
                                   "'stat_outcomes', 'stat_people', 'stat_funnel', "
                                   "'name_backlog', 'prospect_name_grams', 'recruit_name_grams', "
                                   "'phone_key_grams', 'prospect_phone_grams', "
                                   "'recruit_phone_grams'))")))
        return false;
    while (query.next())
        drops << QStringLiteral("DROP %1 IF EXISTS %2")
                     .arg(query.value(0).toString(), query.value(1).toString());
    for (const QString &drop : drops) {
        if (!QSqlQuery(db).exec(drop))
            return false;
    }
    QElapsedTimer timer;
    timer.start();
    if (!beginTransaction() || !prepareSideTables(db) || !commitTransaction())
        return false;
    out() << "side tables created in " << timer.elapsed() << " ms" << Qt::endl;
    timer.restart();
    qint64 longest = 0;
    int steps = 0;
    SideBuildProgress progress;
    for (;;) {
        QElapsedTimer step;
        step.start();
        if (!buildSideTablesStep(db, &progress))
            break;
        longest = std::max<qint64>(longest, step.elapsed());
        ++steps;
    }
    if (!progress.finished)
        return false;
    while (nameBacklogPending(db) && drainNameBacklog(db, 2000))
        ++steps;
    out() << "side tables built in " << timer.elapsed() << " ms, " << steps
          << " steps, longest step " << longest << " ms" << Qt::endl;
    return true;
}

// One list of the calling day: how the dialog loads it, all rows fetched.
struct ListQuery
{
    QString label;
    std::function<QSqlQueryModel *()> load;
};

QList<ListQuery> callingListQueries()
{
    const Seconds from = todayBeginTime();
    const Seconds to = todayEndTime();
    // A daily quota of 20; 北京 matches no generated address, the worst case
    // of the region filter: every never-called row is read.
    const int quota = 20;
    return {
        {QStringLiteral("first-call prospects, no region"),
         [=] {
             return loadCustomersModel(nullptr, firstCallCustomersFilter(QString(), quota), 0, 100);
         }},
        {QStringLiteral("first-call prospects, region 北京"),
         [=] {
             return loadCustomersModel(
                 nullptr, firstCallCustomersFilter(QStringLiteral("北京"), quota), 0, 100);
         }},
        {QStringLiteral("first-call recruits"),
         [=] { return loadHelpersModel(nullptr, firstCallHelpersFilter(quota)); }},
        {QStringLiteral("follow-up prospects, phone"),
         [=] { return loadCustomersToContactModel(nullptr, from, to, 1); }},
        {QStringLiteral("follow-up prospects, visit"),
         [=] { return loadCustomersToContactModel(nullptr, from, to, 2); }},
        {QStringLiteral("follow-up recruits, phone"),
         [=] { return loadHelpersToContactModel(nullptr, from, to, 1); }},
        {QStringLiteral("follow-up recruits, visit"),
         [=] { return loadHelpersToContactModel(nullptr, from, to, 2); }},
        {QStringLiteral("contacted prospects, today"),
         [=] { return loadContactedCustomersModel(nullptr, from, to, 0, QString()); }},
        {QStringLiteral("calendar prospects, this month"),
         [] { return loadCustomerCalendarModel(nullptr, monthBeginTime(), monthEndTime(), 2); }},
        {QStringLiteral("calendar recruits, this month"),
         [] { return loadHelperCalendarModel(nullptr, monthBeginTime(), monthEndTime(), 2); }},
    };
}

// Times each list; with printSql, prints "label<TAB>ms<TAB>rows<TAB>statement"
// lines instead, the statement exactly as the store ran it.
void runCallingLists(int repeats, bool printSql)
{
    if (!printSql)
        out() << "lists of the calling day (mean of " << repeats << " runs, all rows):" << Qt::endl;
    for (const ListQuery &list : callingListQueries()) {
        QString statement;
        int rows = 0;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < repeats; ++i) {
            std::unique_ptr<QSqlQueryModel> model(list.load());
            while (model->canFetchMore())
                model->fetchMore();
            rows = model->rowCount();
            statement = model->query().lastQuery();
        }
        const double ms = double(timer.nsecsElapsed()) / 1e6 / repeats;
        if (printSql)
            out() << list.label << '\t' << QString::number(ms, 'f', 3) << '\t' << rows << '\t'
                  << statement.simplified() << Qt::endl;
        else
            out() << QStringLiteral("%1 %2 ms  (rows %3)")
                         .arg(list.label, -58)
                         .arg(ms, 9, 'f', 3)
                         .arg(rows)
                  << Qt::endl;
    }
}
// The series of the statistics window over the last year, as the window
// runs them (one after the other on one connection); with printSql,
// "label<TAB>ms<TAB>rows<TAB>statement" lines for tools/compare-sqlite3.sh.
void runStatistics(int repeats, bool printSql)
{
    const QDate today = Clock::now().date();
    const StatRequest request{today.addDays(-364), today, StatPeople::Prospects, 20, today};
    if (!printSql)
        out() << "statistics of the last year (mean of " << repeats << " runs):" << Qt::endl;
    const QSqlDatabase db = QSqlDatabase::database();
    const char *const names[] = {"calls",     "funnel",   "orders", "products",
                                 "talk time", "outcomes", "team"};
    double all = 0;
    for (StatSeries series : allStatSeries()) {
        int rows = 0;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < repeats; ++i) {
            const std::optional<StatTable> table = loadStatistics(series, request, db);
            rows = table ? int(table->rows.size()) : -1;
        }
        const double ms = double(timer.nsecsElapsed()) / 1e6 / repeats;
        all += ms;
        const QString label =
            QStringLiteral("statistics %1").arg(QLatin1String(names[int(series)]));
        if (printSql)
            out() << label << '\t' << QString::number(ms, 'f', 3) << '\t' << rows << '\t'
                  << statisticsStatement(series, request, db) << Qt::endl;
        else
            out() << QStringLiteral("%1 %2 ms  (rows %3)").arg(label, -58).arg(ms, 9, 'f', 3).arg(rows)
                  << Qt::endl;
    }
    if (!printSql)
        out() << QStringLiteral("%1 %2 ms")
                     .arg(QStringLiteral("statistics all series of a year"), -58)
                     .arg(all, 9, 'f', 3)
              << Qt::endl;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Generates mwdb.dat in FOLDER and times the store's hot queries."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("Working folder."));
    const QCommandLineOption prospectsOption(QStringLiteral("prospects"),
                                             QStringLiteral("Prospects to generate."),
                                             QStringLiteral("n"), QStringLiteral("100000"));
    const QCommandLineOption logsOption(
        QStringLiteral("logs"),
        QStringLiteral("Prospect contact logs (and as many tracking rows)."), QStringLiteral("n"),
        QStringLiteral("1000000"));
    const QCommandLineOption recruitsOption(
        QStringLiteral("recruits"), QStringLiteral("Recruits (default: a tenth of the prospects)."),
        QStringLiteral("n"));
    const QCommandLineOption recruitLogsOption(
        QStringLiteral("recruit-logs"),
        QStringLiteral("Recruit contact logs (default: a tenth of the logs)."),
        QStringLiteral("n"));
    const QCommandLineOption daysOption(QStringLiteral("days"),
                                        QStringLiteral("Days back over which contacts spread."),
                                        QStringLiteral("n"), QStringLiteral("60"));
    const QCommandLineOption repeatOption(QStringLiteral("repeat"),
                                          QStringLiteral("Runs per timed query."),
                                          QStringLiteral("n"), QStringLiteral("20"));
    const QCommandLineOption generateOnlyOption(
        QStringLiteral("generate-only"),
        QStringLiteral("Only generate the database; time nothing."));
    const QCommandLineOption reuseOption(
        QStringLiteral("reuse"), QStringLiteral("Time an existing mwdb.dat without generating."));
    const QCommandLineOption callingListsOption(
        QStringLiteral("calling-lists"),
        QStringLiteral("Time only the lists of the calling day (first calls, follow-ups, "
                       "contacted, calendar)."));
    const QCommandLineOption statisticsOption(
        QStringLiteral("statistics"),
        QStringLiteral("Time only the series of the work statistics over the last year."));
    const QCommandLineOption printSqlOption(
        QStringLiteral("print-sql"),
        QStringLiteral("With --calling-lists or --statistics: print label, ms, rows and "
                       "statement, tab-separated."));
    const QCommandLineOption rebuildOption(
        QStringLiteral("rebuild-side-tables"),
        QStringLiteral("Drop the side tables and time building them again, as the first start "
                       "after the upgrade does."));
    parser.addOptions({prospectsOption, logsOption, recruitsOption, recruitLogsOption, daysOption,
                       repeatOption, generateOnlyOption, reuseOption, callingListsOption,
                       statisticsOption, printSqlOption, rebuildOption});
    parser.process(app);

    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    Sizes sizes;
    sizes.prospects = parser.value(prospectsOption).toInt();
    sizes.logs = parser.value(logsOption).toInt();
    sizes.recruits =
        parser.isSet(recruitsOption) ? parser.value(recruitsOption).toInt() : sizes.prospects / 10;
    sizes.recruitLogs =
        parser.isSet(recruitLogsOption) ? parser.value(recruitLogsOption).toInt() : sizes.logs / 10;
    sizes.days = qMax(1, parser.value(daysOption).toInt());
    const int repeats = qMax(1, parser.value(repeatOption).toInt());

    const QString folder = parser.positionalArguments().constFirst();
    if (!QDir().mkpath(folder) || !QDir::setCurrent(folder)) {
        err() << "cannot use folder " << folder << Qt::endl;
        return 1;
    }
    const bool reuse = parser.isSet(reuseOption);
    if (!reuse && QFile::exists(QString::fromLatin1(databaseFileName))) {
        err() << folder << "/" << databaseFileName << " exists; remove it or pass --reuse"
              << Qt::endl;
        return 1;
    }
    if (!initDatabase()) {
        err() << "cannot open the database" << Qt::endl;
        return 1;
    }
    if (!reuse && !generate(sizes)) {
        closeDatabase();
        return 1;
    }
    if (parser.isSet(rebuildOption) && !rebuildSideTables()) {
        err() << "building the side tables failed" << Qt::endl;
        closeDatabase();
        return 1;
    }
    if (parser.isSet(callingListsOption))
        runCallingLists(repeats, parser.isSet(printSqlOption));
    else if (parser.isSet(statisticsOption))
        runStatistics(repeats, parser.isSet(printSqlOption));
    else if (!parser.isSet(generateOnlyOption) && !parser.isSet(rebuildOption)) {
        runTimings(repeats);
        runCallingLists(repeats, false);
        runStatistics(repeats, false);
    }
    closeDatabase();
    return 0;
}
